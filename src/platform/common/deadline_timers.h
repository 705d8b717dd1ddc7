#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/timers.h"

namespace lightmatrix {

// Periodic timers kept by an event loop on its one thread, against deadlines
// on the steady clock: each tick is due one interval after the previous one
// was due, so the lateness of a wake-up never adds up and a tick that came
// late (the machine was busy) is made up at once. A timer further behind than
// its backend allows (a stopped process, a machine that slept) drops the
// ticks it missed and starts a fresh interval instead of catching up in a
// burst. A tick that lets events be processed never starts itself again.
class DeadlineTimers : public Timers {
  public:
    using Clock = std::chrono::steady_clock;
    // How late a tick may be, given its timer's interval, and still be made up.
    using CatchUpLimit = std::function<Clock::duration(Clock::duration interval)>;

    explicit DeadlineTimers(CatchUpLimit catchUpLimit) : catchUpLimit_(std::move(catchUpLimit)) {}

    std::unique_ptr<Timer> create(Int32 intervalMs, std::function<void()> tick) override;

    // The earliest deadline of a timer that is on and not running.
    std::optional<Clock::time_point> nextDue() const;
    // Runs the tick whose deadline came first, if one has come by `now`;
    // false if none has.
    bool runEarliestDue(Clock::time_point now);
    // Runs every tick due at `now`, once each and in deadline order, while
    // `keepGoing` says so.
    void runAllDue(Clock::time_point now, const std::function<bool()>& keepGoing);

    // How many ticks the timers with this interval have run.
    std::int64_t ticksRun(Int32 intervalMs) const;

    struct Entry {
        Clock::duration interval;
        bool on = true;
        bool alive = true;
        bool running = false;
        Clock::time_point due;
        std::function<void()> tick;
    };

  private:
    bool ready(const Entry& entry) const { return entry.alive && entry.on && !entry.running; }
    void run(Entry& entry, Clock::time_point now);

    CatchUpLimit catchUpLimit_;
    std::vector<std::shared_ptr<Entry>> entries_;
    std::map<Int32, std::int64_t> ticksRun_;
};

}  // namespace lightmatrix
