#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/event_loop.h"

namespace lightmatrix {

// Periodic timers kept by an event loop on its one thread, against deadlines
// on a steady clock: each tick is due one period after the previous one was
// due, so the lateness of a wake-up never adds up and a tick that came late
// (the machine was busy) is made up at once. A timer further behind than its
// backend allows (a stopped process, a machine that slept) drops the ticks it
// missed and starts a fresh period instead of catching up in a burst. A tick
// that lets events be processed never starts itself again.
class DeadlineTimers {
  public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    // How late a tick may be, given its timer's period, and still be made up.
    using CatchUpLimit = std::function<Clock::duration(Clock::duration period)>;

    // `now` reads the clock the deadlines are on: the steady clock, or a
    // simulated one.
    DeadlineTimers(CatchUpLimit catchUpLimit, Now now = &Clock::now)
        : catchUpLimit_(std::move(catchUpLimit)), now_(std::move(now)) {}

    std::unique_ptr<Timer> create(Int32 periodMs, std::function<void()> tick);

    // The earliest deadline of a timer that is on and not running.
    std::optional<Clock::time_point> nextDue() const;
    // Runs the tick whose deadline came first, if one has come by `now`;
    // false if none has.
    bool runEarliestDue(Clock::time_point now);
    // Runs every tick due at `now`, once each and in deadline order, while
    // `keepGoing` says so.
    void runAllDue(Clock::time_point now, const std::function<bool()>& keepGoing);

    // How many ticks the timers of this period have run.
    std::int64_t ticksRun(Int32 periodMs) const;

    struct Entry {
        Clock::duration period;
        bool on = true;
        bool alive = true;
        bool running = false;
        Clock::time_point due;
        std::function<void()> tick;
    };

  private:
    class Handle;
    bool ready(const Entry& entry) const { return entry.alive && entry.on && !entry.running; }
    void run(Entry& entry, Clock::time_point now);

    CatchUpLimit catchUpLimit_;
    Now now_;
    std::vector<std::shared_ptr<Entry>> entries_;
    std::map<Int32, std::int64_t> ticksRun_;
};

}  // namespace lightmatrix
