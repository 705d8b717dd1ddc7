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
    // How many times it has ticked, ticks passed over included (see MissedTicks).
    virtual std::int64_t ticksRun() const = 0;
};

// The ticks that fell due while nobody could see the window, and the loop
// slept, before they run. Each runs at once, in order, each as if at its own
// due time, unless the one who made the timers passes over those whose work
// a later tick undoes.
class MissedTicks {
  public:
    virtual ~MissedTicks() = default;
    // How many ticks of `timer` fell due, by its schedule as it stands: a
    // timer switched off has none, and so has one this loop did not make.
    virtual std::int64_t count(const Timer& timer) const = 0;
    // How many of them fell due no later than the n-th tick of `other`
    // (n >= 1). Of ticks due at the same time, those of the timer made first
    // run first, and count when `timer` was made before `other`.
    virtual std::int64_t countUpTo(const Timer& timer, const Timer& other,
                                   std::int64_t n) const = 0;
    // Passes over the first `n` ticks of `timer`: they count as run, their
    // work is not done, and its schedule goes on from the last of them.
    virtual void passOver(const Timer& timer, std::int64_t n) = 0;
};

// The window's thread and its event loop. Every backend runs the same loop.
// A round of it handles the events read from the window system, each to its
// end and in the order they came, none once the program has ended; then
// repaints the window once, so that whatever they changed shows; then wakes
// the timers if their wake has come, which runs every tick due by then, in
// deadline order, each as if at its own due time, and repaints once after
// all of them. Between rounds it waits for the window system, a signal, or
// the timers' next wake.
//
// While nobody can see the window (the display off or asleep, the window
// hidden, covered or minimised, the page in a background tab) the loop
// sleeps: it neither draws nor wakes for the ticks. Seen again, it runs the
// ticks that fell due meanwhile (see MissedTicks), then shows in one repaint
// the lights that running on would have shown.
class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // A timer that calls `tick` every `periodMs` milliseconds, on from the start.
    virtual std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) = 0;
    // `planner` sees the ticks missed while the loop slept before any of
    // them runs, and may pass over some.
    virtual void onCatchUp(std::function<void(MissedTicks&)> planner) = 0;
    // One round of the loop without the wait: handles every event waiting at
    // this moment (input, a window that went, the ticks due by now), then
    // returns. Events that arrive meanwhile wait for the next round.
    virtual void processPendingEvents() = 0;
};

}  // namespace lightmatrix
