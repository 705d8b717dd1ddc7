// lightmatrix.scr under Wine, full screen: on a screen of 144 dpi, what the
// screen shows, what ends it and what does not, and a preview pane that is no
// window; on two monitors, that both are covered.

#include <algorithm>
#include <filesystem>

#include "wine_session.h"

namespace lightmatrix::wine_test {
namespace {

// At 144 dpi a light's 100 twips are 10 pixels, not 6 2/3.
constexpr int kDpi = 144;

class WineFullScreen : public WineSuite {
  protected:
    static void SetUpTestSuite() { session = std::make_unique<WineSession>("full-screen", kDpi); }

    // Waits until the screen shows at least `minimum` lit discs of the matrix
    // and, outside them, black alone: the desktop shows nowhere.
    static e2e::LightsSeen lightsSeen(int minimum) {
        e2e::LightsSeen seen;
        e2e::waitUntil(
            [&] {
                seen = e2e::inspectLights(e2e::capture(session->display()), kDpi);
                return seen.litDiscs >= minimum && seen.strayPixels == 0;
            },
            60s);
        return seen;
    }
};

TEST_F(WineFullScreen, LightsPileUpOnABlackScreenUntilAKeyIsPressed) {
    const std::string statsFile = session->scratchDirectory() + "/stats.txt";
    std::filesystem::remove(statsFile);
    Process saver = session->start({kScreenSaver}, {"LIGHTMATRIX_STATS=" + statsFile});

    // The window covers the screen: discs on black, and nowhere the desktop.
    const e2e::LightsSeen first = lightsSeen(3);
    ASSERT_GE(first.litDiscs, 3) << "no lights came up\n" << saver.errorOutput();
    EXPECT_EQ(first.strayPixels, 0);
    EXPECT_EQ(first.mixedDiscs, 0);
    // The same screen read as a matrix laid out at 96 dpi does not fit.
    const auto at96 = e2e::inspectLights(e2e::capture(session->display()), 96);
    EXPECT_GT(at96.strayPixels + at96.mixedDiscs, 0);

    // Moving the mouse ends nothing: the lights go on piling up.
    ASSERT_TRUE(session->xdotool({"mousemove", "700", "500", "mousemove", "--sync", "120", "90"}));
    const e2e::LightsSeen later = lightsSeen(first.litDiscs + 20);
    EXPECT_GE(later.litDiscs, first.litDiscs + 20) << "moving the mouse stopped the lights";
    EXPECT_EQ(later.strayPixels, 0);
    ASSERT_TRUE(saver.running()) << "moving the mouse ended the program";

    ASSERT_TRUE(session->xdotool({"key", "space"}));
    EXPECT_EQ(saver.wait(30s), 0) << saver.errorOutput();
    e2e::checkRunFigures(statsFile, later.litDiscs);
}

TEST_F(WineFullScreen, APreviewPaneThatIsNoWindowEndsItWithOneErrorLine) {
    WindowWatch watch(session->display());
    Process saver = session->start({kScreenSaver, "/p", "0"});
    EXPECT_EQ(saver.wait(60s), 1);
    const std::string errors = saver.errorOutput();
    EXPECT_EQ(errors.rfind("lightmatrix: run-time error: ", 0), 0u) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    // The window had covered the screen before the program ended.
    EXPECT_EQ(watch.largestShown(),
              std::make_pair(session->xvfb().width(), session->xvfb().height()));
}

// On a desktop of two monitors side by side, both are black but for the
// lights at the top-left of the primary one, and a click on the other ends it.
class WineTwoMonitors : public WineSuite {
  protected:
    static void SetUpTestSuite() {
        session = std::make_unique<WineSession>("two-monitors", 96, e2e::XServer::twoMonitors());
    }
};

TEST_F(WineTwoMonitors, EveryMonitorIsCoveredAndAClickOnTheOtherEndsIt) {
    Process saver = session->start({kScreenSaver, "/s"});
    EXPECT_TRUE(e2e::everyMonitorCovered(session->xvfb(), 3, 60s)) << saver.errorOutput();
    ASSERT_TRUE(session->xdotool({"mousemove", "--sync", "1700", "500", "click", "1"}));
    EXPECT_EQ(saver.wait(30s), 0) << saver.errorOutput();
}

}  // namespace
}  // namespace lightmatrix::wine_test
