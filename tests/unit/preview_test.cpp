#include <gtest/gtest.h>

#include "saver/preview.h"
#include "saver/program.h"
#include "support/error_kind.h"
#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::errorFrom;
using testing_support::RunningProgram;

TEST(Preview, ThePaneHandleIsEverythingFromTheFourthCharacter) {
    EXPECT_EQ(paneHandleFromCommandLine("/p 1234"), 1234);
    EXPECT_EQ(paneHandleFromCommandLine("/p:1234"), 1234);
    EXPECT_EQ(paneHandleFromCommandLine("/p  1234  "), 1234);
    EXPECT_EQ(paneHandleFromCommandLine("/p1234"), 234);
    EXPECT_EQ(paneHandleFromCommandLine("/p +77"), 77);
    EXPECT_EQ(paneHandleFromCommandLine("/p -2147483648"), -2147483648LL);
    EXPECT_EQ(paneHandleFromCommandLine("/p 2147483647"), 2147483647);
}

TEST(Preview, TheWindowRunsOnInThePaneUntilAClickOrThePaneEndsIt) {
    for (const bool click : {true, false}) {
        RunningProgram program({}, "", false);
        MemoryWindow& window = program.memory.window();
        const Int32 pane = window.createPane(152, 112);
        ASSERT_TRUE(program.saver.load("/p " + std::to_string(pane), program.memory));
        EXPECT_EQ(window.parent(), pane);
        EXPECT_EQ(window.clientArea(), (PixelRect{0, 0, 152, 112}));
        // The lights show from the pane's top-left corner at their full size.
        program.saver.highlight(0, 1, rgb(0, 255, 0));
        EXPECT_EQ(program.screen().at(3, 3), rgb(0, 255, 0));
        program.memory.advance(5000);
        EXPECT_FALSE(program.memory.ended());
        if (click)
            program.memory.mouseDown(10, 10);
        else
            window.destroyPane(pane);
        EXPECT_TRUE(program.memory.ended());
    }
}

TEST(Preview, ABadHandleFailsAfterTheWindowWasShownFullScreenAndChangesNothing) {
    // "/p 0" and "/p 4242" name no window: they no longer run unseen.
    using enum ErrorKind;
    const std::pair<const char*, ErrorKind> cases[] = {
        {"/p", InvalidArgument},     {"/p ", TypeMismatch},        {"/pa", TypeMismatch},
        {"/p abc", TypeMismatch},    {"/p 12x", TypeMismatch},     {"/p 1 2", TypeMismatch},
        {"/p -", TypeMismatch},      {"/p +-1", TypeMismatch},     {"/p 0x10", TypeMismatch},
        {"/p 2147483648", Overflow}, {"/p -2147483649", Overflow}, {"/p 0", InvalidArgument},
        {"/p 4242", InvalidArgument}};
    for (const auto& [commandLine, kind] : cases) {
        RunningProgram program({}, "", false);
        EXPECT_EQ(errorFrom([&] { program.saver.load(commandLine, program.memory); }), kind)
            << commandLine;
        EXPECT_EQ(program.memory.window().clientArea(), (PixelRect{0, 0, 800, 600}));
        EXPECT_TRUE(program.memory.window().shown() && program.memory.window().parent() == 0);
    }
}

TEST(Preview, ARunTimeErrorEndsTheProgramWithOneLineAndStatusOne) {
    int loops = 0;
    const auto run = [&](const char* commandLine, MemoryOptions options = {}) {
        RunningProgram program(options, "", false);
        return runProgram(program.saver, commandLine, program.memory, [&] { ++loops; });
    };
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run("/p abc"), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "lightmatrix: run-time error: Type mismatch: \"abc\" is not a number\n");
    EXPECT_EQ(loops, 0);
    EXPECT_EQ(run("/s"), 0);
    EXPECT_EQ(loops, 1);
    // A second instance ends with status 0 and never runs the loop.
    EXPECT_EQ(run("", MemoryOptions{.anotherInstanceRunning = true}), 0);
    EXPECT_EQ(loops, 1);
}

}  // namespace
}  // namespace lightmatrix
