#pragma once

#include <string>

#include "platform/instance_check.h"
#include "platform/loop/loop.h"
#include "platform/web/web_window.h"

namespace lightmatrix {

// The program in a browser tab. The browser is the loop's wait: each
// animation frame is a round of the loop, and so is each of the page's events
// (a key, a pointer, a new canvas size, the page hidden or shown, a picture),
// which the browser hands over only when the program has returned to it, one
// at a time. The timers run on the clock of performance.now(); the clock the
// logic reads is the page's local time of day. Hidden, the page gets no
// frames and the loop sleeps; shown again, it catches up. Each tab runs on
// its own: there is no other instance to find.
class WebBackend : public Loop, public InstanceCheck {
  public:
    WebBackend();

    WebWindow& window() override { return window_; }
    CompositedPanel& panel() { return panel_; }

    // An animation frame; false once the program has ended, when no frame
    // is needed any more.
    bool frame();
    // The page's events. A pointer's button is the left one or another.
    void keyDown();
    void pointerDown(Int32 x, Int32 y, bool left);
    void pointerUp(Int32 x, Int32 y, bool left);
    void canvasResized(Int32 width, Int32 height, double dpi);
    // The page was hidden (another tab, a minimised window) or shown again.
    void pageShown(bool shown);
    // A picture dropped on the page or chosen: the browser has decoded it
    // and holds it only while this runs, and the panel takes its pixels from
    // the page (see BrowserDecoder). One that cannot be loaded is told on the
    // page, and the program goes on.
    void pictureChosen(const std::string& name);

    // The program stops for good; the page says so, with `why` when it is
    // a run-time error.
    void stop(const std::string& why = {});

    bool anotherInstanceRunning() override { return false; }

  private:
    // The browser hands each event over as it comes, and waits itself.
    void readEvents() override {}
    void wait(std::optional<Instant>) override {}
    // A round, unless the program has ended; a run-time error ends the
    // program, as on the desktop, and the page shows it.
    void runRound();

    WebWindow window_;
    CompositedPanel panel_;
};

}  // namespace lightmatrix
