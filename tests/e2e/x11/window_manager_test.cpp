// lightmatrix on X11 under a window manager (openbox, which follows the EWMH
// conventions): full screen through the window manager's full-screen state,
// and a preview whose pane lies in a managed window of the host.

#include <X11/Xatom.h>
#include <gtest/gtest.h>

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

TEST_F(X11UnderAWindowManager, TheWindowAsksForFullScreenAndCoversTheScreen) {
    Process saver = session_.start();
    // The window manager frames the window (look for it by name inside) and
    // may map it before it applies the state.
    std::optional<WindowInfo> info;
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            const ::Window window = std::strtoul(
                e2e::runOutput({"xdotool", "search", "--name", "^Form1$"}, session_.env()).c_str(),
                nullptr, 10);
            const auto state = atomsOf(session_.display(), window, "_NET_WM_STATE");
            int x = -1;
            int y = -1;
            ::Window child = 0;
            XTranslateCoordinates(x_, window, DefaultRootWindow(x_.get()), 0, 0, &x, &y, &child);
            info = describe(session_.display(), window);
            if (!info) return false;
            return std::find(state.begin(), state.end(), "_NET_WM_STATE_FULLSCREEN") !=
                       state.end() &&
                   x == 0 && y == 0 && info->width == 1024 && info->height == 768;
        },
        30s))
        << saver.errorOutput();
    // Covering the screen, it shows lights and nothing else.
    const e2e::LightsSeen seen = waitForLights(session_.display(), 3, 30s);
    EXPECT_GE(seen.litDiscs, 3);
    EXPECT_EQ(seen.strayPixels + seen.mixedDiscs, 0);
    ASSERT_TRUE(session_.xdotool({"key", "space"}));
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
}

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
    EXPECT_EQ(std::tuple(child->x, child->y, child->height), std::tuple(0, 0, 240));
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

}  // namespace
}  // namespace lightmatrix::x11_test
