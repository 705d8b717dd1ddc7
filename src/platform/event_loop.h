#pragma once

#include <functional>
#include <memory>

#include "common/checked.h"

namespace lightmatrix {

// A periodic timer of the window's thread.
class Timer {
  public:
    virtual ~Timer() = default;
    // While on, the timer ticks once per period, never while another handler runs.
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;
};

// The window's thread: it handles one event at a time, each to its end.
class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // A timer that calls `tick` every `periodMs` milliseconds, on from the start.
    virtual std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) = 0;
    // Handles every event waiting at this moment, then returns.
    virtual void processPendingEvents() = 0;
};

}  // namespace lightmatrix
