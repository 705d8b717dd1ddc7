// lightmatrix.scr under Wine, full screen: what the screen shows, which input
// ends it, which command lines run it, and a second instance.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "e2e/support/run_figures.h"
#include "wine_session.h"

namespace lightmatrix::wine_test {
namespace {

using e2e::LightsSeen;
using e2e::Process;

class WineFullScreen : public WineSuite {
  protected:
    static void SetUpTestSuite() { session = std::make_unique<WineSession>("full-screen"); }

    static Process startSaver(const std::vector<std::string>& arguments = {},
                              const std::vector<std::string>& extraEnv = {}) {
        std::vector<std::string> command{WindowsBuild::screenSaver()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return session->start(command, extraEnv);
    }
    // The saver started by the settings' stand-in with exactly this argument
    // text on its command line; the stand-in exits with the saver's status.
    static Process startSaverWithCommandLine(const std::string& text) {
        return session->start(
            {WindowsBuild::settingsHost(), "run", windowsPath(WindowsBuild::screenSaver()), text});
    }

    // The saver's window covers the screen and shows lit discs, and nothing
    // but discs, on black.
    static void expectFullScreenLights(const std::string& what) {
        const LightsSeen seen = waitForLights(session->display(), 3, 60s);
        EXPECT_GE(seen.litDiscs, 3) << what << ": no lights came up";
        EXPECT_EQ(seen.strayPixels, 0) << what;
        EXPECT_EQ(seen.mixedDiscs, 0) << what;
        const auto window = findMappedWindow(session->display(), "Form1");
        ASSERT_TRUE(window.has_value()) << what << ": no window Form1 on the screen";
        EXPECT_EQ(window->x, 0) << what;
        EXPECT_EQ(window->y, 0) << what;
        EXPECT_EQ(window->width, session->xvfb().width()) << what;
        EXPECT_EQ(window->height, session->xvfb().height()) << what;
    }
};

TEST_F(WineFullScreen, LightsPileUpOnABlackScreenUntilAKeyIsPressed) {
    const std::string statsFile = session->scratchDirectory() + "/stats.txt";
    std::remove(statsFile.c_str());
    Process saver = startSaver({}, {"LIGHTMATRIX_STATS=" + statsFile});

    expectFullScreenLights("started with no arguments");
    const LightsSeen first = e2e::inspectLights(e2e::capture(session->display()));

    // Moving the mouse does nothing: the lights go on piling up.
    ASSERT_TRUE(session->xdotool({"mousemove", "700", "500"}));
    ASSERT_TRUE(session->xdotool({"mousemove", "--sync", "120", "90"}));
    EXPECT_FALSE(saver.wait(2s).has_value()) << "moving the mouse ended the program";
    const LightsSeen later = waitForLights(session->display(), first.litDiscs + 20, 60s);
    EXPECT_GE(later.litDiscs, first.litDiscs + 20);
    EXPECT_EQ(later.strayPixels, 0);
    EXPECT_EQ(later.mixedDiscs, 0);

    ASSERT_TRUE(session->xdotool({"key", "space"}));
    EXPECT_EQ(saver.wait(30s), 0) << saver.errorOutput();
    EXPECT_EQ(saver.errorOutput().find("run-time error"), std::string::npos);

    // The figures the program writes for the benchmarks.
    e2e::checkRunFigures(statsFile, later.litDiscs);
}

TEST_F(WineFullScreen, EveryKeyAndEveryMouseButtonEndsTheProgram) {
    // System keys (Alt, F10) arrive as WM_SYSKEYDOWN; buttons 8 and 9 are the
    // side buttons, XBUTTON1 and XBUTTON2.
    const std::vector<std::vector<std::string>> presses{
        {"key", "Escape"}, {"key", "a"},   {"key", "F10"}, {"key", "Alt_L"}, {"key", "Shift_L"},
        {"click", "1"},    {"click", "2"}, {"click", "3"}, {"click", "8"},   {"click", "9"}};
    for (const auto& press : presses) {
        const std::string what = press[0] + " " + press[1];
        Process saver = startSaver();
        const LightsSeen seen = waitForLights(session->display(), 1, 60s);
        ASSERT_GE(seen.litDiscs, 1) << what << ": the saver did not come up";
        // The pointer is where the last case left it, on the window, which covers the screen.
        ASSERT_TRUE(session->xdotool(press)) << what;
        EXPECT_EQ(saver.wait(30s), 0) << what << " did not end the program\n"
                                      << saver.errorOutput();
        session->endWindowsProcesses();
    }
}

TEST_F(WineFullScreen, EveryCommandLineButPreviewRunsFullScreen) {
    for (const std::string text :
         {"", "/s", "/S", "/c", "/c:1234", "/a 1234", "/x", "p", "/P 1234"}) {
        const std::string what = "command line \"" + text + "\"";
        Process saver = startSaverWithCommandLine(text);
        expectFullScreenLights(what);
        ASSERT_TRUE(saver.running()) << what << ": " << saver.errorOutput();
        ASSERT_TRUE(session->xdotool({"key", "space"}));
        EXPECT_EQ(saver.wait(30s), 0) << what << "\n" << saver.errorOutput();
        session->endWindowsProcesses();
    }
}

TEST_F(WineFullScreen, BadPreviewCommandLinesEndWithAnErrorOnceTheWindowWasShown) {
    // The pane handle is missing, not a number, beyond 32 bits, or names no window.
    for (const std::string text : {"/p", "/p ", "/pa", "/p abc", "/p 99999999999", "/p 0"}) {
        const std::string what = "command line \"" + text + "\"";
        TopLevelWatch watch(session->display());
        Process saver = startSaverWithCommandLine(text);
        const auto status = saver.wait(60s);
        ASSERT_TRUE(status.has_value()) << what << ": the program runs on";
        EXPECT_EQ(*status, 1) << what;

        // One line on standard error says what went wrong.
        const std::string errors = saver.errorOutput();
        EXPECT_EQ(errors.rfind("lightmatrix: run-time error: ", 0), 0u) << what << ": " << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << what << ": " << errors;

        // The window covered the screen before the program ended.
        bool shownFullScreen = false;
        for (const Geometry& window : watch.mappedWindows())
            shownFullScreen |= window.width == session->xvfb().width() &&
                               window.height == session->xvfb().height();
        EXPECT_TRUE(shownFullScreen) << what << ": the window was never shown full screen";
        session->endWindowsProcesses();
    }
}

TEST_F(WineFullScreen, ASecondInstanceEndsAtOnceShowingNothingAndTheFirstRunsOn) {
    Process first = startSaver();
    const LightsSeen before = waitForLights(session->display(), 5, 60s);
    ASSERT_GE(before.litDiscs, 5);

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"/s"}, {"/p", "0"}}) {
        const std::string what =
            "second instance with " + std::to_string(arguments.size()) + " arguments";
        TopLevelWatch watch(session->display());
        Process second = startSaver(arguments);
        EXPECT_EQ(second.wait(60s), 0) << what << "\n" << second.errorOutput();
        for (const Geometry& window : watch.mappedWindows())
            EXPECT_LE(window.width * window.height, 1) << what << " showed a window";
        EXPECT_TRUE(first.running()) << what << " ended the first";
    }

    const LightsSeen after = waitForLights(session->display(), before.litDiscs + 20, 60s);
    EXPECT_GE(after.litDiscs, before.litDiscs + 20) << "the first instance stopped lighting";
    EXPECT_EQ(after.strayPixels, 0);
    ASSERT_TRUE(session->xdotool({"key", "space"}));
    EXPECT_EQ(first.wait(30s), 0) << first.errorOutput();
}

TEST_F(WineFullScreen, AtAHigherDpiTheLightsAreLaidOutAtThatDpi) {
    // 144 dpi: a light's 100 twips are 10 pixels, not 6 2/3.
    struct Restore {
        ~Restore() {
            session->setDpi(96);
            session->endWindowsProcesses();
        }
    } restore;
    session->setDpi(144);
    session->endWindowsProcesses();

    Process saver = startSaver();
    const LightsSeen seen = waitForLights(session->display(), 10, 60s, 0, 144);
    EXPECT_GE(seen.litDiscs, 10);
    EXPECT_EQ(seen.strayPixels, 0);
    EXPECT_EQ(seen.mixedDiscs, 0);
    // The same screen read as a 96-dpi matrix does not fit.
    const LightsSeen at96 = e2e::inspectLights(e2e::capture(session->display()), 0, 0, 96);
    EXPECT_GT(at96.strayPixels + at96.mixedDiscs, 0);
    ASSERT_TRUE(session->xdotool({"key", "space"}));
    EXPECT_EQ(saver.wait(30s), 0) << saver.errorOutput();
}

}  // namespace
}  // namespace lightmatrix::wine_test
