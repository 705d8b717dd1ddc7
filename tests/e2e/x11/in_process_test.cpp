// The real X11 backend in a private Xvfb, run in the test's own process so
// that the test can hand its panel a picture, which the X11 program offers no
// way to, and move the clock its timers keep to. The screen must show what
// the renderer draws on the in-memory backend.

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/x11/x11_backend.h"
#include "render.h"
#include "saver/saver.h"
#include "x11_session.h"

namespace lightmatrix::x11_test {

namespace {

// A session whose display the backend made in this process will use.
struct InProcessSession : SaverSession {
    InProcessSession() {
        ::setenv("DISPLAY", display().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", scratch().c_str(), 1);
        ::unsetenv("XSCREENSAVER_WINDOW");
    }
};

// The picture mosaic, its timers keeping to a clock that stands still, as
// the renderer's does when it draws a picture, before and after a real click
// hides the panel.
TEST(X11InProcess, TheMosaicShowsAsTheRendererDrawsItAndAClickHidesThePanel) {
    InProcessSession session;
    const std::string picture = e2e::writeTranslucentPng(session.scratch());

    const auto start = std::chrono::steady_clock::now();
    const EndSignals signals;
    X11Backend x11(signals, false, [start] { return start; });
    Saver saver(x11.window(), x11.panel(), x11, x11.clock(), x11.generator());
    ASSERT_TRUE(saver.load("", x11.instanceLock()));
    X11PicturePanel& panel = x11.panel();
    EXPECT_EQ(panel.sample(0, 0), kNoPixel);
    panel.choose(picture);
    const PixelRect area = designPanelArea(PixelMapping(96));
    EXPECT_EQ(panel.sample(area.width(), 0), kNoPixel);
    EXPECT_EQ(panel.sample(0, -1), kNoPixel);
    // What the renderer draws, on the in-memory backend, with `more` after the picture.
    const auto rendered = [&](std::vector<std::string> more) {
        more.insert(more.begin(), {"--size", "1024x768", "--picture", picture});
        more.push_back("unwritten.png");
        return render::renderFrame(render::parseArguments(more)).frame;
    };
    const auto events = [&x11] { x11.processPendingEvents(); };
    EXPECT_EQ(e2e::waitForScreen(session.display(), rendered({}), 30s, events), 0);

    // A real click on the panel hides it, and the program runs on.
    ASSERT_TRUE(session.xdotool(
        {"mousemove", "--sync", std::to_string(area.left + 50), std::to_string(area.top + 20)}));
    ASSERT_TRUE(session.xdotool({"click", "1"}));
    EXPECT_EQ(e2e::waitForScreen(session.display(), rendered({"--click-panel"}), 30s, events), 0);
    EXPECT_EQ(panel.sample(0, 0), kNoPixel);
    EXPECT_TRUE(x11.window().shown()) << "a click on the panel ended the program";
}

// Hidden in each way the server tells (its own screen saver on, the window
// covered or unmapped), the program runs no tick; shown again it runs every
// tick due and shows the frame that running on would have, across a clearing.
TEST(X11InProcess, UnseenItSleepsAndShownAgainShowsWhatRunningOnWouldHave) {
    InProcessSession session;
    std::chrono::milliseconds elapsed{0};
    const auto start = std::chrono::steady_clock::now();
    const EndSignals signals;
    X11Backend x11(
        signals, false, [&] { return start + elapsed; },
        [&] { return 1000.0 + std::chrono::duration<double>(elapsed).count(); });
    Saver saver(x11.window(), x11.panel(), x11, x11.clock(), x11.generator());
    ASSERT_TRUE(saver.load("", x11.instanceLock()));
    // Moves the clock on, the loop running a round every 50 ms of it.
    const auto run = [&](std::chrono::milliseconds time) {
        for (const auto end = elapsed + time; elapsed < end;) {
            elapsed += 50ms;
            x11.processPendingEvents();
        }
    };
    run(30s);
    EXPECT_EQ(saver.lightingTicks(), 3000);

    Connection x(session.display());
    const ::Window root = DefaultRootWindow(x.get());
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const ::Window cover = XCreateWindow(x, root, 0, 0, 1024, 768, 0, CopyFromParent, InputOutput,
                                         CopyFromParent, CWOverrideRedirect, &attributes);
    const auto xset = [&](const char* what) {
        return e2e::run({"xset", "s", what}, {session.xvfb().env()}) == 0;
    };
    const std::pair<std::string, std::function<void(bool)>> ways[] = {
        {"covered", [&](bool hide) { hide ? XMapRaised(x, cover) : XUnmapWindow(x, cover); }},
        {"unmapped",
         [&](bool hide) {
             hide ? XUnmapWindow(x, x11.window().id()) : XMapRaised(x, x11.window().id());
         }},
        {"blanked by the server",
         [&](bool hide) { ASSERT_TRUE(xset(hide ? "activate" : "reset")); }},
    };
    for (const auto& [how, hide] : ways) {
        SCOPED_TRACE(how);
        hide(true);
        XSync(x, False);
        run(100ms);
        const auto ticks = saver.lightingTicks();
        run(7min);  // across a clearing
        EXPECT_EQ(saver.lightingTicks(), ticks);
        hide(false);
        XSync(x, False);
        run(100ms);
        EXPECT_EQ(saver.lightingTicks(), elapsed.count() / 10);
    }

    const Raster expected =
        render::renderFrame(
            render::parseArguments({"--size", "1024x768", "--start", "1000", "--seconds",
                                    std::to_string(std::chrono::duration<double>(elapsed).count()),
                                    "unwritten.png"}))
            .frame;
    const auto events = [&x11] { x11.processPendingEvents(); };
    EXPECT_EQ(e2e::waitForScreen(session.display(), expected, 30s, events), 0);
}

}  // namespace
}  // namespace lightmatrix::x11_test
