// lightmatrix on X11 under a window manager (openbox, which follows the EWMH
// conventions): a preview whose pane lies in a managed window of the host, and
// full screen on two monitors through the window manager's full-screen state.

#include <X11/Xatom.h>
#include <gtest/gtest.h>

#include <sstream>

#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

using e2e::Process;

std::vector<std::string> atomsOf(const std::string& display, ::Window window,
                                 const char* property) {
    Connection x(display);
    std::vector<std::string> names;
    for (const unsigned long atom : propertyOf(x, window, property, XA_ATOM)) {
        char* name = XGetAtomName(x, atom);
        names.emplace_back(name);
        XFree(name);
    }
    return names;
}

class X11UnderAWindowManager : public ::testing::Test {
  protected:
    void SetUp() override { windowManager_.emplace(startWindowManager(session_, x_)); }

    SaverSession session_;
    Connection x_{session_.display()};
    std::optional<Process> windowManager_;
};

TEST_F(X11UnderAWindowManager, APreviewMovesIntoAPaneOfAManagedWindow) {
    // The host: a managed top-level window, framed by the window manager,
    // holding a grey pane.
    const ::Window host =
        XCreateSimpleWindow(x_, DefaultRootWindow(x_.get()), 100, 100, 500, 400, 0, 0, 0xC0C0C0);
    const ::Window pane = XCreateSimpleWindow(x_, host, 40, 30, 320, 240, 0, 0, 0x808080);
    XMapWindow(x_, pane);
    XMapWindow(x_, host);
    XSync(x_, False);
    ASSERT_TRUE(e2e::waitUntil([&] { return describe(session_.display(), pane)->viewable; }, 30s));

    Process saver = session_.start({"/p", std::to_string(pane)});
    std::optional<WindowInfo> child;
    ASSERT_TRUE(e2e::waitUntil(
        [&] {
            const auto children = childrenOf(session_.display(), pane);
            child = children.size() == 1 ? describe(session_.display(), children[0]) : std::nullopt;
            return child && child->viewable && child->width == 320;
        },
        30s))
        << saver.errorOutput();
    EXPECT_EQ(std::tuple(child->x, child->y, child->height, child->name),
              std::tuple(0, 0, 240, "Form1"));
    // The window manager let go of it: no frame, no state of its own.
    EXPECT_TRUE(atomsOf(session_.display(), child->id, "_NET_WM_STATE").empty());
    EXPECT_FALSE(windowOfProcess(session_.display(), saver.pid()).has_value());
    const e2e::LightsSeen seen = waitForLights(session_.display(), 3, 30s, pane);
    EXPECT_GE(seen.litDiscs, 3);
    EXPECT_EQ(seen.strayPixels + seen.mixedDiscs, 0);
    // It stays there, and goes with the host.
    EXPECT_FALSE(saver.wait(1s).has_value());
    EXPECT_EQ(childrenOf(session_.display(), pane), std::vector<::Window>{child->id});
    XDestroyWindow(x_, host);
    XSync(x_, False);
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
}

// On two monitors side by side (Xorg's dummy driver, the screens joined by
// Xinerama), with and without a window manager: every monitor black but for
// the lights, which stand at the top-left corner of the primary one, the
// window full screen through the window manager's state where one runs, and a
// click on the other monitor ends it.
class X11TwoMonitors : public ::testing::TestWithParam<bool> {};

TEST_P(X11TwoMonitors, EveryMonitorIsCoveredAndAClickOnEitherEndsIt) {
    SaverSession session(e2e::XServer::twoMonitors());
    session.xvfb().paintDesktop();
    Connection probes(session.display());
    std::optional<Process> windowManager;
    if (GetParam()) windowManager.emplace(startWindowManager(session, probes));
    Process saver = session.start();
    EXPECT_TRUE(e2e::everyMonitorCovered(session.xvfb(), 3, 30s)) << saver.errorOutput();
    // The window and the cover, each framed by the window manager, are in its
    // full-screen state.
    std::istringstream windows(
        GetParam() ? e2e::runOutput({"xdotool", "search", "--name", "^Form1$"}, session.env())
                   : "");
    int fullScreen = 0;
    for (::Window window = 0; windows >> window;) {
        const auto state = atomsOf(session.display(), window, "_NET_WM_STATE");
        fullScreen += std::ranges::count(state, "_NET_WM_STATE_FULLSCREEN") == 1;
    }
    EXPECT_EQ(fullScreen, GetParam() ? 2 : 0);
    ASSERT_TRUE(session.xdotool({"mousemove", "--sync", "1700", "500", "click", "1"}));
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutAWindowManager, X11TwoMonitors,
                         ::testing::Values(false, true));

}  // namespace
}  // namespace lightmatrix::x11_test
