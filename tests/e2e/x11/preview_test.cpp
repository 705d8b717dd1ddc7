// lightmatrix on X11 in a preview pane: a window of the test's own plays the
// host's pane, as a desktop's screen-saver settings would.

#include <gtest/gtest.h>

#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

using e2e::Process;

TEST(X11Preview, TheSaverRunsInThePaneUntilThePaneIsDestroyed) {
    SaverSession session;
    Connection x(session.display());
    const ::Window pane =
        XCreateSimpleWindow(x, DefaultRootWindow(x.get()), 200, 100, 320, 240, 0, 0, 0x808080);
    XMapWindow(x, pane);
    XSync(x, False);
    Process saver = session.start({"/p " + std::to_string(pane)});

    std::optional<WindowInfo> child;
    ASSERT_TRUE(e2e::waitUntil(
        [&] {
            const auto children = childrenOf(session.display(), pane);
            child = children.size() == 1 ? describe(session.display(), children[0]) : std::nullopt;
            return child && child->viewable && child->width == 320;
        },
        30s))
        << saver.errorOutput();
    EXPECT_EQ(std::tuple(child->x, child->y, child->height), std::tuple(0, 0, 240));
    EXPECT_EQ(child->name, "Form1");
    EXPECT_FALSE(windowOfProcess(session.display(), saver.pid()).has_value())
        << "a top-level window of the saver remains";

    // The pane shows the top-left of the matrix, at full size, lights coming on.
    const e2e::LightsSeen first = waitForLights(session.display(), 3, 30s, pane);
    EXPECT_EQ(first.strayPixels + first.mixedDiscs, 0);
    EXPECT_GE(waitForLights(session.display(), first.litDiscs + 5, 30s, pane).litDiscs,
              first.litDiscs + 5);

    XDestroyWindow(x, pane);
    XSync(x, False);
    EXPECT_EQ(saver.wait(10s), 0) << "the saver outlived its pane\n" << saver.errorOutput();
    EXPECT_EQ(saver.errorOutput(), "");
}

TEST(X11Preview, AHandleThatNamesNoWindowEndsItAfterTheWindowWasShown) {
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
