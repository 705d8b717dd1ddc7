#include <gtest/gtest.h>

#include <tuple>

#include "support/error_kind.h"
#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::RunningProgram;

TEST(StartUp, TheLoadStepShowsABlackWindowCoveringTheScreenWith10801LightsRowByRow) {
    RunningProgram program;
    const Saver& saver = program.saver;
    ASSERT_TRUE(program.loaded);
    EXPECT_TRUE(program.memory.instanceClaimed());
    EXPECT_EQ(std::tuple(saver.rowCount, saver.colCount), std::tuple(90, 120));
    EXPECT_FALSE(program.memory.panel().visible());
    EXPECT_EQ(program.memory.window().clientArea(), (PixelRect{0, 0, 800, 600}));
    for (const Colour pixel : program.memory.screen().pixels) ASSERT_EQ(pixel, kBlack);

    // Light 0 lies under light 1; the lights stand row by row, every one black.
    const Lights& lights = program.lights();
    EXPECT_FALSE(lights.exists(10801) || lights.exists(-1));
    for (const auto& [k, left, top] : {std::tuple<Int16, double, double>{0, 0, 0},
                                       {1, 0, 0},
                                       {120, 11900, 0},
                                       {121, 0, 100},
                                       {10800, 11900, 8900}})
        EXPECT_EQ(lights.cell(k), (TwipsRect{left, top, left + 100, top + 100})) << k;
    EXPECT_TRUE(program.lit().empty());
}

TEST(StartUp, ASecondInstanceEndsAtOnceAndShowsNothing) {
    RunningProgram program(MemoryOptions{.anotherInstanceRunning = true}, "/p 1234");
    EXPECT_FALSE(program.loaded || program.memory.window().shown());
    EXPECT_FALSE(program.lights().exists(1));
    EXPECT_EQ(program.saver.rowCount, 0);
}

TEST(StartUp, OnlyAnExactSlashPAtTheStartChoosesThePreview) {
    for (const char* commandLine : {"", "/s", "/S", "/c", "/c:1234", "/a 1234", "/x", "p",
                                    "/P 1234", "/", "/s /p 1234", " /p 1234"}) {
        RunningProgram program({}, commandLine);
        EXPECT_TRUE(program.memory.window().shown()) << commandLine;
        EXPECT_EQ(program.memory.window().parent(), 0) << commandLine;
    }
}

TEST(StartUp, AKeyOrAnyMouseButtonAnywhereOnTheWindowEndsTheProgram) {
    // A press on a light is a press on the window, the hidden panel's place included.
    for (const auto& [x, y, left] : {std::tuple{-1, -1, true}, std::tuple{400, 300, true},
                                     std::tuple{400, 100, true}, std::tuple{20, 20, false}}) {
        RunningProgram program;
        program.memory.advance(1000);
        if (x < 0)
            program.memory.pressKey();
        else
            program.memory.mouseDown(x, y, left);
        EXPECT_TRUE(program.memory.ended() && program.memory.window().closed());
        const auto stoppedAt = program.memory.nowMs();
        const auto ticks = program.saver.lightingTicks();
        program.memory.advance(1000);
        EXPECT_EQ(program.memory.nowMs(), stoppedAt);  // no tick after the end
        EXPECT_EQ(program.saver.lightingTicks(), ticks);
    }
}

}  // namespace
}  // namespace lightmatrix
