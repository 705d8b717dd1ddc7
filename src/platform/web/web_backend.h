#pragma once

#include <string>

#include "platform/common/deadline_timers.h"
#include "platform/common/pcg_generator.h"
#include "platform/common/tick_clock.h"
#include "platform/event_loop.h"
#include "platform/instance_check.h"
#include "platform/web/web_window.h"

namespace lightmatrix {

// The program in a browser tab. The page's animation frames drive the
// timers: each frame runs every tick that fell due since the last one, on the
// clock of performance.now(), and repaints once. The clock the logic reads is the
// page's local time of day. Each tab runs on its own: there is no other
// instance to find.
class WebBackend : public EventLoop, public InstanceCheck {
  public:
    WebBackend();

    WebWindow& window() { return window_; }
    WebPicturePanel& panel() { return panel_; }
    Clock& clock() { return clock_; }
    PcgGenerator& generator() { return generator_; }

    // An animation frame; false once the program has ended, when no frame
    // is needed any more.
    bool frame();
    void keyDown();
    // A mouse button went down at device pixel (x, y) of the canvas.
    void mouseDown(Int32 x, Int32 y);
    bool ended() const { return ended_; }
    // The program stops for good; the page says so, with `why` when it is
    // a run-time error.
    void end(const std::string& why = {});

    std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) override;
    // The browser hands events over only when the program returns to it, so
    // nothing waits here: what a handler changed is drawn, and it goes on.
    void processPendingEvents() override { window_.repaint(); }
    bool anotherInstanceRunning() override { return false; }

  private:
    bool ended_ = false;
    DeadlineTimers timers_;
    TickClock clock_;
    WebWindow window_;
    WebPicturePanel panel_;
    PcgGenerator generator_;
};

}  // namespace lightmatrix
