// The picture mosaic on the real X11 backend, in a private Xvfb: the program
// runs in the test's own process so that the test can call drawPicture, then
// looks at the panel through GetPixel, on the lights and on the screen, and
// clicks it away with a real pointer.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <memory>
#include <string>

#include "common/constants.h"
#include "e2e/support/e2e.h"
#include "e2e/support/picture_pattern.h"
#include "platform/win32_constants.h"
#include "platform/x11/x11_platform.h"
#include "shell/frm_main_internals.h"
#include "shell/program_start.h"
#include "support/scratch_dir.h"

namespace lightmatrix {
namespace {

using namespace std::chrono_literals;
using e2e::kPictureHeight;
using e2e::kPictureWidth;
using e2e::patternAt;

void writePpm(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << kPictureWidth << ' ' << kPictureHeight << "\n255\n";
    for (int y = 0; y < kPictureHeight; ++y) {
        for (int x = 0; x < kPictureWidth; ++x) {
            const Colour c = patternAt(x, y);
            out.put(static_cast<char>(c & 0xFF));
            out.put(static_cast<char>((c >> 8) & 0xFF));
            out.put(static_cast<char>((c >> 16) & 0xFF));
        }
    }
}

// Pixels of the panel's area on the screen that show the picture's pixel for
// their place.
int pictureShownIn(const e2e::Screenshot& shot, const PixelRect& panel) {
    int shown = 0;
    for (int y = panel.top; y < panel.bottom; ++y)
        for (int x = panel.left; x < panel.right; ++x)
            shown += shot.at(x, y) == patternAt(x - panel.left, y - panel.top);
    return shown;
}

TEST(X11PicturePanel, TheMosaicShowsOnTheLightsAndThePanelAndAClickHidesThePanel) {
    e2e::Xvfb xvfb(1024, 768);
    testing_support::ScratchDir scratch("x11-picture");
    ::setenv("DISPLAY", xvfb.display().c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", scratch.path().c_str(), 1);
    ::unsetenv("XSCREENSAVER_WINDOW");
    const std::string picture = scratch.file("pattern.ppm");
    writePpm(picture);

    X11Platform x11("");
    Platform& platform = x11.platform();
    const auto form = startProgram(platform);
    ASSERT_FALSE(x11.ended());
    // Only drawPicture colours lights here.
    form->Timer1->setEnabled(false);
    form->tmrClear->setEnabled(false);
    PicturePanel& panel = form->Picture1;
    EXPECT_FALSE(panel.visible());
    EXPECT_EQ(platform.gdi32.GetPixel(panel.hDC(), 0, 0), CLR_INVALID);

    frmMainInternals::drawPicture(*form, panel, picture);

    // The panel is its design rectangle at 96 dpi, and GetPixel reads the
    // picture from its top-left corner, cut at the panel's edges.
    const PixelMapping mapping(96);
    const PixelRect area =
        mapping.toPixels({kPanelLeftTwips, kPanelTopTwips, kPanelLeftTwips + kPanelWidthTwips,
                          kPanelTopTwips + kPanelHeightTwips});
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    ASSERT_TRUE(panel.visible());
    ASSERT_EQ(static_cast<int>(panel.scaleWidth()), width);
    ASSERT_EQ(static_cast<int>(panel.scaleHeight()), height);
    int wrongPixels = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            wrongPixels += platform.gdi32.GetPixel(panel.hDC(), x, y) != patternAt(x, y);
    EXPECT_EQ(wrongPixels, 0);
    EXPECT_EQ(platform.gdi32.GetPixel(panel.hDC(), width, 0), CLR_INVALID);
    EXPECT_EQ(platform.gdi32.GetPixel(panel.hDC(), 0, height), CLR_INVALID);
    EXPECT_EQ(platform.gdi32.GetPixel(panel.hDC(), -1, 0), CLR_INVALID);

    // Sample (3j, 3i) of the panel landed on the light in row i, column j.
    const int rows = (height - 1) / 3 + 1;
    const int columns = (width - 1) / 3 + 1;
    int wrongLights = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const auto k = static_cast<Int16>(row * kColumns + column + 1);
            const Colour expected =
                row < rows && column < columns ? patternAt(3 * column, 3 * row) : kBlack;
            wrongLights += platform.lights.fillColor(k) != expected;
        }
    }
    EXPECT_EQ(wrongLights, 0) << rows << " rows of " << columns << " lights sampled";

    // On the screen: the panel shows the picture, and the lights beside it
    // their samples.
    e2e::Screenshot shot;
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            platform.events.doEvents();
            shot = e2e::capture(xvfb.display());
            return pictureShownIn(shot, area) == width * height;
        },
        30s))
        << pictureShownIn(shot, area) << " of " << width * height << " panel pixels";
    EXPECT_NE(shot.at(area.right, area.top), patternAt(width, 0));
    const auto centre = [&](int row, int column) {
        return shot.at(static_cast<int>((column * 100 + 50) * mapping.pixelsPerTwip()),
                       static_cast<int>((row * 100 + 50) * mapping.pixelsPerTwip()));
    };
    EXPECT_EQ(centre(3, 10), patternAt(30, 9));

    // A real click on the panel hides it and the program runs on; the lights
    // behind it show.
    const std::vector<std::string> env{xvfb.env()};
    ASSERT_EQ(
        e2e::run({"xdotool", "mousemove", "--sync", std::to_string((area.left + area.right) / 2),
                  std::to_string((area.top + area.bottom) / 2)},
                 env),
        0);
    ASSERT_EQ(e2e::run({"xdotool", "click", "1"}, env), 0);
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            platform.events.doEvents();
            return !panel.visible();
        },
        30s));
    EXPECT_FALSE(x11.ended()) << "a click on the panel ended the program";
    EXPECT_EQ(platform.gdi32.GetPixel(panel.hDC(), 0, 0), CLR_INVALID);
    e2e::LightsSeen lights;
    e2e::waitUntil(
        [&] {
            platform.events.doEvents();
            shot = e2e::capture(xvfb.display());
            lights = e2e::inspectLights(shot);
            return lights.litDiscs == rows * columns && lights.mixedDiscs == 0;
        },
        30s);
    EXPECT_EQ(centre(12, 60), patternAt(3 * 60, 3 * 12)) << "the light behind the panel";
    EXPECT_EQ(lights.litDiscs, rows * columns);
    EXPECT_EQ(lights.strayPixels, 0);
    EXPECT_EQ(lights.mixedDiscs, 0);
}

}  // namespace
}  // namespace lightmatrix
