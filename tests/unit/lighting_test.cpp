#include <gtest/gtest.h>

#include "support/error_kind.h"
#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::errorFrom;
using testing_support::RunningProgram;

// The indices of the lights not black.
std::vector<Int16> litLights(RunningProgram& program) {
    std::vector<Int16> lit;
    for (const auto& [k, colour] : program.lit()) lit.push_back(k);
    return lit;
}

std::vector<Int16> range(int first, int last, int step = 1) {
    std::vector<Int16> indices;
    for (int k = first; k <= last; k += step) indices.push_back(static_cast<Int16>(k));
    return indices;
}

TEST(Highlight, ColoursLightRowTimesColumnsPlusColumnBelowTheFixedBound) {
    RunningProgram program;
    Saver& saver = program.saver;
    saver.highlight(0, 1, 1);
    saver.highlight(89, 119, 2);
    saver.highlight(1, 0, 3);    // the last light of row 0
    saver.highlight(0, 121, 4);  // runs on into row 1
    saver.highlight(0, 0, 5);    // the template light
    EXPECT_EQ(program.fill(1), 1);
    EXPECT_EQ(program.fill(10799), 2);
    EXPECT_EQ(program.fill(120), 3);
    EXPECT_EQ(program.fill(121), 4);
    EXPECT_EQ(program.fill(0), 5);
    saver.highlight(0, 120, 6);  // the same light as (1, 0)
    EXPECT_EQ(program.fill(120), 6);

    // Index 10800 and above are turned away silently, whatever the fields hold.
    for (const auto& [r, c] : {std::pair<Int16, Int16>{89, 120}, {90, 0}, {273, 0}, {90, 120}})
        saver.highlight(r, c, 255);
    saver.colCount = 200;
    saver.highlight(53, 200, 255);  // 10800 again
    EXPECT_EQ(litLights(program), (std::vector<Int16>{0, 1, 120, 121, 10799}));
}

TEST(Highlight, OverflowAndMissingLightsFailWithoutColouringAnything) {
    RunningProgram program;
    Saver& saver = program.saver;
    EXPECT_EQ(errorFrom([&] { saver.highlight(274, 0, 255); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([&] { saver.highlight(273, 8, 255); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([&] { saver.highlight(-274, 0, 255); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([&] { saver.highlight(-1, 0, 255); }), ErrorKind::NoSuchLight);
    EXPECT_EQ(errorFrom([&] { saver.highlight(0, -1, 255); }), ErrorKind::NoSuchLight);
    EXPECT_TRUE(litLights(program).empty());
}

TEST(Clear, ResetsLightsOneToTheLastToTheBackgroundAndLeavesTheLightingTimerOn) {
    RunningProgram program;
    Saver& saver = program.saver;
    saver.highlight(0, 0, 255);  // the template light, hidden under light 1
    saver.drawHorLine(0, 1, 10799, 99);
    program.lights().remove(17);
    saver.clear();
    // A missing light is skipped; the rest are reset, the template is not.
    EXPECT_EQ(litLights(program), std::vector<Int16>{0});
    for (const Colour pixel : program.screen().pixels) ASSERT_EQ(pixel, kBlack);
    // The lighting timer ticks on: a second lights about a hundred.
    program.memory.advance(1000);
    EXPECT_GT(program.lit().size(), 50u);

    // The background is read afresh.
    program.memory.window().setBackColour(rgb(0, 0, 40));
    saver.clear();
    EXPECT_EQ(program.fill(1), rgb(0, 0, 40));
    EXPECT_EQ(program.fill(10800), rgb(0, 0, 40));

    // Rows times columns beyond 16 bits: nothing to loop over, the timer still on.
    saver.highlight(2, 2, 7);
    saver.rowCount = 300;
    saver.clear();
    EXPECT_EQ(program.fill(242), 7);
    saver.rowCount = 90;
    const auto ticks = saver.lightingTicks();
    program.memory.advance(1000);
    EXPECT_EQ(saver.lightingTicks(), ticks + 100);
}

TEST(LineDrawing, HorizontalRunsColourLengthPlusOneLightsAcrossRowEndsUpToAFailure) {
    RunningProgram program;
    Saver& saver = program.saver;
    saver.drawHorLine(0, 1, 120, 7);  // all of row 0 and the first light of row 1
    EXPECT_EQ(litLights(program), range(1, 121));

    // Length 0 colours the start light alone, wherever it is; a negative one nothing.
    for (const auto& [row, col, index] :
         {std::tuple<Int16, Int16, Int16>{0, 0, 0}, {1, 0, 120}, {5, 121, 721}, {89, 120, 10800}}) {
        saver.clear();
        saver.highlight(0, 0, kBlack);
        saver.drawHorLine(row, col, 0, 0x123456);
        saver.drawHorLine(5, 5, -1, 8);
        EXPECT_EQ(litLights(program), std::vector<Int16>{index});
        if (index > 0) {
            EXPECT_EQ(program.centreOf(index), 0x123456);
        }
    }

    // A run past the last light colours up to it, and shows, then fails.
    saver.clear();
    EXPECT_EQ(errorFrom([&] { saver.drawHorLine(89, 118, 5, 3); }), ErrorKind::NoSuchLight);
    EXPECT_EQ(litLights(program), range(10798, 10800));
    EXPECT_EQ(program.centreOf(10800), 3);
    // An index beyond 16 bits fails before any light changes.
    EXPECT_EQ(errorFrom([&] { saver.drawHorLine(274, 0, 0, 4); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([&] { saver.drawHorLine(0, 1, 32767, 4); }), ErrorKind::Overflow);
    EXPECT_EQ(program.fill(1), kBlack);
}

TEST(LineDrawing, VerticalRunsColourLengthLightsOneRowApartUpToAFailure) {
    RunningProgram program;
    Saver& saver = program.saver;
    saver.drawVerLine(0, 120, 90, rgb(0, 200, 0));  // the last column, light 10800 too
    EXPECT_EQ(litLights(program), range(120, 10800, 120));
    EXPECT_EQ(program.centreOf(10800), rgb(0, 200, 0));

    saver.clear();
    saver.drawVerLine(3, 3, 0, 5);
    saver.drawVerLine(3, 3, -4, 5);
    EXPECT_TRUE(litLights(program).empty());
    saver.drawVerLine(3, 3, 1, 5);
    EXPECT_EQ(litLights(program), std::vector<Int16>{363});

    // The 91st index names no light, after 90 were coloured.
    saver.clear();
    EXPECT_EQ(errorFrom([&] { saver.drawVerLine(0, 1, 91, 6); }), ErrorKind::NoSuchLight);
    EXPECT_EQ(litLights(program), range(1, 10681, 120));
    EXPECT_EQ(errorFrom([&] { saver.drawVerLine(274, 0, 1, 6); }), ErrorKind::Overflow);

    // The step after the last light overflows once that light is coloured.
    saver.colCount = 30000;
    EXPECT_EQ(errorFrom([&] { saver.drawVerLine(0, 10000, 1, 7); }), ErrorKind::Overflow);
    EXPECT_EQ(program.fill(10000), 7);
}

}  // namespace
}  // namespace lightmatrix
