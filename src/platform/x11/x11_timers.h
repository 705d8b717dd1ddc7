#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/timers.h"

namespace lightmatrix {

// Timers run by the event loop on its one thread, scheduled against deadlines
// on the monotonic clock: each tick is due one interval after the previous
// one was due, so the lateness of a wake-up never adds up, and a tick that
// came late (the machine was busy) is made up at once. Only a timer that fell
// far behind (a stopped process, a long handler) drops what it missed
// instead of catching up in a burst.
class X11Timers : public Timers {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    std::unique_ptr<Timer> create(Int32 intervalMs, std::function<void()> tick) override;

    // The earliest deadline of a timer that is on.
    std::optional<TimePoint> nextDue() const;
    // Ticks, once each and in deadline order, every timer due at `now`, while
    // `keepGoing` says so.
    void runDue(TimePoint now, const std::function<bool()>& keepGoing);

    struct Entry {
        std::chrono::milliseconds interval;
        bool on = true;
        bool alive = true;
        TimePoint due;
        std::function<void()> tick;
        std::int64_t ticks = 0;
    };
    // Every timer created so far, for the tick report.
    const std::vector<std::shared_ptr<Entry>>& entries() const { return entries_; }

  private:
    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace lightmatrix
