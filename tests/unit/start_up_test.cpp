#include <gtest/gtest.h>

#include "support/error_kind.h"
#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::errorFrom;
using testing_support::RunningProgram;

TEST(StartUp, TheLoadStepShowsABlackWindowCoveringTheScreenWith10801LightsRowByRow) {
    RunningProgram program;
    const Saver& saver = program.saver;
    ASSERT_TRUE(program.loaded);
    EXPECT_TRUE(program.memory.instanceClaimed());
    EXPECT_EQ(std::tuple(saver.rowCount, saver.colCount, saver.clearingCount),
              std::tuple(90, 120, 0));
    EXPECT_TRUE(saver.lightingTimer->enabled() && saver.clearingTimer->enabled());
    EXPECT_FALSE(program.memory.panel().visible());
    EXPECT_EQ(program.memory.window().clientArea(), (PixelRect{0, 0, 800, 600}));
    for (const Colour pixel : program.memory.screen().pixels) ASSERT_EQ(pixel, kBlack);

    // Light 0 lies under light 1; light k stands in its own cell, row by row.
    const Lights& lights = program.lights();
    EXPECT_FALSE(lights.exists(10801) || lights.exists(-1));
    EXPECT_EQ(lights.cell(0), (TwipsRect{0, 0, 100, 100}));
    for (Int16 k = 1; k <= 10800; ++k) {
        const double left = (k - 1) % 120 * 100;
        const double top = (k - 1) / 120 * 100;
        ASSERT_EQ(lights.cell(k), (TwipsRect{left, top, left + 100, top + 100})) << k;
        ASSERT_EQ(lights.colour(k), kBlack);
    }
}

// createLights reads whatever sizes the fields hold when it runs.
TEST(StartUp, CreateLightsFollowsTheFieldsAndStopsWithOverflowPast32766Lights) {
    const auto build = [](Int16 rows, Int16 columns) {
        auto program = std::make_unique<RunningProgram>(MemoryOptions{}, "", false);
        program->saver.rowCount = rows;
        program->saver.colCount = columns;
        SaverInternals::createLights(program->saver);
        return program;
    };
    EXPECT_FALSE(build(0, 120)->lights().exists(1));
    const auto small = build(2, 3);
    EXPECT_FALSE(small->lights().exists(7));
    EXPECT_EQ(small->lights().cell(4), (TwipsRect{0, 100, 100, 200}));
    EXPECT_EQ(small->lights().cell(6), (TwipsRect{200, 100, 300, 200}));
    EXPECT_EQ(errorFrom([&] { build(200, 200); }), ErrorKind::Overflow);

    // Building twice would make a light under a taken index.
    RunningProgram program;
    EXPECT_EQ(errorFrom([&] { SaverInternals::createLights(program.saver); }),
              ErrorKind::InvalidArgument);
}

TEST(StartUp, ASecondInstanceEndsAtOnceAndShowsNothing) {
    RunningProgram program(MemoryOptions{.anotherInstanceRunning = true}, "/p 1234");
    EXPECT_FALSE(program.loaded || program.memory.window().shown());
    EXPECT_FALSE(program.lights().exists(1));
    EXPECT_EQ(program.saver.rowCount, 0);
}

TEST(StartUp, OnlyAnExactSlashPChoosesThePreview) {
    for (const char* commandLine :
         {"", "/s", "/S", "/c", "/c:1234", "/a 1234", "/x", "p", "/P 1234", "/"}) {
        RunningProgram program({}, commandLine);
        EXPECT_TRUE(program.memory.window().shown()) << commandLine;
        EXPECT_EQ(program.memory.window().parent(), 0) << commandLine;
    }
}

TEST(StartUp, AKeyOrAMouseButtonAnywhereOnTheWindowEndsTheProgram) {
    // A press on a light is a press on the window, the hidden panel's place included.
    for (const auto& [x, y] : {std::pair{-1, -1}, std::pair{400, 300}, std::pair{400, 100}}) {
        RunningProgram program;
        program.memory.advance(1000);
        if (x < 0)
            program.memory.pressKey();
        else
            program.memory.pressMouse(x, y);
        EXPECT_TRUE(program.memory.ended() && program.memory.window().closed());
        const auto stoppedAt = program.memory.nowMs();
        program.memory.advance(1000);
        EXPECT_EQ(program.memory.nowMs(), stoppedAt);  // no tick after the end
    }
}

}  // namespace
}  // namespace lightmatrix
