#include <gtest/gtest.h>

#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::RunningProgram;

int litMatrixLights(RunningProgram& program) {
    int lit = 0;
    for (Int16 k = 1; k <= 10800; ++k) lit += program.fill(k) != kBlack;
    return lit;
}

int litPixels(RunningProgram& program) {
    int lit = 0;
    for (const Colour pixel : program.memory.frame().pixels) lit += pixel != kBlack;
    return lit;
}

TEST(WholeProgram, LightsPileUpForSixMinutesThenGoDarkAndStartAgain) {
    RunningProgram program(MemoryOptions{.startSeconds = 12 * 3600 + 0.003});
    frmMain& form = *program.form;
    MemoryPlatform& memory = program.memory;

    memory.advance(1000);
    const int afterOneSecond = litMatrixLights(program);
    EXPECT_GT(afterOneSecond, 80);  // about 100 ticks, a few landing outside or twice
    EXPECT_LE(afterOneSecond, 100);
    EXPECT_GT(litPixels(program), afterOneSecond * 20);

    memory.advance(59000);
    const int afterOneMinute = litMatrixLights(program);
    EXPECT_GT(afterOneMinute, afterOneSecond * 20);
    EXPECT_EQ(form.clearTicks, 1);

    // Keep a colour on the template light: clearing must not touch it.
    form.highlight(0, 0, rgb(9, 9, 9));
    memory.advance(5 * 60000 - 1);  // just before the sixth clearing tick
    EXPECT_GT(litMatrixLights(program), afterOneMinute);
    EXPECT_EQ(form.clearTicks, 5);

    // The sixth clearing tick, at 360000 ms. The lighting tick due at the same
    // moment came first (it was created first), so the matrix holds only what
    // the clearing left: nothing.
    memory.advance(1);
    EXPECT_EQ(memory.nowMs(), 360000);
    EXPECT_EQ(form.clearTicks, 0);
    EXPECT_EQ(litMatrixLights(program), 0);
    EXPECT_EQ(litPixels(program), 0);
    EXPECT_NE(program.fill(0), kBlack);
    EXPECT_TRUE(form.Timer1->enabled());

    // And the lights come back.
    memory.advance(2000);
    EXPECT_GT(litMatrixLights(program), 100);
    EXPECT_FALSE(memory.ended());

    memory.pressKey();
    EXPECT_TRUE(memory.ended());
}

TEST(WholeProgram, TheSameStartTimeGivesTheSameFrame) {
    RunningProgram first(MemoryOptions{.startSeconds = 5000});
    RunningProgram second(MemoryOptions{.startSeconds = 5000});
    first.memory.advance(30000);
    second.memory.advance(30000);
    EXPECT_EQ(first.memory.frame().pixels, second.memory.frame().pixels);
    RunningProgram other(MemoryOptions{.startSeconds = 7000});
    other.memory.advance(30000);
    EXPECT_NE(first.memory.frame().pixels, other.memory.frame().pixels);
}

}  // namespace
}  // namespace lightmatrix
