#include <gtest/gtest.h>

#include "platform/win32_constants.h"
#include "shell/module1.h"
#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::RunningProgram;
using Call = MemoryUser32::Call;

ErrorKind errorOf(const std::string& commandLine) {
    try {
        paneHandleFromCommandLine(commandLine);
    } catch (const RuntimeError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no error for \"" << commandLine << '"';
    return ErrorKind::Platform;
}

TEST(Preview, PaneHandleIsEverythingFromTheFourthCharacter) {
    EXPECT_EQ(paneHandleFromCommandLine("/p 1234"), 1234);
    EXPECT_EQ(paneHandleFromCommandLine("/p:1234"), 1234);
    EXPECT_EQ(paneHandleFromCommandLine("/p  1234"), 1234);
    EXPECT_EQ(paneHandleFromCommandLine("/p1234"), 234);
    EXPECT_EQ(paneHandleFromCommandLine("/p 1234  "), 1234);
    EXPECT_EQ(paneHandleFromCommandLine("/p +77"), 77);
    EXPECT_EQ(paneHandleFromCommandLine("/p -2147483648"), -2147483648LL);
    EXPECT_EQ(paneHandleFromCommandLine("/p 2147483647"), 2147483647);

    EXPECT_EQ(errorOf("/p"), ErrorKind::InvalidArgument);
    EXPECT_EQ(errorOf(""), ErrorKind::InvalidArgument);
    EXPECT_EQ(errorOf("/p "), ErrorKind::TypeMismatch);
    EXPECT_EQ(errorOf("/pa"), ErrorKind::TypeMismatch);
    EXPECT_EQ(errorOf("/p abc"), ErrorKind::TypeMismatch);
    EXPECT_EQ(errorOf("/p 12x"), ErrorKind::TypeMismatch);
    EXPECT_EQ(errorOf("/p 1 2"), ErrorKind::TypeMismatch);
    EXPECT_EQ(errorOf("/p -"), ErrorKind::TypeMismatch);
    EXPECT_EQ(errorOf("/p    "), ErrorKind::TypeMismatch);
    EXPECT_EQ(errorOf("/p 2147483648"), ErrorKind::Overflow);
    EXPECT_EQ(errorOf("/p 99999999999"), ErrorKind::Overflow);
    EXPECT_EQ(errorOf("/p -2147483649"), ErrorKind::Overflow);
}

TEST(Preview, AttachMakesTheWindowAChildOfThePaneWithTheExactCallsInOrder) {
    MemoryPlatform memory(MemoryOptions{.commandLine = "/p 131088"});
    const Int32 pane = memory.user32().createPane(152, 112);
    ASSERT_EQ(pane, 131088);
    auto form = startProgram(memory.platform());

    const Int32 window = memory.window().handle();
    const Int32 style = 0x16CF0000;
    const std::vector<Call> expected{
        {"GetClientRect", {pane}},
        {"GetWindowLongA", {window, GWL_STYLE}},
        {"SetWindowLongA", {window, GWL_STYLE, style | 0x40000000}},
        {"SetParent", {window, pane}},
        {"SetWindowLongA", {window, GWL_HWNDPARENT, pane}},
        {"SetWindowPos", {window, 0, 0, 0, 152, 112, 0x0054}},
    };
    EXPECT_EQ(memory.user32().calls(), expected);

    const MemoryWindow& w = memory.window();
    EXPECT_EQ(w.parent, pane);
    EXPECT_EQ(w.owner, pane);
    EXPECT_EQ(w.style & WS_CHILD, WS_CHILD);
    EXPECT_EQ(w.x, 0);
    EXPECT_EQ(w.y, 0);
    EXPECT_EQ(w.clientWidth(), 152);
    EXPECT_EQ(w.clientHeight(), 112);
    EXPECT_TRUE(w.shown());

    // It runs on in the pane: lights at full size show from the top-left corner.
    form->highlight(0, 1, rgb(0, 255, 0));
    EXPECT_EQ(memory.frame().at(3, 3), rgb(0, 255, 0));
    memory.advance(5000);
    EXPECT_FALSE(memory.ended());
    EXPECT_TRUE(form->Timer1->enabled());

    // A click in the pane ends it.
    memory.pressMouse(1, 10, 10);
    EXPECT_TRUE(memory.ended());
}

TEST(Preview, DestroyingThePaneEndsTheProgram) {
    MemoryPlatform memory(MemoryOptions{.commandLine = "/p:131088"});
    const Int32 pane = memory.user32().createPane(100, 75);
    auto form = startProgram(memory.platform());
    memory.advance(100);
    EXPECT_TRUE(memory.user32().destroyPane(pane));
    EXPECT_TRUE(memory.ended());
}

TEST(Preview, BadHandlesFailAfterTheWindowWasShownAndBeforeAnyChange) {
    struct Case {
        const char* commandLine;
        ErrorKind kind;
        bool callsMade;
    };
    for (const Case c :
         {Case{"/p", ErrorKind::InvalidArgument, false},
          Case{"/p ", ErrorKind::TypeMismatch, false}, Case{"/pa", ErrorKind::TypeMismatch, false},
          Case{"/p abc", ErrorKind::TypeMismatch, false},
          Case{"/p 99999999999", ErrorKind::Overflow, false},
          // A number that names no window is no longer run unseen.
          Case{"/p 0", ErrorKind::InvalidArgument, true},
          Case{"/p 4242", ErrorKind::InvalidArgument, true}}) {
        SCOPED_TRACE(c.commandLine);
        MemoryPlatform memory(MemoryOptions{.commandLine = c.commandLine});
        try {
            startProgram(memory.platform());
            ADD_FAILURE() << "no error";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.kind(), c.kind);
        }
        EXPECT_TRUE(memory.window().shown());
        EXPECT_EQ(memory.window().clientWidth(), 800);
        EXPECT_EQ(memory.window().parent, 0);
        EXPECT_EQ(memory.user32().calls().size(), c.callsMade ? 1u : 0u);
    }
}

TEST(Preview, RunProgramReportsTheErrorAndExitsWithStatusOne) {
    MemoryPlatform memory(MemoryOptions{.commandLine = "/p abc"});
    bool looped = false;
    ::testing::internal::CaptureStderr();
    const int status = runProgram(memory.platform(), [&] { looped = true; });
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(looped);
    EXPECT_EQ(err, "lightmatrix: run-time error: Type mismatch: \"abc\" is not a number\n");

    MemoryPlatform fine(MemoryOptions{.commandLine = "/s"});
    EXPECT_EQ(runProgram(fine.platform(), [&] { looped = true; }), 0);
    EXPECT_TRUE(looped);
}

}  // namespace
}  // namespace lightmatrix
