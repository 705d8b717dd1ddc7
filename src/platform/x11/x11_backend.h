#pragma once

#include <string>

#include "platform/linux/end_signals.h"
#include "platform/linux/instance_lock.h"
#include "platform/loop/backend_loop.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_picture_panel.h"
#include "platform/x11/x11_visibility.h"
#include "platform/x11/x11_window.h"

namespace lightmatrix {

// The window system on X11, and its event loop: one thread that waits on the
// X connection, on SIGTERM and SIGINT, and on the next wake of the timers
// (at most one a display frame), and handles one thing at a time.
//
// Started in full-screen mode by a screen-saver daemon (XSCREENSAVER_WINDOW
// set), the program draws into the daemon's window instead of making its own.
//
// While the window cannot be seen (see X11Visibility) the loop sleeps: it
// waits for the events that tell it otherwise, and where the display's power
// is what keeps it unseen, it looks again once a second.
class X11Backend : public BackendLoop {
  public:
    // `signals` are those that end the program; `now` reads the steady clock
    // that the timers keep to, `localTimeOfDay` the wall clock in seconds
    // since local midnight.
    X11Backend(const EndSignals& signals, bool preview,
               DeadlineTimers::Now now = &std::chrono::steady_clock::now,
               std::function<double()> localTimeOfDay = nullptr);
    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;

    X11Window& window() override { return window_; }
    X11PicturePanel& panel() { return panel_; }
    InstanceLock& instanceLock() { return instance_; }

    // Handles events until the program ends: closed, its window destroyed by
    // someone else, or a signal.
    void run();

    // The window named by $XSCREENSAVER_WINDOW (hex with 0x, or decimal), or
    // None. Raises a Platform run-time error for a value that names no window.
    static ::Window daemonWindow();

  private:
    // The events queued now, and the signals.
    void handleWaitingEvents() override;
    void dispatch(const XEvent& event);
    void handleEvents(int count);
    void checkSignals();
    // Tells the loop whether the window can be seen now.
    void look();
    // What the loop waits for at most: the timers' next wake, or while
    // asleep the next look at the display's power.
    std::optional<DeadlineTimers::Duration> waitAtMost() const;

    const EndSignals& signals_;
    X11Display display_;
    X11Window window_;
    X11PicturePanel panel_;
    InstanceLock instance_;
    X11Visibility visibility_;
    int screenSaverEvent_ = -1;  // MIT-SCREEN-SAVER's ScreenSaverNotify, where the server has it
};

}  // namespace lightmatrix
