// lightmatrix on X11, full screen: what the screen shows, which input ends
// it, which command lines run it, repainting, the display's DPI, a second
// instance, signals and a lost X connection.

#include <X11/Xatom.h>
#include <gtest/gtest.h>
#include <signal.h>

#include "e2e/support/run_figures.h"
#include "platform/common/icon.h"
#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

using e2e::LightsSeen;
using e2e::Process;

// The saver's window is on the screen, covers it, and shows lit discs and
// nothing but discs on black.
void expectFullScreenLights(const SaverSession& session, const Process& saver,
                            const std::string& what) {
    const LightsSeen seen = waitForLightsOf(session.display(), saver, 3, 30s);
    EXPECT_GE(seen.litDiscs, 3) << what << ": no lights came up";
    EXPECT_EQ(seen.strayPixels, 0) << what;
    EXPECT_EQ(seen.mixedDiscs, 0) << what;
    const auto window = windowOfProcess(session.display(), saver.pid());
    ASSERT_TRUE(window.has_value()) << what << ": the saver made no window";
    EXPECT_TRUE(window->viewable) << what;
    EXPECT_EQ(window->name, "Form1") << what;
    EXPECT_EQ(window->x, 0) << what;
    EXPECT_EQ(window->y, 0) << what;
    EXPECT_EQ(window->width, session.xvfb().width()) << what;
    EXPECT_EQ(window->height, session.xvfb().height()) << what;
}

TEST(X11FullScreen, LightsPileUpOnABlackScreenUntilAKeyIsPressed) {
    SaverSession session;
    const std::string statsFile = session.scratch() + "/stats.txt";
    Process saver = session.start({}, {"LIGHTMATRIX_STATS=" + statsFile});
    expectFullScreenLights(session, saver, "started with no arguments");

    // The icon is the program's own picture, with its transparent corners.
    const auto window = windowOfProcess(session.display(), saver.pid());
    ASSERT_TRUE(window.has_value());
    const auto icon =
        propertyOf(Connection(session.display()), window->id, "_NET_WM_ICON", XA_CARDINAL);
    const IconImage expected = drawIcon();
    ASSERT_EQ(icon.size(), 2u + 32u * 32u);
    EXPECT_EQ(icon[0], 32u);
    EXPECT_EQ(icon[1], 32u);
    int mismatches = 0;
    for (std::size_t i = 0; i < expected.pixels.size(); ++i) {
        const Colour c = expected.pixels[i];
        const unsigned long argb = expected.opaque[i]
                                       ? 0xFF000000ul | static_cast<unsigned long>(redOf(c)) << 16 |
                                             static_cast<unsigned long>(greenOf(c)) << 8 |
                                             static_cast<unsigned long>(blueOf(c))
                                       : 0ul;
        mismatches += (icon[2 + i] & 0xFFFFFFFFul) != argb;
    }
    EXPECT_EQ(mismatches, 0);

    const LightsSeen first = e2e::inspectLights(e2e::capture(session.display()));
    // Moving the mouse does nothing: the lights go on piling up.
    ASSERT_TRUE(session.xdotool({"mousemove", "700", "500"}));
    ASSERT_TRUE(session.xdotool({"mousemove", "--sync", "120", "90"}));
    EXPECT_FALSE(saver.wait(2s).has_value()) << "moving the mouse ended the program";
    const LightsSeen later = waitForLights(session.display(), first.litDiscs + 20, 30s);
    EXPECT_GE(later.litDiscs, first.litDiscs + 20);
    EXPECT_EQ(later.strayPixels, 0);
    EXPECT_EQ(later.mixedDiscs, 0);

    ASSERT_TRUE(session.xdotool({"key", "space"}));
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
    EXPECT_EQ(saver.errorOutput(), "");

    // The figures the program writes for the benchmarks.
    e2e::checkRunFigures(statsFile, later.litDiscs);
}

TEST(X11FullScreen, EveryKeyAndEveryMouseButtonEndsTheProgram) {
    SaverSession session;
    const std::vector<std::vector<std::string>> presses{
        {"key", "Escape"}, {"key", "a"},   {"key", "F10"}, {"key", "Alt_L"}, {"key", "Shift_L"},
        {"click", "1"},    {"click", "2"}, {"click", "3"}, {"click", "4"},   {"click", "8"}};
    int x = 400;
    for (const auto& press : presses) {
        const std::string what = press[0] + " " + press[1];
        Process saver = session.start();
        ASSERT_GE(waitForLightsOf(session.display(), saver, 1, 30s).litDiscs, 1)
            << what << ": the saver did not come up\n"
            << saver.errorOutput();
        // Somewhere new each time: --sync waits for the pointer to move.
        x += 10;
        ASSERT_TRUE(session.xdotool({"mousemove", "--sync", std::to_string(x), "300"}));
        ASSERT_TRUE(session.xdotool(press)) << what;
        EXPECT_EQ(saver.wait(10s), 0) << what << " did not end the program\n"
                                      << saver.errorOutput();
    }
}

TEST(X11FullScreen, EveryCommandLineButPreviewRunsFullScreen) {
    SaverSession session;
    // The arguments are joined by single blanks: "/a 1234" as one argument or
    // two reads the same.
    const std::vector<std::vector<std::string>> commandLines{
        {},     {"/s"}, {"/S"},      {"/c"},         {"/c:1234"}, {"/a 1234"}, {"/a", "1234"},
        {"/x"}, {"p"},  {"/P 1234"}, {"/P", "1234"}, {"--root"}};
    for (const auto& arguments : commandLines) {
        std::string what = "arguments";
        for (const auto& a : arguments) what += " \"" + a + '"';
        Process saver = session.start(arguments);
        expectFullScreenLights(session, saver, what);
        ASSERT_TRUE(saver.running()) << what << ": " << saver.errorOutput();
        ASSERT_TRUE(session.xdotool({"key", "space"}));
        EXPECT_EQ(saver.wait(10s), 0) << what << "\n" << saver.errorOutput();
    }
}

TEST(X11FullScreen, ACoveredPartIsRepaintedFromTheProgramsOwnState) {
    SaverSession session;
    Process saver = session.start();
    ASSERT_GE(waitForLights(session.display(), 150, 30s).litDiscs, 150) << saver.errorOutput();
    const e2e::Screenshot before = e2e::capture(session.display());

    // A white window of the test's own over most of the matrix, then gone.
    {
        Connection x(session.display());
        XSetWindowAttributes attributes{};
        attributes.background_pixel = WhitePixel(x.get(), 0);
        attributes.override_redirect = True;
        const ::Window cover = XCreateWindow(x, DefaultRootWindow(x.get()), 20, 20, 700, 500, 0,
                                             CopyFromParent, InputOutput, CopyFromParent,
                                             CWBackPixel | CWOverrideRedirect, &attributes);
        XMapRaised(x, cover);
        XSync(x, False);
        ASSERT_TRUE(e2e::waitUntil(
            [&] { return e2e::capture(session.display()).at(400, 300) == kWhite; }, 10s));
        XDestroyWindow(x, cover);
        XSync(x, False);
    }
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return e2e::capture(session.display()).at(400, 300) != kWhite; }, 10s));
    // Lights only come on until the six-minute clearing: every disc that was
    // lit before is lit again, and nothing shows outside the discs.
    const e2e::Screenshot after = e2e::capture(session.display());
    int litBefore = 0;
    int darkAfter = 0;
    for (int k = 1; k <= 10800; ++k) {
        if (discCentre(before, k) > 0) {
            ++litBefore;
            darkAfter += discCentre(after, k) == kBlack;
        }
    }
    EXPECT_GE(litBefore, 150);
    EXPECT_EQ(darkAfter, 0);
    const LightsSeen seen = e2e::inspectLights(after);
    EXPECT_EQ(seen.strayPixels, 0);
    EXPECT_EQ(seen.mixedDiscs, 0);
    EXPECT_TRUE(saver.running());
}

TEST(X11FullScreen, LightsAreLaidOutAtTheXftDpiOfTheDisplay) {
    SaverSession session;
    {
        Connection x(session.display());
        const std::string resources = "Xft.dpi:\t144\n";
        XChangeProperty(x, DefaultRootWindow(x.get()), XA_RESOURCE_MANAGER, XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                        static_cast<int>(resources.size()));
        XSync(x, False);
    }
    Process saver = session.start();
    // At 144 pixels per inch a light is 10 pixels across.
    const LightsSeen seen = waitForLights(session.display(), 60, 30s, 0, 144);
    EXPECT_GE(seen.litDiscs, 60) << saver.errorOutput();
    EXPECT_EQ(seen.strayPixels, 0);
    EXPECT_EQ(seen.mixedDiscs, 0);
    // The same screen read as the usual 96 pixels per inch does not fit.
    const LightsSeen at96 = e2e::inspectLights(e2e::capture(session.display()));
    EXPECT_GT(at96.strayPixels + at96.mixedDiscs, 0);
}

TEST(X11FullScreen, ASecondInstanceEndsAtOnceAndShowsNothing) {
    SaverSession session;
    Process first = session.start();
    ASSERT_GE(waitForLights(session.display(), 1, 30s).litDiscs, 1) << first.errorOutput();

    MapWatch watch(session.display());
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{}, {"/s"}, {"/p", "1"}}) {
        Process second = session.start(arguments);
        EXPECT_EQ(second.wait(10s), 0) << second.errorOutput();
        EXPECT_EQ(second.errorOutput(), "");
    }
    EXPECT_TRUE(watch.mapped().empty()) << "a second instance showed a window";
    EXPECT_TRUE(first.running());
    const int lit = waitForLights(session.display(), 1, 1s).litDiscs;
    EXPECT_GT(waitForLights(session.display(), lit + 10, 30s).litDiscs, lit)
        << "the first instance stopped";

    // Once the first has ended, a new one runs.
    ASSERT_TRUE(session.xdotool({"key", "space"}));
    ASSERT_EQ(first.wait(10s), 0);
    Process third = session.start();
    EXPECT_FALSE(third.wait(2s).has_value()) << third.errorOutput();
}

TEST(X11FullScreen, SigtermAndSigintEndTheProgramCleanly) {
    SaverSession session;
    for (const int sig : {SIGTERM, SIGINT}) {
        Process saver = session.start();
        ASSERT_GE(waitForLightsOf(session.display(), saver, 1, 30s).litDiscs, 1)
            << saver.errorOutput();
        saver.signal(sig);
        EXPECT_EQ(saver.wait(10s), 0) << "signal " << sig << "\n" << saver.errorOutput();
        EXPECT_EQ(saver.errorOutput(), "");
        // It let go of its instance lock: the next one runs.
    }
}

TEST(X11FullScreen, LosingTheXConnectionEndsTheProgram) {
    SaverSession session;
    Process saver = session.start();
    ASSERT_GE(waitForLights(session.display(), 1, 30s).litDiscs, 1) << saver.errorOutput();
    session.killServer();
    const auto status = saver.wait(10s);
    ASSERT_TRUE(status.has_value()) << "the program runs on without its display";
    EXPECT_EQ(*status, 1);
    EXPECT_NE(saver.errorOutput().find("lost the connection"), std::string::npos)
        << saver.errorOutput();
}

TEST(X11FullScreen, WithoutADisplayTheProgramEndsWithOneLine) {
    ScratchDir runtime("x11-nodisplay");
    Process saver =
        Process::start({saverPath()}, {"DISPLAY=:9876", "XDG_RUNTIME_DIR=" + runtime.path()});
    EXPECT_EQ(saver.wait(10s), 1);
    const std::string error = saver.errorOutput();
    EXPECT_NE(error.find("cannot open the X display"), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
}

}  // namespace
}  // namespace lightmatrix::x11_test
