#pragma once

#include <string>

#include "platform/instance_check.h"
#include "platform/loop/backend_loop.h"
#include "platform/web/web_window.h"

namespace lightmatrix {

// The program in a browser tab, which sleeps while the page is hidden. The
// page's animation frames pace the loop:
// each frame wakes the timers, which run every tick that fell due since the
// last one on the clock of performance.now(), and repaint once. The browser
// hands over its events (keys, pointers, a new canvas size, a picture) only
// when the program has returned to it, one at a time. The clock the logic
// reads is the page's local time of day. Each tab runs on its own: there is
// no other instance to find.
class WebBackend : public BackendLoop, public InstanceCheck {
  public:
    WebBackend();

    WebWindow& window() override { return window_; }
    CompositedPanel& panel() { return panel_; }

    // An animation frame; false once the program has ended, when no frame
    // is needed any more.
    bool frame();
    // The page's events, each handled to its end and repainted after. A
    // pointer's button is the left one or another.
    void keyDown();
    void pointerDown(Int32 x, Int32 y, bool left);
    void pointerUp(Int32 x, Int32 y, bool left);
    void canvasResized(Int32 width, Int32 height, double dpi);
    // The page was hidden (another tab, a minimised window) or shown again:
    // hidden, it sleeps, and shown again it catches up (see BackendLoop).
    void pageShown(bool shown);
    // A picture dropped on the page or chosen: the browser has decoded it, and
    // the panel takes its pixels from the page (see BrowserDecoder). One that
    // cannot be loaded is told on the page, and the program goes on.
    void pictureChosen(const std::string& name);

    // The program stops for good; the page says so, with `why` when it is
    // a run-time error.
    void stop(const std::string& why = {});

    bool anotherInstanceRunning() override { return false; }

  private:
    // Nothing waits: the browser hands each event over as it comes.
    void handleWaitingEvents() override {}
    // Runs a handler of the page's events while the program runs; a run-time
    // error ends the program, as on the desktop, and the page shows it.
    void handle(const std::function<void()>& handler);

    WebWindow window_;
    CompositedPanel panel_;
};

}  // namespace lightmatrix
