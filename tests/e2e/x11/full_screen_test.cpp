// lightmatrix on X11, full screen: what the screen shows at the display's
// DPI, what ends it, a second instance, and no display or no pane to show it on.

#include <X11/Xatom.h>
#include <gtest/gtest.h>
#include <signal.h>

#include "common/icon.h"
#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

using e2e::LightsSeen;
using e2e::Process;

TEST(X11FullScreen, LightsPileUpAtTheDisplaysDpiOnABlackScreenThroughASecondInstanceUntilAKey) {
    SaverSession session;
    {
        Connection x(session.display());
        const std::string resources = "Xft.dpi:\t144\n";
        XChangeProperty(x, DefaultRootWindow(x.get()), XA_RESOURCE_MANAGER, XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                        static_cast<int>(resources.size()));
    }
    const std::string statsFile = session.scratch() + "/stats.txt";
    Process saver = session.start({}, {"LIGHTMATRIX_STATS=" + statsFile});
    // At 144 pixels per inch a light is 10 pixels across, and nothing but
    // discs shows on black.
    const LightsSeen first = waitForLightsOf(session.display(), saver.pid(), 3, 30s, 144);
    EXPECT_EQ(first.strayPixels + first.mixedDiscs, 0) << saver.errorOutput();
    const LightsSeen at96 = e2e::inspectLights(e2e::capture(session.display()));
    EXPECT_GT(at96.strayPixels + at96.mixedDiscs, 0);
    const auto window = windowOfProcess(session.display(), saver.pid());
    ASSERT_TRUE(window.has_value());
    EXPECT_EQ(std::tuple(window->name, window->x, window->y, window->width, window->height),
              std::tuple("Form1", 0, 0, 1024, 768));
    // Its icon is the program's own picture, transparent around it.
    const auto icon =
        propertyOf(Connection(session.display()), window->id, "_NET_WM_ICON", XA_CARDINAL);
    const IconImage drawn = drawIcon();
    ASSERT_EQ(icon.size(), 2u + 32u * 32u);
    for (std::size_t i = 0; i < drawn.pixels.size(); ++i)
        ASSERT_EQ(icon[2 + i] & 0xFFFFFFFFul,
                  drawn.opaque[i] ? 0xFF000000ul | toXrgb(drawn.pixels[i]) : 0ul);

    // A second instance ends at once and shows nothing.
    WindowWatch watch(session.display());
    Process second = session.start({"/p", "1"});
    EXPECT_EQ(second.wait(10s), 0);
    EXPECT_EQ(second.errorOutput(), "");
    EXPECT_EQ(watch.largestShown(), std::pair(0, 0)) << "a second instance showed a window";
    // Moving the mouse does nothing either: the lights go on piling up.
    ASSERT_TRUE(session.xdotool({"mousemove", "700", "500", "mousemove", "--sync", "120", "90"}));
    const LightsSeen later = waitForLights(session.display(), first.litDiscs + 20, 30s, 0, 144);
    EXPECT_GE(later.litDiscs, first.litDiscs + 20);
    ASSERT_TRUE(session.xdotool({"key", "space"}));
    EXPECT_EQ(saver.wait(10s), 0);
    EXPECT_EQ(saver.errorOutput(), "");
    e2e::checkRunFigures(statsFile, later.litDiscs);
}

TEST(X11FullScreen, SigtermAndSigintEachEndItCleanly) {
    SaverSession session;
    for (const int sig : {SIGTERM, SIGINT}) {
        Process saver = session.start();
        ASSERT_GE(waitForLightsOf(session.display(), saver.pid(), 1, 30s).litDiscs, 1)
            << saver.errorOutput();
        saver.signal(sig);
        // It lets go of its instance lock too: the next one runs.
        EXPECT_EQ(saver.wait(10s), 0) << "signal " << sig;
        EXPECT_EQ(saver.errorOutput(), "");
    }
}

TEST(X11FullScreen, WithoutADisplayOrADaemonsWindowItEndsWithOneLineAndStatusOne) {
    SaverSession session;
    Process saver = session.start();
    ASSERT_GE(waitForLights(session.display(), 1, 30s).litDiscs, 1) << saver.errorOutput();
    session.killServer();
    EXPECT_EQ(saver.wait(10s), 1) << "it runs on without its display";
    EXPECT_EQ(saver.errorOutput(), "lightmatrix: lost the connection to the X display\n");
    Process none = Process::start({saverPath()}, {"DISPLAY=:9876"});
    EXPECT_EQ(none.wait(10s), 1);
    EXPECT_EQ(none.errorOutput(),
              "lightmatrix: run-time error: Window system error: cannot open the X display "
              "\":9876\"\n");
    // Nor does a screen-saver daemon's window that is no window.
    SaverSession other;
    Process daemonless = other.start({}, {"XSCREENSAVER_WINDOW=12abc"});
    EXPECT_EQ(daemonless.wait(10s), 1);
    EXPECT_EQ(daemonless.errorOutput(),
              "lightmatrix: run-time error: Window system error: XSCREENSAVER_WINDOW=12abc names "
              "no window\n");
}

TEST(X11FullScreen, APaneHandleThatNamesNoWindowEndsItAfterTheWindowWasShown) {
    SaverSession session;
    WindowWatch watch(session.display());
    Process saver = session.start({"/p", "123456789"});
    EXPECT_EQ(saver.wait(30s), 1) << "the program runs on";
    EXPECT_EQ(saver.errorOutput(),
              "lightmatrix: run-time error: Invalid procedure call or argument: no preview pane "
              "with handle 123456789\n");
    EXPECT_EQ(watch.largestShown(), std::pair(1024, 768))
        << "the window was never shown full screen";
}

}  // namespace
}  // namespace lightmatrix::x11_test
