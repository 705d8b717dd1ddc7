// The picture mosaic on the real X11 backend, in a private Xvfb: the program
// runs in the test's own process so that the test can hand its panel a
// picture, which the X11 program offers no way to. Its timers keep to a clock
// that stands still, as the renderer's does when it draws a picture. The
// screen must show what the renderer draws on the in-memory backend, before
// and after a real click hides the panel.

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/x11/x11_backend.h"
#include "render.h"
#include "saver/saver.h"
#include "x11_session.h"

namespace lightmatrix::x11_test {

namespace {

TEST(X11PicturePanel, TheMosaicShowsAsTheRendererDrawsItAndAClickHidesThePanel) {
    SaverSession session;
    ::setenv("DISPLAY", session.display().c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", session.scratch().c_str(), 1);
    ::unsetenv("XSCREENSAVER_WINDOW");
    const std::string picture = e2e::writeTranslucentPng(session.scratch());

    const auto start = std::chrono::steady_clock::now();
    X11Backend x11(false, [start] { return start; });
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

}  // namespace
}  // namespace lightmatrix::x11_test
