#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/timers.h"

namespace lightmatrix {

// Simulated time: starts at a given number of seconds after midnight and moves
// only when a test (or the render tool) advances it.
class VirtualClock : public Clock {
  public:
    explicit VirtualClock(double startSeconds) : startSeconds_(startSeconds) {}
    float secondsSinceMidnight() override;
    std::int64_t nowMs() const { return nowMs_; }
    void set(std::int64_t ms) { nowMs_ = ms; }

  private:
    double startSeconds_;
    std::int64_t nowMs_ = 0;
};

// Timers on the virtual clock. Due ticks run one at a time in time order;
// timers due at the same moment tick in the order they were created.
class MemoryTimers : public Timers {
  public:
    explicit MemoryTimers(VirtualClock& clock) : clock_(clock) {}
    std::unique_ptr<Timer> create(Int32 intervalMs, std::function<void()> tick) override;

    // Moves the clock to `targetMs`, running every tick due on the way, and
    // stops early (with the clock at the last tick) when `keepGoing` says so;
    // `afterTick` runs after each tick.
    void runUntil(std::int64_t targetMs, const std::function<bool()>& keepGoing,
                  const std::function<void()>& afterTick);

    struct Entry {
        Int32 interval;
        bool on = true;
        bool alive = true;
        std::int64_t due;
        std::function<void()> tick;
    };

  private:
    VirtualClock& clock_;
    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace lightmatrix
