// lightmatrix on X11 in a preview pane: a window of the test's own plays the
// host's pane, as a desktop's screen-saver settings would.

#include <gtest/gtest.h>

#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

using e2e::LightsSeen;
using e2e::Process;

constexpr int kPaneWidth = 320;
constexpr int kPaneHeight = 240;

// A grey window on the screen, as the host's preview pane.
class Pane {
  public:
    explicit Pane(const std::string& display) : x_(display) {
        XSetWindowAttributes attributes{};
        attributes.background_pixel = 0x808080;
        attributes.override_redirect = True;
        id_ = XCreateWindow(x_, DefaultRootWindow(x_.get()), 200, 100, kPaneWidth, kPaneHeight, 0,
                            CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWOverrideRedirect, &attributes);
        XMapRaised(x_, id_);
        XSync(x_, False);
    }
    ::Window id() const { return id_; }
    std::string decimal() const { return std::to_string(id_); }
    void destroy() {
        XDestroyWindow(x_, id_);
        XSync(x_, False);
    }

  private:
    Connection x_;
    ::Window id_ = 0;
};

// The saver's window as the one child of the pane, once it is there.
std::optional<WindowInfo> embeddedWindow(const std::string& display, const Pane& pane) {
    std::optional<WindowInfo> child;
    e2e::waitUntil(
        [&] {
            const auto children = childrenOf(display, pane.id());
            if (children.size() != 1) return false;
            child = describe(display, children[0]);
            return child && child->viewable && child->width == kPaneWidth;
        },
        30s);
    return child;
}

TEST(X11Preview, TheSaverRunsInThePaneUntilThePaneIsDestroyed) {
    SaverSession session;
    // "/p 1234" as one argument or as two reads the same.
    for (const bool oneArgument : {true, false}) {
        const std::string what = oneArgument ? "one argument" : "two arguments";
        Pane pane(session.display());
        Process saver = oneArgument ? session.start({"/p " + pane.decimal()})
                                    : session.start({"/p", pane.decimal()});

        const auto child = embeddedWindow(session.display(), pane);
        ASSERT_TRUE(child.has_value()) << what << ": the pane got no window\n"
                                       << saver.errorOutput();
        EXPECT_EQ(child->x, 0) << what;
        EXPECT_EQ(child->y, 0) << what;
        EXPECT_EQ(child->width, kPaneWidth) << what;
        EXPECT_EQ(child->height, kPaneHeight) << what;
        EXPECT_EQ(child->name, "Form1") << what;
        // It left the screen: no top-level window of the saver remains.
        EXPECT_FALSE(windowOfProcess(session.display(), saver.pid()).has_value()) << what;

        // The pane shows the top-left of the matrix, at full size, lights coming on.
        const LightsSeen first = waitForLights(session.display(), 3, 30s, pane.id());
        EXPECT_GE(first.litDiscs, 3) << what;
        EXPECT_EQ(first.strayPixels, 0) << what;
        EXPECT_EQ(first.mixedDiscs, 0) << what;
        const LightsSeen later =
            waitForLights(session.display(), first.litDiscs + 5, 30s, pane.id());
        EXPECT_GE(later.litDiscs, first.litDiscs + 5) << what;

        pane.destroy();
        EXPECT_EQ(saver.wait(10s), 0) << what << ": the saver outlived its pane\n"
                                      << saver.errorOutput();
        EXPECT_EQ(saver.errorOutput(), "") << what;
    }
}

TEST(X11Preview, AClickOnThePreviewEndsIt) {
    SaverSession session;
    Pane pane(session.display());
    Process saver = session.start({"/p", pane.decimal()});
    ASSERT_TRUE(embeddedWindow(session.display(), pane).has_value()) << saver.errorOutput();
    ASSERT_TRUE(session.xdotool({"mousemove", "--sync", "300", "200"}));
    ASSERT_TRUE(session.xdotool({"click", "1"}));
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
}

TEST(X11Preview, APreviewCountsAsTheRunningInstance) {
    SaverSession session;
    Pane pane(session.display());
    Process preview = session.start({"/p", pane.decimal()});
    ASSERT_TRUE(embeddedWindow(session.display(), pane).has_value()) << preview.errorOutput();

    MapWatch watch(session.display());
    Process fullScreen = session.start();
    EXPECT_EQ(fullScreen.wait(10s), 0) << fullScreen.errorOutput();
    EXPECT_TRUE(watch.mapped().empty()) << "the second instance showed a window";
    EXPECT_TRUE(preview.running());
}

TEST(X11Preview, BadPaneHandlesEndTheProgramWithAnErrorAfterTheWindowWasShown) {
    SaverSession session;
    // The handle is missing, not a number, beyond 32 bits, or names no window.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"/p"}, "Invalid procedure call or argument"},
        {{"/p "}, "Type mismatch"},
        {{"/pa"}, "Type mismatch"},
        {{"/p", "abc"}, "Type mismatch"},
        {{"/p 99999999999"}, "Overflow"},
        {{"/p", "0"}, "Invalid procedure call or argument"},
        {{"/p", "123456789"}, "Invalid procedure call or argument"}};
    for (const auto& [arguments, error] : cases) {
        std::string what = "arguments";
        for (const auto& a : arguments) what += " \"" + a + '"';
        MapWatch watch(session.display());
        Process saver = session.start(arguments);
        const auto status = saver.wait(30s);
        ASSERT_TRUE(status.has_value()) << what << ": the program runs on";
        EXPECT_EQ(*status, 1) << what;
        const std::string stderrText = saver.errorOutput();
        EXPECT_NE(stderrText.find("run-time error: " + error), std::string::npos)
            << what << ": " << stderrText;
        EXPECT_EQ(std::count(stderrText.begin(), stderrText.end(), '\n'), 1) << stderrText;
        // The window had been shown full screen before the handle was read.
        EXPECT_FALSE(watch.mapped().empty()) << what << ": the window was never shown";
    }
}

}  // namespace
}  // namespace lightmatrix::x11_test
