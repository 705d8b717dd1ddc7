#include <gtest/gtest.h>

#include <algorithm>

#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::RunningProgram;

// Whether pixel (x, y) lies inside the disc of the cell in row `row`, column `col`.
bool insideDisc(const PixelMapping& mapping, int row, int col, Int32 x, Int32 y) {
    const double s = mapping.pixelsPerTwip();
    const double dx = x + 0.5 - (col * 100 + 50) * s;
    const double dy = y + 0.5 - (row * 100 + 50) * s;
    return dx * dx + dy * dy <= 50 * s * 50 * s;
}

TEST(Raster, AColouredLightShowsAsADiscAndOnlyItsDiscAtAnyDpi) {
    for (const double dpi : {96.0, 120.0, 144.0}) {
        SCOPED_TRACE(dpi);
        RunningProgram program(
            MemoryOptions{.screenWidth = 1300, .screenHeight = 1000, .dpi = dpi});
        const PixelMapping& mapping = program.memory.window().mapping();
        const Colour red = rgb(255, 0, 0);
        const Colour blue = rgb(0, 0, 255);
        program.saver.highlight(5, 8, red);   // row 5, column 7 counted from 0
        program.saver.highlight(6, 8, blue);  // the light just below

        const Raster& screen = program.screen();
        int redPixels = 0;
        for (Int32 y = 0; y < screen.height; ++y) {
            for (Int32 x = 0; x < screen.width; ++x) {
                const Colour expected = insideDisc(mapping, 5, 7, x, y)   ? red
                                        : insideDisc(mapping, 6, 7, x, y) ? blue
                                                                          : kBlack;
                ASSERT_EQ(screen.at(x, y), expected) << x << ", " << y;
                redPixels += expected == red;
            }
        }
        // A disc 100 twips across covers about pi/4 of its cell.
        const double cell = 100 * mapping.pixelsPerTwip();
        EXPECT_NEAR(redPixels, 3.14159 / 4 * cell * cell, cell * 2);
    }
}

TEST(Raster, TheMatrixEndsAt800By600AndTheTemplateStaysUnderLightOne) {
    RunningProgram program(MemoryOptions{.screenWidth = 1024, .screenHeight = 768});
    Saver& saver = program.saver;
    saver.highlight(0, 0, rgb(255, 0, 0));
    EXPECT_EQ(program.centreOf(1), kBlack);
    saver.highlight(0, 1, rgb(0, 255, 0));
    saver.highlight(0, 0, rgb(255, 255, 0));  // repainting light 0's cell keeps light 1 on top
    EXPECT_EQ(program.centreOf(1), rgb(0, 255, 0));
    saver.drawHorLine(89, 119, 1, rgb(0, 0, 255));  // lights 10799 and 10800
    const Raster& screen = program.screen();
    EXPECT_EQ(screen.at(796, 596), rgb(0, 0, 255));
    for (Int32 y = 0; y < screen.height; ++y)
        for (Int32 x = y < 600 ? 800 : 0; x < screen.width; ++x)
            ASSERT_EQ(screen.at(x, y), kBlack) << x << ", " << y;

    // On a small screen the lights beyond its edges still exist and take colours.
    RunningProgram small(MemoryOptions{.screenWidth = 200, .screenHeight = 150});
    small.saver.highlight(80, 100, rgb(1, 2, 3));
    EXPECT_EQ(small.fill(80 * 120 + 100), rgb(1, 2, 3));
    for (const Colour pixel : small.screen().pixels) ASSERT_EQ(pixel, kBlack);
}

TEST(Raster, CellByCellRepaintsAndSmallTilesAddUpToTheWholeFrameAtAnyDpi) {
    for (const double dpi : {96.0, 120.0, 144.0}) {
        SCOPED_TRACE(dpi);
        RunningProgram program(
            MemoryOptions{.screenWidth = 1300, .screenHeight = 1000, .dpi = dpi});
        program.memory.advance(60'000);
        const Raster whole = program.drawnAfresh();
        EXPECT_TRUE(program.memory.screen().pixels == whole.pixels);
        // So do tiles 7 pixels square, whose edges fall inside cells.
        Raster tiles(whole.width, whole.height, kBlack);
        for (Int32 y = 0; y < whole.height; y += 7)
            for (Int32 x = 0; x < whole.width; x += 7)
                renderArea(program.lights(), kBlack, program.memory.window().mapping(),
                           {x, y, std::min(x + 7, whole.width), std::min(y + 7, whole.height)},
                           tiles);
        EXPECT_TRUE(tiles.pixels == whole.pixels);
        int lit = 0;
        for (const Colour pixel : whole.pixels) lit += pixel != kBlack;
        EXPECT_GT(lit, 3000 * 20);
    }
}

TEST(Raster, AMoveToADisplayOfAnotherDpiDrawsTheLightsAndThePanelAtTheirNewSize) {
    RunningProgram program(MemoryOptions{.screenWidth = 1300, .screenHeight = 1000});
    program.memory.advance(10'000);
    program.memory.window().setDpi(144);
    program.memory.advance(10);
    ASSERT_EQ(program.memory.window().mapping().pixelsPerTwip(), 0.1);
    EXPECT_TRUE(program.memory.screen().pixels == program.drawnAfresh().pixels);
    EXPECT_EQ(program.memory.panel().area(), designPanelArea(PixelMapping(144)));
}

}  // namespace
}  // namespace lightmatrix
