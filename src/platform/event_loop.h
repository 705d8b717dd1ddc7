#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "common/checked.h"

namespace lightmatrix {

// A periodic timer of the window's thread.
class Timer {
  public:
    virtual ~Timer() = default;
    // While on, the timer ticks once per period, never while another handler
    // runs; switching it on starts a fresh period.
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;
    // How many times it has ticked.
    virtual std::int64_t ticksRun() const = 0;
};

// The window's thread and its event loop. Every backend's loop does the same:
// it waits for input on the window, for a timer's tick to fall due, or for the
// window to go; then it handles what came, one event at a time and each
// handler to its end, and after each handler repaints the window once, so
// that whatever the handler changed shows. A wake for the timers runs every
// tick due by then, in deadline order, each as if at its own due time, and
// repaints once after all of them.
class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // A timer that calls `tick` every `periodMs` milliseconds, on from the start.
    virtual std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) = 0;
    // One round of the loop without the wait: handles every event waiting at
    // this moment (input, a window that went, the ticks due by now), then
    // returns. Events that arrive meanwhile wait for the next round.
    virtual void processPendingEvents() = 0;
};

}  // namespace lightmatrix
