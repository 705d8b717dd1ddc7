#pragma once

#include <functional>
#include <memory>

#include "platform/event_loop.h"
#include "platform/framebuffer/framebuffer_window.h"
#include "platform/loop/deadline_timers.h"
#include "platform/loop/pcg_generator.h"
#include "platform/loop/tick_clock.h"

namespace lightmatrix {

// What every backend's event loop shares (see EventLoop): the timers the saver
// makes, kept against deadlines and paced by the display; the clock the saver
// reads and its generator; whether the program has ended; the wake step; one
// round of the loop without its wait; and sleep while nobody can see the
// window. A backend adds how it waits, how input reaches the handlers, and
// how it learns whether its window can be seen.
//
// While the window cannot be seen (the display is off, the window is hidden
// or covered) the loop sleeps: no tick runs and nothing is drawn, and the
// backend waits for what tells it the window shows again, not for the ticks.
// The ticks keep their due times meanwhile: when the window can be seen
// again, every tick that fell due runs, in order, each at its own due time,
// and then one repaint shows exactly the lights that running on would have.
class BackendLoop : public EventLoop {
  public:
    std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) final {
        return timers_.create(periodMs, std::move(tick));
    }
    // Draws what is waiting to be drawn, handles the events waiting, then
    // wakes the timers if their wake has come.
    void processPendingEvents() final {
        window().repaint();
        handleWaitingEvents();
        if (!ended_) wakeTimers();
    }
    Clock& clock() { return clock_; }
    Generator& generator() { return generator_; }
    // Once the program has ended, no handler runs any more.
    bool ended() const { return ended_; }
    bool seen() const { return seen_; }

  protected:
    // `refreshRate` frames a second pace the wakes (0 wakes at every
    // deadline). `localTimeOfDay` reads the wall clock in seconds since local
    // midnight; `now` the steady clock that the deadlines are on. A tick
    // later than `maxCatchUp` is not made up for.
    BackendLoop(double refreshRate, std::function<double()> localTimeOfDay,
                DeadlineTimers::Now now = &std::chrono::steady_clock::now,
                DeadlineTimers::Duration maxCatchUp = DeadlineTimers::kMaxCatchUp)
        : timers_(refreshRate, std::move(now), maxCatchUp),
          clock_(timers_, std::move(localTimeOfDay)) {}

    // The backend's window, and the events waiting for it: each handled to
    // its end and followed by a repaint.
    virtual FramebufferWindow& window() = 0;
    virtual void handleWaitingEvents() = 0;

    // The wake step: once the timers' wake has come, runs every tick due by
    // now, in order, then repaints the window once. Whether they woke.
    bool wakeTimers() {
        if (!seen_ || !timers_.wakeIfDue([this] { return !ended_; })) return false;
        window().repaint();
        return true;
    }
    // Whether anyone can see the window now; see above.
    void setSeen(bool seen) {
        if (seen == seen_) return;
        seen_ = seen;
        if (!seen || ended_) return;
        timers_.catchUp([this] { return !ended_; });
        window().repaint();
    }
    // When the timers are to wake next, and how long until then: nothing
    // while asleep, or while no timer is on.
    std::optional<DeadlineTimers::Instant> nextWake() const {
        return seen_ ? timers_.nextWake() : std::nullopt;
    }
    std::optional<DeadlineTimers::Duration> timeToNextWake() const {
        return seen_ ? timers_.timeToNextWake() : std::nullopt;
    }
    void end() { ended_ = true; }
    // The display's refresh rate, once the backend knows it.
    void pace(double refreshRate) { timers_.pace(refreshRate); }

  private:
    bool ended_ = false;
    bool seen_ = true;
    DeadlineTimers timers_;
    TickClock clock_;
    PcgGenerator generator_;
};

}  // namespace lightmatrix
