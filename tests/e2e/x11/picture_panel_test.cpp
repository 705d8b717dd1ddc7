// The picture mosaic on the real X11 backend, in a private Xvfb: the program
// runs in the test's own process so that the test can call drawPicture, then
// looks at the panel's samples, the lights and the screen, and clicks the
// panel away with a real pointer.

#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/constants.h"
#include "e2e/support/picture_pattern.h"
#include "platform/x11/x11_backend.h"
#include "shell/saver_internals.h"
#include "support/ppm_file.h"
#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

using e2e::patternAt;

TEST(X11PicturePanel, TheMosaicShowsOnTheLightsAndThePanelAndAClickHidesThePanel) {
    SaverSession session;
    ::setenv("DISPLAY", session.display().c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", session.scratch().c_str(), 1);
    ::unsetenv("XSCREENSAVER_WINDOW");
    const std::string picture = session.scratch() + "/pattern.ppm";
    testing_support::writePpm(picture, e2e::kPictureWidth, e2e::kPictureHeight, patternAt);

    X11Backend x11(false);
    Saver saver(x11.window(), x11.panel(), x11, x11.clock(), x11.generator());
    ASSERT_TRUE(saver.load("", x11.instanceLock()));
    // Only drawPicture colours lights here.
    saver.lightingTimer->setEnabled(false);
    saver.clearingTimer->setEnabled(false);
    PicturePanel& panel = x11.panel();
    EXPECT_EQ(panel.sample(0, 0), kNoPixel);
    SaverInternals::drawPicture(saver, picture);

    // The panel is its design rectangle, and reads the picture from its
    // top-left corner, cut at its edges.
    const PixelRect area = designPanelArea(PixelMapping(96));
    ASSERT_EQ(panel.innerWidth(), static_cast<float>(area.width()));
    ASSERT_EQ(panel.innerHeight(), static_cast<float>(area.height()));
    EXPECT_EQ(panel.sample(area.width(), 0), kNoPixel);
    EXPECT_EQ(panel.sample(0, -1), kNoPixel);

    // The screen: the picture on the panel, the samples on the lights beside it.
    const auto shows = [&](const Raster& shot, int x, int y) {
        return shot.at(area.left + x, area.top + y) == patternAt(x, y);
    };
    Raster shot;
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            x11.processPendingEvents();
            shot = e2e::capture(session.display());
            return shows(shot, 0, 0) && shows(shot, area.width() - 1, area.height() - 1);
        },
        30s));
    EXPECT_NE(shot.at(area.right, area.top), patternAt(area.width(), 0));
    const int rows = (area.height() - 1) / 3 + 1;
    const int columns = (area.width() - 1) / 3 + 1;
    EXPECT_EQ(discCentre(shot, 3 * 120 + 11), patternAt(30, 9));

    // A real click on the panel hides it, the program runs on, and the lights
    // behind it show: one for each 3 x 3 block of the panel.
    ASSERT_TRUE(session.xdotool(
        {"mousemove", "--sync", std::to_string(area.left + 50), std::to_string(area.top + 20)}));
    ASSERT_TRUE(session.xdotool({"click", "1"}));
    e2e::LightsSeen lights;
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            x11.processPendingEvents();
            shot = e2e::capture(session.display());
            lights = e2e::inspectLights(shot);
            return !panel.visible() && lights.litDiscs == rows * columns;
        },
        30s));
    EXPECT_EQ(panel.sample(0, 0), kNoPixel);
    EXPECT_EQ(discCentre(shot, 12 * 120 + 61), patternAt(3 * 60, 3 * 12)) << "behind the panel";
    EXPECT_EQ(lights.strayPixels + lights.mixedDiscs, 0);
    EXPECT_EQ(x11.window().shown(), true) << "a click on the panel ended the program";
}

}  // namespace
}  // namespace lightmatrix::x11_test
