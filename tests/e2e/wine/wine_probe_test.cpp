// The Win32 backend under Wine, from inside: each probe runs the program's
// logic on it and checks what only the inside can see, and this test checks
// that the screen then shows what the renderer draws on the in-memory
// backend. The picture probe has drawPicture copy a picture onto the lights;
// the sleep probe hides the window and shows it again.

#include "matrix/rasteriser.h"
#include "render.h"
#include "wine_session.h"

namespace lightmatrix::wine_test {
namespace {

class WineProbe : public WineSuite {
  protected:
    static void SetUpTestSuite() { session = std::make_unique<WineSession>("probe"); }
};

TEST_F(WineProbe, TheMosaicShowsAsTheRendererDrawsItAndAClickHidesThePanel) {
    const std::string picture = e2e::writeTranslucentPng(session->scratchDirectory());
    Process probe = session->start(
        {kPictureProbe, windowsPath(session->scratchDirectory()), windowsPath(picture)});
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return contains(outputOf(probe), "\nready\n") || !probe.running(); }, 90s))
        << outputOf(probe);
    ASSERT_TRUE(probe.running()) << outputOf(probe) << probe.errorOutput();

    // What the renderer draws with `more` after the picture.
    const auto rendered = [&](std::vector<std::string> more) {
        more.insert(more.begin(), {"--size", "1024x768", "--picture", picture});
        more.push_back("unwritten.png");
        return render::renderFrame(render::parseArguments(more)).frame;
    };
    EXPECT_EQ(e2e::waitForScreen(session->display(), rendered({}), 30s), 0);
    // A click on the panel hides it and ends nothing.
    const PixelRect panel = designPanelArea(PixelMapping(96));
    ASSERT_TRUE(session->xdotool({"mousemove", "--sync", std::to_string(panel.left + 20),
                                  std::to_string(panel.top + 20), "click", "1"}));
    EXPECT_EQ(e2e::waitForScreen(session->display(), rendered({"--click-panel"}), 30s), 0);
    ASSERT_TRUE(probe.running()) << "a click on the panel ended the program";

    // A key on the window ends it; the probe's status says its checks passed.
    ASSERT_TRUE(session->xdotool({"key", "space"}));
    EXPECT_EQ(probe.wait(30s), 0) << outputOf(probe) << probe.errorOutput();
}

// A window nobody can see runs no tick, and shown again it shows the frame
// that running on would have, across a clearing.
TEST_F(WineProbe, AfterSleepingUnseenTheScreenShowsWhatRunningOnWouldHave) {
    Process probe = session->start({kSleepProbe});
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return contains(outputOf(probe), "\nready ") || !probe.running(); }, 120s))
        << outputOf(probe);
    ASSERT_TRUE(probe.running()) << outputOf(probe) << probe.errorOutput();
    const std::string output = outputOf(probe);
    const std::string seconds = output.substr(output.find("\nready ") + 7);
    const Raster expected =
        render::renderFrame(
            render::parseArguments({"--size", "1024x768", "--start", "1000", "--seconds",
                                    seconds.substr(0, seconds.find('\n')), "unwritten.png"}))
            .frame;
    EXPECT_EQ(e2e::waitForScreen(session->display(), expected, 30s), 0);

    ASSERT_TRUE(session->xdotool({"mousemove", "--sync", "500", "700", "click", "1"}));
    EXPECT_EQ(probe.wait(30s), 0) << outputOf(probe) << probe.errorOutput();
}

}  // namespace
}  // namespace lightmatrix::wine_test
