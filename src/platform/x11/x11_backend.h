#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/common/deadline_timers.h"
#include "platform/common/pcg_generator.h"
#include "platform/common/tick_clock.h"
#include "platform/event_loop.h"
#include "platform/x11/instance_lock.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_picture_panel.h"
#include "platform/x11/x11_window.h"

namespace lightmatrix {

// The window system on X11, and its event loop: one thread that waits on the
// X connection, on SIGTERM and SIGINT, and on the next wake of the timers
// (at most one a display frame), and handles one thing at a time.
//
// Started in full-screen mode by a screen-saver daemon (XSCREENSAVER_WINDOW
// set), the program draws into the daemon's window instead of making its own.
class X11Backend : public EventLoop {
  public:
    explicit X11Backend(bool preview);
    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;
    ~X11Backend() override;

    X11Window& window() { return window_; }
    X11PicturePanel& panel() { return panel_; }
    Clock& clock() { return clock_; }
    PcgGenerator& generator() { return generator_; }
    InstanceLock& instanceLock() { return instance_; }

    std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) override;
    void processPendingEvents() override;

    // Handles events until the program ends: closed, its window destroyed by
    // someone else, or a signal. Then writes the run figures.
    void run();

    // The window named by $XSCREENSAVER_WINDOW (hex with 0x, or decimal), or
    // None. Raises a Platform run-time error for a value that names no window.
    static ::Window daemonWindow();

  private:
    void dispatch(const XEvent& event);
    void handleEvents(int count);
    void runDueTimers();
    void checkSignals();

    bool ended_ = false;
    int signalFd_ = -1;
    X11Display display_;
    DeadlineTimers timers_;
    TickClock clock_;
    X11Window window_;
    X11PicturePanel panel_;
    PcgGenerator generator_;
    InstanceLock instance_;
};

}  // namespace lightmatrix
