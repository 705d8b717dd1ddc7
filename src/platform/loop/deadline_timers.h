#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

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
// wake and keeps its 100 a second. A tick later than the loop makes up for (a
// stopped process, a machine that slept) is dropped with the ticks it missed,
// and its timer starts a fresh period instead of catching up in a burst. A
// tick that lets events be processed never starts itself again.
//
// The timers it hands out may outlive it: they then only keep their state.
class DeadlineTimers {
  public:
    using Instant = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;
    using Now = std::function<Instant()>;

    // The refresh rate to pace the wakes by where the system reports none.
    static constexpr double kUsualRefreshRate = 60;
    // How late a tick is made up for, unless the loop says otherwise: a few
    // frames' worth.
    static constexpr std::chrono::milliseconds kMaxCatchUp{100};

    // The wakes are paced by a display of `framesPerSecond`, at most one a
    // frame; 0 wakes at every deadline. `now` reads the clock the deadlines
    // are on: the steady clock, or a simulated one. A tick later than
    // `maxCatchUp` is not made up for.
    explicit DeadlineTimers(double framesPerSecond, Now now = &std::chrono::steady_clock::now,
                            Duration maxCatchUp = kMaxCatchUp);
    DeadlineTimers(const DeadlineTimers&) = delete;
    DeadlineTimers& operator=(const DeadlineTimers&) = delete;
    ~DeadlineTimers();

    std::unique_ptr<Timer> create(Int32 periodMs, std::function<void()> tick);
    // The wakes are paced by a display of `framesPerSecond` from now on.
    void pace(double framesPerSecond);

    // When the loop is to wake next: the earliest deadline of a timer that is
    // on and not running, but not before a frame has passed since the last
    // wake. Nothing when no timer is on.
    std::optional<Instant> nextWake() const;
    // How long until then, zero if it has come; nothing when no timer is on.
    std::optional<Duration> timeToNextWake() const;
    // If the wake has come: runs every tick due by now, in deadline order (of
    // equal ones, the timer made first), while `keepGoing` says so. Whether
    // it woke.
    bool wakeIfDue(const std::function<bool()>& keepGoing);
    // A wake at `until` that runs every tick due by then, however late, each
    // at its own due time: the ticks missed by a loop that slept, on purpose,
    // while nobody could see its window. `planner`, if any, sees them first
    // and may pass over some (see MissedTicks).
    void catchUp(Instant until, const std::function<bool()>& keepGoing,
                 const std::function<void(MissedTicks&)>& planner);

    Instant now() const;
    // When the tick that runs now fell due, and when the wake that runs it
    // came; nothing between ticks.
    std::optional<Instant> runningTickDue() const;
    std::optional<Instant> runningWake() const;

  private:
    struct Entry;
    struct Schedule;
    class Handle;
    class Missed;

    std::shared_ptr<Schedule> schedule_;
};

}  // namespace lightmatrix
