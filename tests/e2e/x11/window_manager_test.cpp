// lightmatrix on X11 under a window manager (openbox, which follows the EWMH
// conventions): full screen through the window manager's full-screen state,
// and a preview whose pane lies in a managed window of the host.

#include <X11/Xatom.h>
#include <gtest/gtest.h>

#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

using e2e::LightsSeen;
using e2e::Process;

bool windowManagerRuns(const std::string& display) {
    Connection x(display);
    return propertyOf(x, DefaultRootWindow(x.get()), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW)
               .size() == 1;
}

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

// Where a window's top-left corner lies on the screen.
std::pair<int, int> onScreen(const std::string& display, ::Window window) {
    Connection x(display);
    int x0 = 0;
    int y0 = 0;
    ::Window child = 0;
    XTranslateCoordinates(x, window, DefaultRootWindow(x.get()), 0, 0, &x0, &y0, &child);
    return {x0, y0};
}

class X11UnderAWindowManager : public ::testing::Test {
  protected:
    void SetUp() override {
        windowManager_.emplace(
            Process::start({"openbox"}, {session_.xvfb().env(), "HOME=" + session_.scratch()}));
        ASSERT_TRUE(e2e::waitUntil([&] { return windowManagerRuns(session_.display()); }, 30s))
            << windowManager_->errorOutput();
        // It says so before it takes on new windows: one mapped too soon stays
        // unmapped. Wait until a probe window gets through.
        ASSERT_TRUE(e2e::waitUntil([&] { return probeWindowGetsMapped(); }, 30s));
    }

    // The probe's connection stays open for the whole test: a new connection
    // would get the same window ids, which the window manager may still
    // remember for a moment as the probe's.
    bool probeWindowGetsMapped() {
        if (!probes_) probes_ = std::make_unique<Connection>(session_.display());
        Connection& x = *probes_;
        const ::Window probe =
            XCreateSimpleWindow(x, DefaultRootWindow(x.get()), 0, 0, 50, 50, 0, 0, 0);
        XMapWindow(x, probe);
        XSync(x, False);
        const bool mapped = e2e::waitUntil(
            [&] {
                XWindowAttributes attributes{};
                XGetWindowAttributes(x, probe, &attributes);
                return attributes.map_state == IsViewable;
            },
            1s);
        XDestroyWindow(x, probe);
        XSync(x, False);
        return mapped;
    }

    SaverSession session_;
    std::optional<Process> windowManager_;
    std::unique_ptr<Connection> probes_;
};

TEST_F(X11UnderAWindowManager, TheWindowAsksForFullScreenAndCoversTheScreen) {
    Process saver = session_.start();
    ::Window window = 0;
    ASSERT_TRUE(e2e::waitUntil(
        [&] {
            // The window manager frames it: look for our window by name inside.
            const auto out =
                e2e::runOutput({"xdotool", "search", "--name", "^Form1$"}, session_.env());
            window = std::strtoul(out.c_str(), nullptr, 10);
            return window != 0;
        },
        30s));
    // The window manager may map the window before it applies the state.
    std::vector<std::string> state;
    std::optional<WindowInfo> info;
    std::pair<int, int> corner;
    e2e::waitUntil(
        [&] {
            state = atomsOf(session_.display(), window, "_NET_WM_STATE");
            info = describe(session_.display(), window);
            corner = onScreen(session_.display(), window);
            return std::find(state.begin(), state.end(), "_NET_WM_STATE_FULLSCREEN") !=
                       state.end() &&
                   info.has_value() && corner == std::make_pair(0, 0) &&
                   info->width == session_.xvfb().width() &&
                   info->height == session_.xvfb().height();
        },
        10s);
    EXPECT_NE(std::find(state.begin(), state.end(), "_NET_WM_STATE_FULLSCREEN"), state.end());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(corner, std::make_pair(0, 0));
    EXPECT_EQ(info->width, session_.xvfb().width());
    EXPECT_EQ(info->height, session_.xvfb().height());

    // Covering the screen, it shows lights and nothing else.
    const LightsSeen seen = waitForLights(session_.display(), 3, 30s);
    EXPECT_GE(seen.litDiscs, 3) << saver.errorOutput();
    EXPECT_EQ(seen.strayPixels, 0) << "something other than lights on the screen";
    EXPECT_EQ(seen.mixedDiscs, 0);

    ASSERT_TRUE(session_.xdotool({"key", "space"}));
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
}

TEST_F(X11UnderAWindowManager, APreviewMovesIntoAPaneOfAManagedWindow) {
    // The host: a managed top-level window, framed by the window manager,
    // holding a grey pane.
    Connection x(session_.display());
    const ::Window host =
        XCreateSimpleWindow(x, DefaultRootWindow(x.get()), 100, 100, 500, 400, 0, 0, 0xC0C0C0);
    const ::Window pane = XCreateSimpleWindow(x, host, 40, 30, 320, 240, 0, 0, 0x808080);
    XStoreName(x, host, "Settings");
    XMapWindow(x, pane);
    XMapWindow(x, host);
    XSync(x, False);
    ASSERT_TRUE(e2e::waitUntil(
        [&] {
            const auto info = describe(session_.display(), pane);
            const auto frame = describe(session_.display(), host);
            return info && info->viewable && frame && frame->width == 500;
        },
        30s));

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
    EXPECT_EQ(child->x, 0);
    EXPECT_EQ(child->y, 0);
    EXPECT_EQ(child->height, 240);
    // The window manager let go of it: it has no frame and no state of its own.
    EXPECT_TRUE(atomsOf(session_.display(), child->id, "_NET_WM_STATE").empty());
    EXPECT_FALSE(windowOfProcess(session_.display(), saver.pid()).has_value());

    const LightsSeen seen = waitForLights(session_.display(), 3, 30s, pane);
    EXPECT_GE(seen.litDiscs, 3);
    EXPECT_EQ(seen.strayPixels, 0);
    EXPECT_EQ(seen.mixedDiscs, 0);
    // It stays there.
    EXPECT_FALSE(saver.wait(1s).has_value());
    EXPECT_EQ(childrenOf(session_.display(), pane).size(), 1u);

    XDestroyWindow(x, host);
    XSync(x, False);
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
}

}  // namespace
}  // namespace lightmatrix::x11_test
