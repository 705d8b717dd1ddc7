#pragma once

#include <windows.h>

#include "platform/loop/handler_failure.h"
#include "platform/loop/loop.h"
#include "platform/win32/mutex_instance_check.h"
#include "platform/win32/win32_picture_panel.h"
#include "platform/win32/win32_window.h"

namespace lightmatrix {

// The Win32 backend: the window and its picture panel, the instance check,
// and its part of the event loop: the thread's message queue, dispatched to
// the window procedures, and the wait for it or for the timers' next wake,
// at most one a display frame, which the system's ordinary timer resolution
// serves.
//
// It reports the window unseen while it cannot be seen (see Win32Window); in
// a preview pane, whose hiding no message tells, it looks at the pane once a
// second.
class Win32Backend : public Loop {
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

  private:
    // Dispatches every message in the queue (none after a wait that ran
    // out), an error from a window procedure thrown on from here; then looks
    // at whether the window can be seen.
    void readEvents() override;
    void wait(std::optional<Instant> until) override;
    void look();

    static constexpr std::chrono::seconds kPaneLookedAtEvery{1};

    HandlerFailure failure_;
    MutexInstanceCheck instanceCheck_;
    Win32Window window_;
    Win32PicturePanel panel_;
    bool paneShown_ = true;
    std::optional<Instant> nextPaneLook_;
    // Whether the queue may hold messages: not after a wait that ran out,
    // when looking would cost a round trip to the wineserver under Wine.
    bool messages_ = true;
};

}  // namespace lightmatrix
