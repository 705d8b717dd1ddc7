#include <gtest/gtest.h>
#include <signal.h>

#include "e2e/support/e2e.h"
#include "support/running_program.h"

namespace lightmatrix {
namespace {

e2e::Screenshot screenshotOf(const Raster& frame) {
    return e2e::Screenshot{frame.width, frame.height, frame.pixels};
}

// The screenshot check must agree with the renderer, and must see faults.
TEST(InspectLights, AgreesWithTheRendererAndCatchesStrayAndPartialPaint) {
    for (const double dpi : {96.0, 144.0}) {
        SCOPED_TRACE(dpi);
        testing_support::RunningProgram program(
            MemoryOptions{.screenWidth = 1300, .screenHeight = 1000, .dpi = dpi});
        program.memory.advance(3000);
        int lit = 0;
        for (Int16 k = 1; k <= 10800; ++k) lit += program.fill(k) != kBlack;

        e2e::Screenshot shot = screenshotOf(program.memory.frame());
        const e2e::LightsSeen seen = e2e::inspectLights(shot, 0, 0, dpi);
        EXPECT_EQ(seen.litDiscs, lit);
        EXPECT_EQ(seen.strayPixels, 0);
        EXPECT_EQ(seen.mixedDiscs, 0);

        // A pixel between discs, and a disc painted only in part.
        const auto between = static_cast<std::size_t>(
            static_cast<int>(200 * dpi / 1440) * shot.width + static_cast<int>(200 * dpi / 1440));
        shot.pixels[between] = rgb(255, 255, 255);
        program.form->highlight(50, 60, rgb(1, 200, 1));
        e2e::Screenshot half = screenshotOf(program.memory.frame());
        const auto [cx, cy] = testing_support::cellCentrePixels(program.memory.window().mapping(),
                                                                static_cast<Int16>(50 * 120 + 60));
        half.pixels[static_cast<std::size_t>(cy * half.width + cx)] = kBlack;
        EXPECT_EQ(e2e::inspectLights(shot, 0, 0, dpi).strayPixels, 1);
        EXPECT_EQ(e2e::inspectLights(half, 0, 0, dpi).mixedDiscs, 1);
        // Shifted by one cell the picture no longer matches the layout.
        EXPECT_GT(e2e::inspectLights(shot, 7, 7, dpi).strayPixels, 100);
    }
}

}  // namespace
}  // namespace lightmatrix

namespace lightmatrix {
namespace {

TEST(E2eSupport, StartsAPrivateXServerAndReadsItsScreenAndEndsWhatItStarts) {
    pid_t serverPid = -1;
    {
        e2e::Xvfb xvfb(640, 480);
        const e2e::Screenshot root = e2e::capture(xvfb.display());
        EXPECT_EQ(root.width, 640);
        EXPECT_EQ(root.height, 480);
        EXPECT_EQ(e2e::run({"xdpyinfo"}, {xvfb.env()}), 0);

        e2e::Process sleeper = e2e::Process::start({"sh", "-c", "echo oops >&2; exec sleep 60"});
        EXPECT_FALSE(sleeper.wait(std::chrono::milliseconds(200)).has_value());
        EXPECT_EQ(sleeper.errorOutput(), "oops\n");
        sleeper.signal(SIGTERM);
        EXPECT_EQ(sleeper.wait(std::chrono::seconds(5)), 128 + SIGTERM);
        EXPECT_EQ(e2e::run({"sh", "-c", "exit 3"}), 3);
        EXPECT_EQ(e2e::runOutput({"sh", "-c", "echo $LM_TEST", "x"}, {"LM_TEST=seen"}), "seen\n");
        serverPid = xvfb.pid();
        EXPECT_EQ(kill(serverPid, 0), 0);
    }
    // The server went with the object.
    EXPECT_TRUE(e2e::waitUntil([&] { return kill(serverPid, 0) != 0; }, std::chrono::seconds(5)));
}

}  // namespace
}  // namespace lightmatrix
