// The picture panel of the Win32 backend under Wine: the probe has drawPicture
// copy a picture onto the lights and checks the panel from inside; this test
// looks at the panel and the lights on the screen, and clicks the panel away.

#include "e2e/support/picture_pattern.h"
#include "platform/common/rasteriser.h"
#include "wine_session.h"

namespace lightmatrix::wine_test {
namespace {

using e2e::patternAt;

class WinePicturePanel : public WineSuite {
  protected:
    static void SetUpTestSuite() { session = std::make_unique<WineSession>("picture"); }
};

TEST_F(WinePicturePanel, TheMosaicShowsAndAClickHidesThePanel) {
    const PixelRect panel = designPanelArea(PixelMapping(96));
    Process probe = session->start({kPictureProbe, windowsPath(session->scratchDirectory())});
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return contains(outputOf(probe), "\nready\n") || !probe.running(); }, 90s))
        << outputOf(probe);
    ASSERT_TRUE(probe.running()) << outputOf(probe) << probe.errorOutput();

    // The panel shows the picture from its top-left corner, cut at its edges.
    Raster shot;
    int wrong = 0;
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            shot = e2e::capture(session->display());
            wrong = 0;
            for (Int32 y = panel.top; y < panel.bottom; ++y)
                for (Int32 x = panel.left; x < panel.right; ++x)
                    wrong += shot.at(x, y) != patternAt(x - panel.left, y - panel.top);
            return wrong == 0;
        },
        30s))
        << wrong << " pixels of the panel do not show the picture";
    EXPECT_NE(shot.at(panel.right, panel.top), patternAt(panel.width(), 0));

    // A click on the panel hides it and ends nothing. Then every light shows
    // the top-left pixel of its 3 x 3 block, as far as the panel reached, and
    // the rest are dark.
    std::vector<Colour> mosaic;
    for (Int32 y = 0; y < panel.height(); y += 3)
        for (Int32 x = 0; x < panel.width(); x += 3) mosaic.push_back(patternAt(x, y));
    ASSERT_TRUE(session->xdotool({"mousemove", "--sync", std::to_string(panel.left + 20),
                                  std::to_string(panel.top + 20), "click", "1"}));
    e2e::LightsSeen lights;
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            lights = e2e::inspectLights(e2e::capture(session->display()));
            return lights.colours == mosaic;
        },
        30s))
        << "the screen shows " << lights.litDiscs << " lit lights, not the " << mosaic.size()
        << " of the mosaic";
    EXPECT_EQ(lights.strayPixels, 0);
    EXPECT_EQ(lights.mixedDiscs, 0);
    ASSERT_TRUE(probe.running()) << "a click on the panel ended the program";

    // A key on the window ends it; the probe's status says its checks passed.
    ASSERT_TRUE(session->xdotool({"key", "space"}));
    EXPECT_EQ(probe.wait(30s), 0) << outputOf(probe) << probe.errorOutput();
}

}  // namespace
}  // namespace lightmatrix::wine_test
