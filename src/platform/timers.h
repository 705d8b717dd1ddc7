#pragma once

#include <functional>
#include <memory>

#include "common/checked.h"

namespace lightmatrix {

// A periodic timer of the window. While on, it ticks once per interval on the
// window's thread, never while another handler runs.
class Timer {
  public:
    virtual ~Timer() = default;
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;
    virtual Int32 interval() const = 0;
};

class Timers {
  public:
    virtual ~Timers() = default;
    // A new timer, on from the start.
    virtual std::unique_ptr<Timer> create(Int32 intervalMs, std::function<void()> tick) = 0;
};

}  // namespace lightmatrix
