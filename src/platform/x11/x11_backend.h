#pragma once

#include <string>

#include "platform/linux/end_signals.h"
#include "platform/linux/instance_lock.h"
#include "platform/loop/loop.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_picture_panel.h"
#include "platform/x11/x11_visibility.h"
#include "platform/x11/x11_window.h"

namespace lightmatrix {

// The window system on X11, and its part of the event loop: it reads and
// dispatches the X connection's events, and waits on the connection, on
// SIGTERM and SIGINT, and on the timers' next wake (at most one a display
// frame).
//
// Started in full-screen mode by a screen-saver daemon (XSCREENSAVER_WINDOW
// set), the program draws into the daemon's window instead of making its own.
//
// It reports the window unseen while X11Visibility says so; where the
// display's power is what keeps it unseen, it looks again once a second.
class X11Backend : public Loop {
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

    // The window named by $XSCREENSAVER_WINDOW (hex with 0x, or decimal), or
    // None. Raises a Platform run-time error for a value that names no window.
    static ::Window daemonWindow();

  private:
    // The events that came, each dispatched; the signals; then a look at
    // whether the window can be seen, which may read more into Xlib's queue.
    void readEvents() override;
    bool holdsEvents() override;
    // Sends what the round drew, then waits for the connection, a signal,
    // `until` or, while the display's power keeps the window unseen, the
    // next look at it.
    void wait(std::optional<Instant> until) override;
    void dispatch(const XEvent& event);
    void look();

    const EndSignals& signals_;
    X11Display display_;
    X11Window window_;
    X11PicturePanel panel_;
    InstanceLock instance_;
    X11Visibility visibility_;
    int screenSaverEvent_ = -1;  // MIT-SCREEN-SAVER's ScreenSaverNotify, where the server has it
    // The connection may have something to read: false only after a wait
    // that found nothing, when only Xlib's queue is looked at.
    bool readable_ = true;
};

}  // namespace lightmatrix
