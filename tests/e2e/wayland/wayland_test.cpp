// lightmatrix on Wayland, natively: under headless sway (the layer shell, two
// outputs, a seat with real input) and headless weston (xdg-shell, one output,
// no seat). Each screen must show black but for lights, drawn as
// lightmatrix-render draws the same lights at the output's density.

#include <gtest/gtest.h>
#include <signal.h>

#include "render.h"
#include "wayland_session.h"

namespace lightmatrix::wayland_test {
namespace {

using e2e::Process;

// Whether `shot` is, pixel for pixel, what lightmatrix-render draws at `dpi`
// on its size with the lights it shows, at least `minimum` of them.
::testing::AssertionResult showsTheMatrix(const Raster& shot, double dpi, int minimum) {
    const e2e::LightsSeen seen = e2e::inspectLights(shot, dpi);
    if (seen.litDiscs < minimum) return ::testing::AssertionFailure() << seen.litDiscs << " lights";
    std::vector<std::string> arguments{
        "--size", std::to_string(shot.width) + "x" + std::to_string(shot.height), "--dpi",
        std::to_string(dpi)};
    for (const auto& [k, colour] : seen.lit)
        arguments.insert(arguments.end(), {"--highlight", std::to_string((k - 1) / 120) + "," +
                                                              std::to_string((k - 1) % 120 + 1) +
                                                              "," + std::to_string(colour)});
    arguments.push_back("unwritten.png");
    const Raster drawn = render::renderFrame(render::parseArguments(arguments)).frame;
    int off = 0;
    for (std::size_t i = 0; i < shot.pixels.size(); ++i) off += shot.pixels[i] != drawn.pixels[i];
    if (off > 0) return ::testing::AssertionFailure() << off << " pixels not as drawn";
    return ::testing::AssertionSuccess();
}

bool allBlack(const Raster& shot) {
    return std::all_of(shot.pixels.begin(), shot.pixels.end(), [](Colour c) { return c == 0; });
}

TEST(WaylandOnSway, EveryOutputCoveredTheMatrixAtEachScaleAndAButtonOnTheOtherEndsIt) {
    SwaySession sway;
    const std::string saver = sway.runnable(LIGHTMATRIX_SAVER);
    Process running = sway.start({saver});
    // The matrix on the focused output, at 96 DPI; an output that comes
    // while it runs, black.
    EXPECT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(sway.screenshot(), 96, 20); }, 60s))
        << showsTheMatrix(sway.screenshot(), 96, 20) << running.errorOutput();
    sway.swaymsg({"create_output"});
    EXPECT_TRUE(e2e::waitUntil([&] { return allBlack(sway.screenshot("HEADLESS-2")); }, 30s));

    // A second instance ends at once; moving the pointer over both outputs ends nothing.
    EXPECT_EQ(sway.start({saver}).wait(30s), 0);
    sway.cursor("set 1500 300");
    sway.cursor("move -600 200");
    const int before = e2e::inspectLights(sway.screenshot(), 96).litDiscs;
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return e2e::inspectLights(sway.screenshot(), 96).litDiscs > before + 50; }, 30s));

    // At scale 2 the matrix is drawn anew at 192 DPI, not scaled up.
    sway.swaymsg({"output", "HEADLESS-1", "scale", "2"});
    EXPECT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(sway.screenshot(), 192, 20); }, 30s))
        << showsTheMatrix(sway.screenshot(), 192, 20);

    sway.cursor("set 2000 500");
    sway.cursor("press button1");
    EXPECT_EQ(running.wait(30s), 0) << running.errorOutput();
    EXPECT_EQ(running.errorOutput(), "");
}

TEST(WaylandOnSway, AKeyEndsItAndALostCompositorIsARunTimeError) {
    SwaySession sway;
    const std::string saver = sway.runnable(LIGHTMATRIX_SAVER);
    Process first = sway.start({saver});
    ASSERT_TRUE(
        e2e::waitUntil([&] { return e2e::inspectLights(sway.screenshot()).litDiscs > 5; }, 60s))
        << first.errorOutput();
    sway.key("space");
    EXPECT_EQ(first.wait(30s), 0) << first.errorOutput();

    Process second = sway.start({saver});
    ASSERT_TRUE(
        e2e::waitUntil([&] { return e2e::inspectLights(sway.screenshot()).litDiscs > 5; }, 60s));
    sway.endCompositor();
    EXPECT_EQ(second.wait(30s), 1);
    EXPECT_EQ(second.errorOutput().rfind("lightmatrix: run-time error: Window system error: lost "
                                         "the connection to the Wayland compositor",
                                         0),
              0u)
        << second.errorOutput();
}

TEST(WaylandOnWeston, FullScreenThroughXdgShellUntilSigterm) {
    WestonSession weston(1024, 768);
    Process running = weston.start({LIGHTMATRIX_SAVER});
    EXPECT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(weston.screenshot(), 96, 20); }, 60s))
        << showsTheMatrix(weston.screenshot(), 96, 20) << running.errorOutput();
    running.signal(SIGTERM);
    EXPECT_EQ(running.wait(30s), 0) << running.errorOutput();
}

}  // namespace
}  // namespace lightmatrix::wayland_test
