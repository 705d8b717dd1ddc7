#pragma once

#include <windows.h>

#include "platform/loop/backend_loop.h"
#include "platform/loop/handler_failure.h"
#include "platform/win32/mutex_instance_check.h"
#include "platform/win32/win32_picture_panel.h"
#include "platform/win32/win32_window.h"

namespace lightmatrix {

// The Win32 backend: the window and its picture panel, the timers, the clock,
// the generator and the instance check, on one thread with one message loop.
// The timers are kept by the loop itself, against deadlines: it waits for the
// message queue or the next wake of the timers, at most one a display frame,
// which the system's ordinary timer resolution serves.
//
// While the window cannot be seen (see Win32Window) the loop sleeps, waiting
// for the messages that tell it otherwise; in a preview pane, whose hiding
// no message tells, it looks at the pane once a second.
class Win32Backend : public BackendLoop {
  public:
    // `now` reads the steady clock that the timers keep to, `localTimeOfDay`
    // the wall clock in seconds since local midnight.
    explicit Win32Backend(HINSTANCE instance,
                          DeadlineTimers::Now now = &std::chrono::steady_clock::now,
                          std::function<double()> localTimeOfDay = nullptr);
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    Win32Window& window() override { return window_; }
    Win32PicturePanel& panel() { return panel_; }
    InstanceCheck& instanceCheck() { return instanceCheck_; }

    // Handles the window's messages and the timers' ticks, one at a time, until
    // the window is gone. An error from a handler is thrown on from here.
    void run();

  private:
    // Dispatches every message waiting in the queue, each handler followed by
    // its error thrown on or its changes presented.
    void handleWaitingEvents() override;
    void afterHandler();
    // Tells the loop whether the window can be seen now.
    void look();
    // How long the loop waits at most for a message, in milliseconds.
    DWORD waitAtMost() const;

    static constexpr std::chrono::seconds kPaneLookedAtEvery{1};

    HandlerFailure failure_;
    MutexInstanceCheck instanceCheck_;
    Win32Window window_;
    Win32PicturePanel panel_;
    DeadlineTimers::Now now_;
    bool paneShown_ = true;
    std::optional<DeadlineTimers::Instant> nextPaneLook_;
};

}  // namespace lightmatrix
