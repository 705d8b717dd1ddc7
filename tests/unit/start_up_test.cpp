#include <gtest/gtest.h>

#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::RunningProgram;

TEST(StartUp, LoadStepBuildsTheMatrixAndShowsABlackMaximisedWindow) {
    RunningProgram program;
    frmMain& form = *program.form;
    const MemoryWindow& window = program.memory.window();

    EXPECT_EQ(form.rowCount, 90);
    EXPECT_EQ(form.colCount, 120);
    EXPECT_EQ(window.backColor(), kBlack);
    EXPECT_TRUE(window.maximized());
    EXPECT_TRUE(window.shown());
    EXPECT_FALSE(program.memory.ended());
    EXPECT_TRUE(program.memory.instanceClaimed());
    EXPECT_EQ(window.clientWidth(), 800);
    EXPECT_EQ(window.clientHeight(), 600);

    // Both timers are on from creation with their periods.
    EXPECT_TRUE(form.Timer1->enabled());
    EXPECT_EQ(form.Timer1->interval(), 10);
    EXPECT_TRUE(form.tmrClear->enabled());
    EXPECT_EQ(form.tmrClear->interval(), 60000);
    EXPECT_EQ(form.clearTicks, 0);
    EXPECT_FALSE(form.Picture1.visible());

    // The window is uniformly black.
    for (const Colour pixel : program.memory.frame().pixels) ASSERT_EQ(pixel, kBlack);
}

TEST(StartUp, CreateLightsLaysOut10801LightsRowByRow) {
    RunningProgram program;
    const Lights& lights = program.memory.platform().lights;

    EXPECT_TRUE(lights.exists(0));
    EXPECT_TRUE(lights.exists(10800));
    EXPECT_FALSE(lights.exists(10801));
    EXPECT_FALSE(lights.exists(-1));

    struct Expected {
        Int16 index;
        float left, top;
    };
    for (const Expected e : {Expected{0, 0, 0}, Expected{1, 0, 0}, Expected{120, 11900, 0},
                             Expected{121, 0, 100}, Expected{10800, 11900, 8900}}) {
        SCOPED_TRACE(e.index);
        EXPECT_EQ(lights.left(e.index), e.left);
        EXPECT_EQ(lights.top(e.index), e.top);
    }

    // Every matrix light: its own cell, 100 x 100 twips, visible, black, a solid disc.
    std::vector<bool> cellTaken(10800, false);
    for (Int16 k = 1; k <= 10800; ++k) {
        const LightRecord* record = program.memory.lights().scene().find(k);
        ASSERT_NE(record, nullptr);
        ASSERT_TRUE(record->visible);
        ASSERT_EQ(record->width, 100);
        ASSERT_EQ(record->height, 100);
        ASSERT_EQ(record->fillColour, kBlack);
        ASSERT_EQ(record->backColour, kBlack);
        ASSERT_EQ(record->shape, LightShape::Circle);
        ASSERT_EQ(record->fillStyle, FillStyle::Solid);
        const int cell =
            static_cast<int>(record->top / 100) * 120 + static_cast<int>(record->left / 100);
        ASSERT_EQ(cell, k - 1);
        ASSERT_FALSE(cellTaken[static_cast<std::size_t>(cell)]);
        cellTaken[static_cast<std::size_t>(cell)] = true;
    }
}

TEST(StartUp, ASecondInstanceEndsAtOnceAndShowsNothing) {
    for (const char* commandLine : {"", "/s", "/p 1234"}) {
        SCOPED_TRACE(commandLine);
        RunningProgram program(
            MemoryOptions{.commandLine = commandLine, .anotherInstanceRunning = true});
        EXPECT_TRUE(program.memory.ended());
        EXPECT_FALSE(program.memory.window().shown());
        EXPECT_FALSE(program.memory.platform().lights.exists(1));
        EXPECT_EQ(program.form->rowCount, 0);
        EXPECT_TRUE(program.memory.user32().calls().empty());
        // No timer tick is handled after the end.
        program.memory.advance(60000 * 7);
        EXPECT_EQ(program.memory.nowMs(), 0);
    }
}

TEST(StartUp, OnlyACaseSensitiveSlashPChoosesPreview) {
    for (const char* commandLine :
         {"", "/s", "/S", "/c", "/c:1234", "/a 1234", "/x", "p", "/P 1234", "/"}) {
        SCOPED_TRACE(commandLine);
        RunningProgram program(MemoryOptions{.commandLine = commandLine});
        EXPECT_TRUE(program.memory.user32().calls().empty());
        EXPECT_TRUE(program.memory.window().shown());
        EXPECT_EQ(program.memory.window().parent, 0);
        EXPECT_FALSE(program.memory.ended());
    }
}

TEST(StartUp, AnyKeyOrMouseButtonEndsTheProgramAndMovingDoesNot) {
    {
        RunningProgram program;
        program.memory.advance(1000);
        program.memory.pressKey(/*F10*/ 121, /*Alt*/ 4);
        EXPECT_TRUE(program.memory.ended());
        EXPECT_TRUE(program.memory.window().closed());
        const auto stoppedAt = program.memory.nowMs();
        program.memory.advance(1000);
        EXPECT_EQ(program.memory.nowMs(), stoppedAt);  // no tick after the end
    }
    for (const Int16 button : {Int16{1}, Int16{2}, Int16{4}}) {
        RunningProgram program;
        program.memory.pressMouse(button, 400, 300);
        EXPECT_TRUE(program.memory.ended());
    }
    // A press on a light is a press on the window, the hidden panel's place included.
    RunningProgram program;
    program.memory.pressMouse(1, 400, 100);
    EXPECT_TRUE(program.memory.ended());
}

}  // namespace
}  // namespace lightmatrix

namespace lightmatrix {
namespace {

// createLights reads whatever sizes the fields hold when it runs.
TEST(CreateLights, FollowsTheFieldsAndStopsWithOverflowPast32766Lights) {
    {
        MemoryPlatform memory;
        frmMain form(memory.platform());
        form.rowCount = 0;
        form.colCount = 120;
        frmMainInternals::createLights(form);
        EXPECT_TRUE(memory.lights().exists(0));
        EXPECT_FALSE(memory.lights().exists(1));
    }
    {
        MemoryPlatform memory;
        frmMain form(memory.platform());
        form.rowCount = 2;
        form.colCount = 3;
        frmMainInternals::createLights(form);
        const Lights& lights = memory.lights();
        EXPECT_FALSE(lights.exists(7));
        EXPECT_EQ(lights.left(3), 200);
        EXPECT_EQ(lights.top(3), 0);
        EXPECT_EQ(lights.left(4), 0);
        EXPECT_EQ(lights.top(4), 100);
        EXPECT_EQ(lights.left(6), 200);
        EXPECT_EQ(lights.top(6), 100);
    }
    {
        MemoryPlatform memory;
        frmMain form(memory.platform());
        form.rowCount = 200;
        form.colCount = 200;
        try {
            frmMainInternals::createLights(form);
            ADD_FAILURE() << "no overflow";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Overflow);
        }
        EXPECT_TRUE(memory.lights().exists(32767));  // made before the index ran out
        EXPECT_EQ(memory.lights().left(32767), 16600);
        EXPECT_EQ(memory.lights().top(32767), 16300);
    }
    {
        // Building twice would create a light under a taken index.
        testing_support::RunningProgram program;
        try {
            frmMainInternals::createLights(*program.form);
            ADD_FAILURE() << "no error";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::InvalidArgument);
        }
    }
}

}  // namespace
}  // namespace lightmatrix
