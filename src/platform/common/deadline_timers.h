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
// is made up at once.
//
// The loop wakes at most once a frame (the display shows no more) and runs
// every tick that fell due since its last wake, in deadline order, then
// repaints once: a 10 ms timer on a 60 Hz display runs one or two ticks a
// wake and keeps its 100 a second. A timer further behind than a few frames
// (a stopped process, a machine that slept) drops the ticks it missed and
// starts a fresh period instead of catching up in a burst. A tick that lets
// events be processed never starts itself again.
class DeadlineTimers {
  public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    // The most a tick is made up for, however late.
    static constexpr std::chrono::milliseconds kMaxCatchUp{100};

    // `now` reads the clock the deadlines are on: the steady clock, or a
    // simulated one. `frame` is the least time between two wakes, the display's
    // frame; zero wakes at every deadline.
    explicit DeadlineTimers(Clock::duration frame, Now now = &Clock::now)
        : frame_(frame), now_(std::move(now)) {}

    std::unique_ptr<Timer> create(Int32 periodMs, std::function<void()> tick);

    // When the loop is to wake next: the earliest deadline of a timer that is
    // on and not running, but not before a frame has passed since the last
    // wake. Nothing when no timer is on.
    std::optional<Clock::time_point> nextWake() const;
    // A wake at `now`: runs every tick due by then, in deadline order (of
    // equal ones, the timer made first), while `keepGoing` says so.
    void wake(Clock::time_point now, const std::function<bool()>& keepGoing);
    Clock::time_point now() const { return now_(); }
    // When the tick that runs now fell due; nothing between ticks.
    std::optional<Clock::time_point> runningTickDue() const { return runningDue_; }

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

    Clock::duration frame_;
    Now now_;
    std::optional<Clock::time_point> lastWake_;
    std::optional<Clock::time_point> runningDue_;
    std::vector<std::shared_ptr<Entry>> entries_;
    std::map<Int32, std::int64_t> ticksRun_;
};

}  // namespace lightmatrix
