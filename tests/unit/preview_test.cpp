#include <gtest/gtest.h>

#include "shell/preview_embedding.h"
#include "shell/program_start.h"
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

    const auto errorOf = [](const char* commandLine) {
        return errorFrom([&] { paneHandleFromCommandLine(commandLine); });
    };
    EXPECT_EQ(errorOf("/p"), ErrorKind::InvalidArgument);
    for (const char* notANumber :
         {"/p ", "/pa", "/p abc", "/p 12x", "/p 1 2", "/p -", "/p +-1", "/p    ", "/p 0x10"})
        EXPECT_EQ(errorOf(notANumber), ErrorKind::TypeMismatch) << notANumber;
    for (const char* tooLarge : {"/p 2147483648", "/p 99999999999", "/p -2147483649"})
        EXPECT_EQ(errorOf(tooLarge), ErrorKind::Overflow) << tooLarge;
}

TEST(Preview, TheWindowRunsOnInThePaneUntilAClickOrThePaneEndsIt) {
    for (const bool click : {true, false}) {
        MemoryBackend memory;
        const Int32 pane = memory.window().createPane(152, 112);
        Saver saver(memory.window(), memory.panel(), memory, memory, memory.generator());
        ASSERT_TRUE(saver.load("/p " + std::to_string(pane), memory));
        EXPECT_EQ(memory.window().parent(), pane);
        EXPECT_EQ(memory.window().clientArea(), (PixelRect{0, 0, 152, 112}));
        EXPECT_TRUE(memory.window().shown());

        // The lights show from the pane's top-left corner at their full size.
        saver.highlight(0, 1, rgb(0, 255, 0));
        EXPECT_EQ(memory.screen().at(3, 3), rgb(0, 255, 0));
        memory.advance(5000);
        EXPECT_FALSE(memory.ended());
        if (click)
            memory.pressMouse(10, 10);
        else
            memory.window().destroyPane(pane);
        EXPECT_TRUE(memory.ended());
    }
}

TEST(Preview, ABadHandleFailsAfterTheWindowWasShownFullScreenAndChangesNothing) {
    struct Case {
        const char* commandLine;
        ErrorKind kind;
    };
    // "/p 0" and "/p 4242" name no window: no longer run unseen.
    for (const Case c : {Case{"/p", ErrorKind::InvalidArgument},
                         {"/p ", ErrorKind::TypeMismatch},
                         {"/p abc", ErrorKind::TypeMismatch},
                         {"/p 99999999999", ErrorKind::Overflow},
                         {"/p 0", ErrorKind::InvalidArgument},
                         {"/p 4242", ErrorKind::InvalidArgument}}) {
        SCOPED_TRACE(c.commandLine);
        MemoryBackend memory;
        Saver saver(memory.window(), memory.panel(), memory, memory, memory.generator());
        EXPECT_EQ(errorFrom([&] { saver.load(c.commandLine, memory); }), c.kind);
        EXPECT_TRUE(memory.window().shown());
        EXPECT_EQ(memory.window().clientArea(), (PixelRect{0, 0, 800, 600}));
        EXPECT_EQ(memory.window().parent(), 0);
    }
}

TEST(Preview, ARunTimeErrorEndsTheProgramWithOneLineAndStatusOne) {
    MemoryBackend memory;
    Saver saver(memory.window(), memory.panel(), memory, memory, memory.generator());
    bool looped = false;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(runProgram(saver, "/p abc", memory, [&] { looped = true; }), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "lightmatrix: run-time error: Type mismatch: \"abc\" is not a number\n");
    EXPECT_FALSE(looped);

    MemoryBackend fine;
    Saver running(fine.window(), fine.panel(), fine, fine, fine.generator());
    EXPECT_EQ(runProgram(running, "/s", fine, [&] { looped = true; }), 0);
    EXPECT_TRUE(looped);

    // A second instance ends with status 0 and never runs the loop.
    MemoryBackend second(MemoryOptions{.anotherInstanceRunning = true});
    Saver refused(second.window(), second.panel(), second, second, second.generator());
    looped = false;
    EXPECT_EQ(runProgram(refused, "", second, [&] { looped = true; }), 0);
    EXPECT_FALSE(looped);
}

}  // namespace
}  // namespace lightmatrix
