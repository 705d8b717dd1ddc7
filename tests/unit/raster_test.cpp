#include <gtest/gtest.h>

#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::cellCentrePixels;
using testing_support::RunningProgram;

// Whether pixel (x, y) lies inside the disc of the cell in row `row`, column `col`.
bool insideDisc(const PixelMapping& mapping, int row, int col, Int32 x, Int32 y) {
    const double s = mapping.pixelsPerTwip();
    const double cx = (col * 100 + 50) * s;
    const double cy = (row * 100 + 50) * s;
    const double r = 50 * s;
    const double dx = x + 0.5 - cx;
    const double dy = y + 0.5 - cy;
    return dx * dx + dy * dy <= r * r;
}

TEST(Raster, AHighlightedLightShowsAsADiscAndOnlyItsDisc) {
    for (const double dpi : {96.0, 120.0, 144.0}) {
        SCOPED_TRACE(dpi);
        RunningProgram program(
            MemoryOptions{.screenWidth = 1300, .screenHeight = 1000, .dpi = dpi});
        const PixelMapping& mapping = program.memory.window().mapping();
        const Colour red = rgb(255, 0, 0);
        program.form->highlight(5, 8, red);             // row 5, column 7 (counted from 0)
        program.form->highlight(6, 8, rgb(0, 0, 255));  // the light just below

        const Raster& frame = program.memory.frame();
        int redPixels = 0;
        for (Int32 y = 0; y < frame.height; ++y) {
            for (Int32 x = 0; x < frame.width; ++x) {
                const Colour expected = insideDisc(mapping, 5, 7, x, y)   ? red
                                        : insideDisc(mapping, 6, 7, x, y) ? rgb(0, 0, 255)
                                                                          : kBlack;
                ASSERT_EQ(frame.at(x, y), expected) << x << ", " << y;
                redPixels += expected == red;
            }
        }
        // A disc 100 twips across covers about pi/4 of its cell.
        const double cell = 100 * mapping.pixelsPerTwip();
        EXPECT_NEAR(redPixels, 3.14159 / 4 * cell * cell, cell * 2);

        // The corners where four cells meet stay black.
        const auto [cx, cy] = cellCentrePixels(mapping, 5 * 120 + 8);
        EXPECT_EQ(frame.at(cx, cy), red);
        const auto corner = static_cast<Int32>(8 * 100 * mapping.pixelsPerTwip());
        EXPECT_EQ(frame.at(corner, static_cast<Int32>(6 * 100 * mapping.pixelsPerTwip())), kBlack);
    }
}

TEST(Raster, TheMatrixEndsAt800By600AndTheTemplateStaysHiddenUnderLightOne) {
    RunningProgram program(MemoryOptions{.screenWidth = 1024, .screenHeight = 768});
    frmMain& form = *program.form;
    form.highlight(0, 0, rgb(255, 0, 0));  // the template light
    EXPECT_EQ(program.centreOf(1), kBlack);
    form.highlight(0, 1, rgb(0, 255, 0));
    EXPECT_EQ(program.centreOf(1), rgb(0, 255, 0));
    form.highlight(0, 0, rgb(255, 255, 0));  // repainting light 0's cell keeps light 1 on top
    EXPECT_EQ(program.centreOf(1), rgb(0, 255, 0));

    form.highlight(89, 119, rgb(0, 0, 255));  // light 10799, near the bottom-right corner
    EXPECT_EQ(program.centreOf(10799), rgb(0, 0, 255));
    form.drawHorLine(89, 120, 0, rgb(0, 0, 255));  // light 10800
    EXPECT_EQ(program.memory.frame().at(796, 596), rgb(0, 0, 255));
    // Beyond the matrix: background only.
    const Raster& frame = program.memory.frame();
    for (Int32 y = 0; y < frame.height; ++y)
        for (Int32 x = 800; x < frame.width; ++x) ASSERT_EQ(frame.at(x, y), kBlack);
    for (Int32 y = 600; y < frame.height; ++y)
        for (Int32 x = 0; x < frame.width; ++x) ASSERT_EQ(frame.at(x, y), kBlack);
}

TEST(Raster, ASmallWindowShowsTheTopLeftOfTheMatrixAndLaterLightsStillExist) {
    RunningProgram program(MemoryOptions{.screenWidth = 200, .screenHeight = 150});
    program.form->highlight(80, 100, rgb(1, 2, 3));  // far outside the window
    EXPECT_EQ(program.fill(80 * 120 + 100), rgb(1, 2, 3));
    for (const Colour pixel : program.memory.frame().pixels) ASSERT_EQ(pixel, kBlack);
}

TEST(Raster, CellByCellRepaintsAddUpToTheWholeFrame) {
    // A minute of ticks repaints one cell at a time; drawing the window whole
    // from the lights as they stand must give the same pixels, at any DPI.
    for (const double dpi : {96.0, 120.0, 144.0}) {
        SCOPED_TRACE(dpi);
        RunningProgram program(
            MemoryOptions{.screenWidth = 1300, .screenHeight = 1000, .dpi = dpi});
        program.memory.advance(60'000);
        const Raster byCells = program.memory.frame();
        int lit = 0;
        for (Int16 k = 1; k <= 10800; ++k) lit += program.fill(k) != kBlack;
        ASSERT_GT(lit, 3000);

        MemoryWindow& window = program.memory.window();
        window.repaintPixels(window.raster().bounds());
        EXPECT_TRUE(byCells.pixels == program.memory.frame().pixels);
    }
}

}  // namespace
}  // namespace lightmatrix
