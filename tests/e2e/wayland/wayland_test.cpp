// lightmatrix on Wayland, natively: under sway (the layer shell, outputs that
// come and go, a seat with real input) and headless weston (xdg-shell, one
// output, no seat). Each screen must show black but for lights, drawn as
// lightmatrix-render draws the same lights at the output's density.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>

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

// The matrix, drawn as the renderer draws it, with every light of `before` still lit.
::testing::AssertionResult showsTheMatrixWith(const Raster& shot, const e2e::LightsSeen& before) {
    const auto drawn = showsTheMatrix(shot, 96, static_cast<int>(before.lit.size()));
    if (!drawn) return drawn;
    const e2e::LightsSeen now = e2e::inspectLights(shot);
    for (const auto& [k, colour] : before.lit)
        if (now.lit.count(k) == 0) return ::testing::AssertionFailure() << "light " << k << " lost";
    return ::testing::AssertionSuccess();
}

bool allBlack(const Raster& shot) {
    return std::all_of(shot.pixels.begin(), shot.pixels.end(), [](Colour c) { return c == 0; });
}

TEST(WaylandOnSway, EveryOutputCoveredTheMatrixAtEachScaleAndAButtonOnTheOtherEndsIt) {
    SwaySession sway;
    const std::string saver = sway.runnable(LIGHTMATRIX_SAVER);
    Process running = sway.start({saver});
    // The matrix on the focused output, at 96 DPI, the other output black.
    EXPECT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(sway.screenshot(), 96, 20); }, 60s))
        << showsTheMatrix(sway.screenshot(), 96, 20) << running.errorOutput();
    EXPECT_TRUE(e2e::waitUntil([&] { return allBlack(sway.screenshot("WL-2")); }, 30s));
    // The other output unplugged and another plugged in: that one is black too.
    sway.unplug("WL-2");
    const std::string other = sway.plug();
    EXPECT_TRUE(e2e::waitUntil([&] { return allBlack(sway.screenshot(other)); }, 30s));

    // A second instance ends at once; moving the pointer over both outputs ends nothing.
    EXPECT_EQ(sway.start({saver}).wait(30s), 0);
    sway.cursor("set 1500 300");
    sway.cursor("move -600 200");
    const int before = e2e::inspectLights(sway.screenshot(), 96).litDiscs;
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return e2e::inspectLights(sway.screenshot(), 96).litDiscs > before + 50; }, 30s));

    // At scale 2 the matrix is drawn anew at 192 DPI, not scaled up.
    sway.swaymsg({"output", "WL-1", "scale", "2"});
    EXPECT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(sway.screenshot(), 192, 20); }, 30s))
        << showsTheMatrix(sway.screenshot(), 192, 20);

    // The other output, plugged in last, is the layout's right end.
    sway.clickAtTheRightEdge();
    EXPECT_EQ(running.wait(30s), 0) << running.errorOutput();
    EXPECT_EQ(running.errorOutput(), "");
}

// Started with no output it waits without waking. The matrix goes on the
// first output that comes, stays whole through a new mode and a rotation,
// moves with every light when its output is unplugged, waits again when none
// is left and comes back on the next; SIGINT ends it.
TEST(WaylandOnSway, TheMatrixOutlivesItsOutputs) {
    SwaySession sway(0);
    Process running = sway.start({sway.runnable(LIGHTMATRIX_SAVER)});
    EXPECT_TRUE(e2e::waitUntil([&] { return sleepsThrough(running, 1s); }, 30s));

    const std::string first = sway.plug();
    EXPECT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(sway.screenshot(first), 96, 20); }, 60s))
        << running.errorOutput();
    const std::string second = sway.plug();
    EXPECT_TRUE(e2e::waitUntil([&] { return allBlack(sway.screenshot(second)); }, 30s));

    e2e::LightsSeen lit = e2e::inspectLights(sway.screenshot(first));
    sway.swaymsg({"output", first, "mode", "1000x850"});
    sway.swaymsg({"output", first, "transform", "90"});
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            const Raster shot = sway.screenshot(first);
            return shot.width == 850 && showsTheMatrixWith(shot, lit);
        },
        30s))
        << showsTheMatrixWith(sway.screenshot(first), lit);

    lit = e2e::inspectLights(sway.screenshot(first));
    sway.unplug(first);
    EXPECT_TRUE(
        e2e::waitUntil([&] { return showsTheMatrixWith(sway.screenshot(second), lit); }, 30s))
        << showsTheMatrixWith(sway.screenshot(second), lit);

    lit = e2e::inspectLights(sway.screenshot(second));
    sway.unplug(second);
    EXPECT_TRUE(e2e::waitUntil([&] { return sleepsThrough(running, 1s); }, 30s));
    const std::string third = sway.plug();
    EXPECT_TRUE(
        e2e::waitUntil([&] { return showsTheMatrixWith(sway.screenshot(third), lit); }, 60s))
        << showsTheMatrixWith(sway.screenshot(third), lit);

    running.signal(SIGINT);
    EXPECT_EQ(running.wait(30s), 0);
    EXPECT_EQ(running.errorOutput(), "");
}

// Started by swayidle as the documentation says, it lets swayidle go on to
// its next timeout; a key ends it with status 0.
TEST(WaylandOnSway, StartedAtIdleAKeyEndsItAndALostCompositorIsARunTimeError) {
    SwaySession sway;
    const std::string saver = sway.runnable(LIGHTMATRIX_SAVER);
    const std::string status = sway.file("status");
    const std::string later = sway.file("later");
    Process idle = sway.start({"swayidle", "-w", "timeout", "1",
                               "{ " + saver + "; echo $? >" + status + "; } &", "timeout", "2",
                               "touch " + later});
    // Shown, it has the keyboard: sway gives it at the commit that maps it.
    ASSERT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(sway.screenshot(), 96, 5); }, 60s))
        << idle.errorOutput();
    EXPECT_TRUE(e2e::waitUntil([&] { return std::filesystem::exists(later); }, 30s));
    EXPECT_FALSE(std::filesystem::exists(status));
    sway.pressSpace();
    idle.signal(SIGTERM);  // before its timeout comes round again
    EXPECT_TRUE(e2e::waitUntil([&] { return std::filesystem::exists(status); }, 30s));
    std::string ended;
    std::ifstream(status) >> ended;
    EXPECT_EQ(ended, "0");

    Process second = sway.start({saver});
    ASSERT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(sway.screenshot(), 96, 5); }, 60s));
    sway.endCompositor();
    EXPECT_EQ(second.wait(30s), 1);
    // One line, which may end in the reason the system gave.
    const std::string error = second.errorOutput();
    EXPECT_EQ(error.rfind("lightmatrix: run-time error: Window system error: lost the connection "
                          "to the Wayland compositor",
                          0),
              0u)
        << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
}

// The processes `process` has started that still run.
int childrenOf(const Process& process) {
    const std::string pid = std::to_string(process.pid());
    std::ifstream children("/proc/" + pid + "/task/" + pid + "/children");
    int count = 0;
    for (pid_t child; children >> child;) ++count;
    return count;
}

// The background sway paints where no window is.
bool showsTheBackground(const Raster& shot) {
    return shot.pixels.at(shot.pixels.size() / 2) == rgb(0x12, 0x34, 0x56);
}

// lightmatrix --idle under sway: the saver comes only once nobody has used
// the session for the idle time and nothing inhibits idling; a key ends it,
// the watcher stays and starts it again at the next idle time; SIGTERM ends
// the watcher with status 0.
TEST(WaylandOnSway, TheIdleWatcherStartsTheSaverWhenTheSessionIsIdle) {
    SwaySession sway;
    Process watcher = sway.start({sway.runnable(LIGHTMATRIX_SAVER), "--idle", "3"});
    // Input more often than the idle time keeps the saver away.
    for (int i = 0; i < 20; ++i) {
        sway.nudgePointer();
        std::this_thread::sleep_for(250ms);
    }
    EXPECT_EQ(childrenOf(watcher), 0);
    {
        // So does a window that inhibits idling, while it is shown.
        const std::shared_ptr<void> video = sway.inhibitIdle();
        sway.nudgePointer();
        std::this_thread::sleep_for(6s);
        EXPECT_EQ(childrenOf(watcher), 0);
    }
    ASSERT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(sway.screenshot(), 96, 5); }, 60s))
        << watcher.errorOutput();
    EXPECT_EQ(childrenOf(watcher), 1);

    sway.pressSpace();
    ASSERT_TRUE(e2e::waitUntil([&] { return childrenOf(watcher) == 0; }, 30s));
    EXPECT_TRUE(showsTheBackground(sway.screenshot()));
    EXPECT_TRUE(watcher.running());
    ASSERT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(sway.screenshot(), 96, 5); }, 60s));

    watcher.signal(SIGTERM);
    EXPECT_EQ(watcher.wait(30s), 0) << watcher.errorOutput();
    EXPECT_TRUE(e2e::waitUntil([&] { return showsTheBackground(sway.screenshot()); }, 30s));
    EXPECT_EQ(watcher.errorOutput(), "");
}

// Full screen through xdg-shell, under weston's pixman renderer and its GL
// renderer (Mesa's, in software): the lights keep coming until SIGTERM.
class WaylandOnWeston : public ::testing::TestWithParam<bool> {};

TEST_P(WaylandOnWeston, FullScreenThroughXdgShellUntilSigterm) {
    WestonSession weston(GetParam(), 1024, 768);
    Process running = weston.start({LIGHTMATRIX_SAVER});
    EXPECT_TRUE(e2e::waitUntil([&] { return showsTheMatrix(weston.screenshot(), 96, 20); }, 60s))
        << showsTheMatrix(weston.screenshot(), 96, 20) << running.errorOutput();
    const int shown = e2e::inspectLights(weston.screenshot()).litDiscs;
    EXPECT_TRUE(
        e2e::waitUntil([&] { return showsTheMatrix(weston.screenshot(), 96, shown + 50); }, 30s));
    running.signal(SIGTERM);
    EXPECT_EQ(running.wait(30s), 0) << running.errorOutput();
}

INSTANTIATE_TEST_SUITE_P(Renderers, WaylandOnWeston, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& renderer) {
                             return renderer.param ? "Gl" : "Pixman";
                         });

}  // namespace
}  // namespace lightmatrix::wayland_test
