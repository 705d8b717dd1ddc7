#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "platform/common/deadline_timers.h"
#include "platform/common/pcg_generator.h"
#include "platform/common/tick_clock.h"
#include "platform/event_loop.h"
#include "platform/win32/handler_failure.h"
#include "platform/win32/mutex_instance_check.h"
#include "platform/win32/win32_picture_panel.h"
#include "platform/win32/win32_window.h"

namespace lightmatrix::win32 {

// The Win32 backend: the window and its picture panel, the timers, the clock,
// the generator and the instance check, on one thread with one message loop.
// The timers are kept by the loop itself, against deadlines: it waits for the
// message queue or the next wake of the timers, at most one a display frame,
// which the system's ordinary timer resolution serves.
class Win32Backend : public EventLoop {
  public:
    explicit Win32Backend(HINSTANCE instance);
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    Win32Window& window() { return window_; }
    Win32PicturePanel& panel() { return panel_; }
    InstanceCheck& instanceCheck() { return instanceCheck_; }
    Clock& clock() { return clock_; }
    Generator& generator() { return generator_; }

    // Handles the window's messages and the timers' ticks, one at a time, until
    // the window is gone. An error from a handler is thrown on from here.
    void run();
    // How many ticks the timers of this period have run.
    std::int64_t ticksRun(Int32 periodMs) const { return timers_.ticksRun(periodMs); }

    std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) override;
    void processPendingEvents() override;

  private:
    // Dispatches every message waiting in the queue.
    void dispatchWaiting();
    // The ticks due by now, if a wake has come, and one repaint.
    void wakeTimers();
    // What follows every handler: its error thrown on, its changes presented.
    void afterHandler();

    bool ended_ = false;
    HandlerFailure failure_;
    MutexInstanceCheck instanceCheck_;
    PcgGenerator generator_;
    DeadlineTimers timers_;
    TickClock clock_;
    Win32Window window_;
    Win32PicturePanel panel_;
};

}  // namespace lightmatrix::win32
