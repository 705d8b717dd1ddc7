#include <gtest/gtest.h>

#include "e2e/support/e2e.h"
#include "support/running_program.h"

namespace lightmatrix {
namespace {

// The check that the end-to-end tests make of a screenshot agrees with the
// renderer, and sees faults: a stray pixel, a disc painted in part, a matrix
// out of place.
TEST(InspectLights, AgreesWithTheRendererAndCatchesStrayAndPartialPaint) {
    for (const double dpi : {96.0, 144.0}) {
        SCOPED_TRACE(dpi);
        testing_support::RunningProgram program(
            MemoryOptions{.screenWidth = 1300, .screenHeight = 1000, .dpi = dpi});
        program.memory.advance(3000);
        int lit = 0;
        for (Int16 k = 1; k <= 10800; ++k) lit += program.fill(k) != kBlack;
        Raster shot = program.memory.screen();
        const e2e::LightsSeen seen = e2e::inspectLights(shot, 0, 0, dpi);
        EXPECT_EQ(seen.litDiscs, lit);
        EXPECT_EQ(seen.strayPixels + seen.mixedDiscs, 0);

        const auto between = static_cast<Int32>(200 * dpi / 1440);
        shot.at(between, between) = kWhite;
        EXPECT_EQ(e2e::inspectLights(shot, 0, 0, dpi).strayPixels, 1);
        program.saver.highlight(50, 60, rgb(1, 200, 1));
        Raster half = program.memory.screen();
        const auto [x, y] =
            testing_support::cellCentrePixels(program.memory.window().mapping(), 50 * 120 + 60);
        half.at(x, y) = kBlack;
        EXPECT_EQ(e2e::inspectLights(half, 0, 0, dpi).mixedDiscs, 1);
        EXPECT_GT(e2e::inspectLights(shot, 7, 7, dpi).strayPixels, 100);
    }
}

}  // namespace
}  // namespace lightmatrix
