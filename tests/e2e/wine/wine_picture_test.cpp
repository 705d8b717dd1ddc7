// The picture panel of the Win32 backend under Wine: drawPicture copies a
// picture onto the lights (checked inside the probe, see picture_probe.cpp),
// and the screen shows the panel and the mosaic; a click on the panel hides
// it without ending the program.

#include <gtest/gtest.h>

#include "common/constants.h"
#include "e2e/support/picture_pattern.h"
#include "platform/common/raster.h"
#include "wine_session.h"

namespace lightmatrix::wine_test {
namespace {

using e2e::patternAt;
using e2e::Process;
using e2e::Screenshot;

class WinePicturePanel : public WineSuite {
  protected:
    static void SetUpTestSuite() { session = std::make_unique<WineSession>("picture"); }
};

// Pixels of the panel's area that show the picture's pixel for their place.
int pictureShownIn(const Screenshot& shot, const PixelRect& panel) {
    int shown = 0;
    for (int y = panel.top; y < panel.bottom; ++y)
        for (int x = panel.left; x < panel.right; ++x)
            shown += shot.at(x, y) == patternAt(x - panel.left, y - panel.top);
    return shown;
}

TEST_F(WinePicturePanel, TheMosaicShowsOnTheLightsAndAClickHidesThePanel) {
    const PixelMapping mapping(96);
    const PixelRect panel =
        mapping.toPixels({kPanelLeftTwips, kPanelTopTwips, kPanelLeftTwips + kPanelWidthTwips,
                          kPanelTopTwips + kPanelHeightTwips});
    const int panelPixels = (panel.right - panel.left) * (panel.bottom - panel.top);

    Process probe =
        session->start({WindowsBuild::pictureProbe(), windowsPath(session->scratchDirectory())});
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return contains(outputOf(probe), "\nready\n") || !probe.running(); }, 90s))
        << outputOf(probe);
    ASSERT_TRUE(probe.running()) << outputOf(probe) << probe.errorOutput();
    EXPECT_FALSE(contains(outputOf(probe), "FAIL")) << outputOf(probe);

    // The panel shows the picture from its top-left corner, cut at its edges.
    Screenshot shot = e2e::capture(session->display());
    EXPECT_EQ(pictureShownIn(shot, panel), panelPixels);
    EXPECT_NE(shot.at(panel.right, panel.top), patternAt(panel.right - panel.left, 0));

    // Each light took the colour of the top-left pixel of its 3 x 3 block; the
    // lights that the panel does not cover show it. Sampling ended at the
    // panel's edges: 22 rows of 70 lights.
    const int rows = (panel.bottom - panel.top - 1) / 3 + 1;
    const int columns = (panel.right - panel.left - 1) / 3 + 1;
    int checked = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const int x = static_cast<int>((column * 100 + 50) * mapping.pixelsPerTwip());
            const int y = static_cast<int>((row * 100 + 50) * mapping.pixelsPerTwip());
            const bool underPanel = x >= panel.left - 4 && x < panel.right + 4 &&
                                    y >= panel.top - 4 && y < panel.bottom + 4;
            if (underPanel) continue;
            const Colour expected =
                row < rows && column < columns ? patternAt(3 * column, 3 * row) : kBlack;
            EXPECT_EQ(shot.at(x, y), expected) << "light in row " << row << ", column " << column;
            ++checked;
        }
    }
    EXPECT_GT(checked, 10000);

    // A click on the panel hides it; the lights behind it show, and the
    // program runs on.
    const int panelX = (panel.left + panel.right) / 2;
    const int panelY = (panel.top + panel.bottom) / 2;
    ASSERT_TRUE(
        session->xdotool({"mousemove", "--sync", std::to_string(panelX), std::to_string(panelY)}));
    ASSERT_TRUE(session->xdotool({"click", "1"}));
    EXPECT_TRUE(e2e::waitUntil(
        [&] { return pictureShownIn(e2e::capture(session->display()), panel) < panelPixels / 10; },
        30s))
        << "the panel is still shown";
    EXPECT_TRUE(probe.running()) << "a click on the panel ended the program";
    shot = e2e::capture(session->display());
    const int x = static_cast<int>((60 * 100 + 50) * mapping.pixelsPerTwip());
    const int y = static_cast<int>((12 * 100 + 50) * mapping.pixelsPerTwip());
    ASSERT_TRUE(x > panel.left && x < panel.right && y > panel.top && y < panel.bottom);
    EXPECT_EQ(shot.at(x, y), patternAt(3 * 60, 3 * 12)) << "the light behind the panel";
    const e2e::LightsSeen lights = e2e::inspectLights(shot);
    EXPECT_EQ(lights.litDiscs, rows * columns);
    EXPECT_EQ(lights.strayPixels, 0);
    EXPECT_EQ(lights.mixedDiscs, 0);

    // A key on the window ends it; the probe's status says all its checks passed.
    ASSERT_TRUE(session->xdotool({"key", "space"}));
    EXPECT_EQ(probe.wait(30s), 0) << outputOf(probe) << probe.errorOutput();
}

}  // namespace
}  // namespace lightmatrix::wine_test
