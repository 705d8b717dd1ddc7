#include <gtest/gtest.h>

#include "support/error_kind.h"
#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::RunningProgram;

using testing_support::errorFrom;

std::vector<Int16> litLights(RunningProgram& program) {
    std::vector<Int16> lit;
    for (Int16 k = 0; k <= 10800; ++k)
        if (program.fill(k) != kBlack) lit.push_back(k);
    return lit;
}

TEST(Highlight, AddressesRowTimesColumnsPlusColumnAndNothingElse) {
    RunningProgram program;
    frmMain& form = *program.form;
    form.highlight(0, 1, 1);
    form.highlight(89, 119, 2);
    form.highlight(1, 0, 3);    // last light of row 0
    form.highlight(0, 121, 4);  // runs on into row 1
    EXPECT_EQ(program.fill(1), 1);
    EXPECT_EQ(program.fill(10799), 2);
    EXPECT_EQ(program.fill(120), 3);
    EXPECT_EQ(program.fill(121), 4);
    EXPECT_EQ(litLights(program), (std::vector<Int16>{1, 120, 121, 10799}));

    form.highlight(0, 120, 5);  // the same light as (1, 0)
    EXPECT_EQ(program.fill(120), 5);
}

TEST(Highlight, TheFixedBoundTurnsAwayIndex10800AndAboveSilently) {
    RunningProgram program;
    frmMain& form = *program.form;
    form.highlight(89, 120, 255);  // light 10800
    form.highlight(90, 0, 255);
    form.highlight(273, 0, 255);  // 32760
    form.highlight(90, 120, 255);
    EXPECT_TRUE(litLights(program).empty());

    // The bound stays 10800 even if the fields change after start-up.
    form.colCount = 200;
    form.highlight(53, 200, 255);  // 10800 again
    form.highlight(53, 199, 255);  // 10799
    EXPECT_EQ(litLights(program), std::vector<Int16>{10799});
}

TEST(Highlight, OverflowAndMissingLightsFailWithoutColouringAnything) {
    RunningProgram program;
    frmMain& form = *program.form;
    EXPECT_EQ(errorFrom([&] { form.highlight(274, 0, 255); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([&] { form.highlight(273, 8, 255); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([&] { form.highlight(-1, 0, 255); }), ErrorKind::NoSuchLight);
    EXPECT_EQ(errorFrom([&] { form.highlight(-274, 0, 255); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([&] { form.highlight(0, -1, 255); }), ErrorKind::NoSuchLight);
    EXPECT_TRUE(litLights(program).empty());
}

TEST(Clear, ResetsEveryMatrixLightButKeepsTheTemplateAndTurnsTimer1On) {
    RunningProgram program;
    frmMain& form = *program.form;
    form.highlight(0, 0, 255);  // the template light, hidden under light 1
    for (Int16 r = 0; r < 90; r += 7)
        for (Int16 c = 1; c <= 120; c += 5) form.highlight(r, c, rgb(r, c, 9));
    form.highlight(89, 119, 77);
    ASSERT_GT(litLights(program).size(), 100u);

    form.Timer1->setEnabled(false);
    form.clear();
    EXPECT_EQ(litLights(program), std::vector<Int16>{0});
    EXPECT_EQ(program.fill(0), 255);
    EXPECT_TRUE(form.Timer1->enabled());
    for (const Colour pixel : program.memory.frame().pixels) ASSERT_EQ(pixel, kBlack);
}

TEST(Clear, SkipsAMissingLightAndStillResetsTheRest) {
    RunningProgram program;
    frmMain& form = *program.form;
    form.drawHorLine(0, 1, 10799, 99);  // lights 1 .. 10800
    program.memory.lights().unload(17);
    form.clear();
    EXPECT_EQ(program.fill(16), kBlack);
    EXPECT_EQ(program.fill(18), kBlack);
    EXPECT_EQ(program.fill(10800), kBlack);
    EXPECT_TRUE(form.Timer1->enabled());
}

TEST(Clear, TakesTheWindowsCurrentBackgroundAndSurvivesAnOversizedMatrix) {
    RunningProgram program;
    frmMain& form = *program.form;
    program.memory.window().setBackColor(rgb(0, 0, 40));
    form.clear();
    EXPECT_EQ(program.fill(1), rgb(0, 0, 40));
    EXPECT_EQ(program.fill(10800), rgb(0, 0, 40));
    EXPECT_EQ(program.fill(0), kBlack);

    // rows x columns beyond 16 bits: nothing to loop over, nothing raised, Timer1 on.
    form.rowCount = 300;
    form.Timer1->setEnabled(false);
    EXPECT_NO_THROW(form.clear());
    EXPECT_TRUE(form.Timer1->enabled());
}

TEST(LineDrawing, HorizontalRunsColourLengthPlusOneLightsAcrossRowEnds) {
    RunningProgram program;
    frmMain& form = *program.form;
    form.drawHorLine(0, 1, 120, 7);  // all of row 0 and the first light of row 1
    std::vector<Int16> expected;
    for (Int16 k = 1; k <= 121; ++k) expected.push_back(k);
    EXPECT_EQ(litLights(program), expected);

    form.clear();
    form.drawHorLine(89, 120, 0, 8);  // length 0: one light, the last one
    form.drawHorLine(5, 5, -1, 8);    // negative: nothing
    EXPECT_EQ(litLights(program), std::vector<Int16>{10800});

    form.clear();
    form.drawHorLine(0, 0, 0, 9);  // the template light
    EXPECT_EQ(litLights(program), std::vector<Int16>{0});
}

TEST(LineDrawing, AHorizontalRunPastTheLastLightColoursItThenFails) {
    RunningProgram program;
    frmMain& form = *program.form;
    EXPECT_EQ(errorFrom([&] { form.drawHorLine(89, 118, 5, 3); }), ErrorKind::NoSuchLight);
    EXPECT_EQ(litLights(program), (std::vector<Int16>{10798, 10799, 10800}));
    EXPECT_EQ(errorFrom([&] { form.drawHorLine(274, 0, 0, 3); }), ErrorKind::Overflow);
    // An end index beyond 16 bits fails before any light changes.
    EXPECT_EQ(errorFrom([&] { form.drawHorLine(0, 1, 32767, 4); }), ErrorKind::Overflow);
    EXPECT_EQ(program.fill(1), kBlack);
}

TEST(LineDrawing, VerticalRunsColourLengthLightsOneRowApart) {
    RunningProgram program;
    frmMain& form = *program.form;
    form.drawVerLine(0, 1, 90, 5);
    std::vector<Int16> expected;
    for (Int16 r = 0; r < 90; ++r) expected.push_back(static_cast<Int16>(r * 120 + 1));
    EXPECT_EQ(litLights(program), expected);

    form.clear();
    form.drawVerLine(3, 3, 0, 5);
    form.drawVerLine(3, 3, -4, 5);
    EXPECT_TRUE(litLights(program).empty());
    form.drawVerLine(3, 3, 1, 5);
    EXPECT_EQ(litLights(program), std::vector<Int16>{363});

    // One step too far: the 91st index names no light after 90 were coloured.
    form.clear();
    EXPECT_EQ(errorFrom([&] { form.drawVerLine(0, 1, 91, 6); }), ErrorKind::NoSuchLight);
    EXPECT_EQ(litLights(program), expected);
    EXPECT_EQ(errorFrom([&] { form.drawVerLine(274, 0, 1, 6); }), ErrorKind::Overflow);
}

TEST(LineDrawing, AVerticalStepPast16BitsFailsAfterItsLightWasColoured) {
    RunningProgram program;
    frmMain& form = *program.form;
    form.colCount = 16000;  // steps of 16000 from light 10799 overflow at once
    EXPECT_EQ(errorFrom([&] { form.drawVerLine(0, 10799, 3, 6); }), ErrorKind::NoSuchLight);
    EXPECT_EQ(program.fill(10799), 6);
    form.colCount = 30000;
    EXPECT_EQ(errorFrom([&] { form.drawVerLine(0, 10000, 1, 7); }), ErrorKind::Overflow);
    EXPECT_EQ(program.fill(10000), 7);
}

TEST(LineDrawing, RunsShowOnTheWindowUpToWhereTheyFail) {
    RunningProgram program;
    frmMain& form = *program.form;
    // Length 0 colours exactly the start light wherever that is: row ends included.
    for (const auto& [row, col, index] : {std::tuple<Int16, Int16, Int16>{0, 1, 1},
                                          {0, 120, 120},
                                          {1, 0, 120},
                                          {5, 121, 721},
                                          {89, 120, 10800}}) {
        SCOPED_TRACE(index);
        form.clear();
        form.drawHorLine(row, col, 0, 0x123456);
        EXPECT_EQ(litLights(program), std::vector<Int16>{index});
        EXPECT_EQ(program.centreOf(index), 0x123456);
    }

    // The last column, top to bottom: light 10800 too, which highlight() never colours.
    form.clear();
    form.drawVerLine(0, 120, 90, rgb(0, 200, 0));
    for (Int16 k = 120; k <= 10800; k += 120) ASSERT_EQ(program.centreOf(k), rgb(0, 200, 0)) << k;
    EXPECT_EQ(litLights(program).size(), 90u);

    // A run that fails past the last light leaves what it coloured on the window.
    form.clear();
    EXPECT_EQ(errorFrom([&] { form.drawHorLine(89, 119, 3, rgb(200, 0, 0)); }),
              ErrorKind::NoSuchLight);
    EXPECT_EQ(program.centreOf(10799), rgb(200, 0, 0));
    EXPECT_EQ(program.centreOf(10800), rgb(200, 0, 0));
    EXPECT_EQ(program.centreOf(10798), kBlack);
}

}  // namespace
}  // namespace lightmatrix
