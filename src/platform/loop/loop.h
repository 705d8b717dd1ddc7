#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/event_loop.h"
#include "platform/framebuffer/framebuffer_window.h"
#include "platform/loop/deadline_timers.h"
#include "platform/loop/pcg_generator.h"
#include "platform/loop/tick_clock.h"

namespace lightmatrix {

// Input as a backend reports it up to the loop, from wherever its window
// system hands it over (a window procedure, a listener): a key went down; a
// mouse button went down or up at a point of the client area
// (FramebufferWindow::kOffWindow for one on a cover).
class InputReports {
  public:
    virtual void keyPressed() = 0;
    virtual void buttonPressed(PixelPoint at, bool left) = 0;
    virtual void buttonReleased(PixelPoint at, bool left) = 0;

  protected:
    ~InputReports() = default;
};

// The event loop of every backend, written once (see EventLoop): the timers
// the saver makes, kept against deadlines; the clock the saver reads and its
// generator; the order of a round; the sleep while nobody can see the window;
// and the end of the program. A backend adds what differs, as a table of
// operations: how it reads what the window system sent and dispatches it,
// whether it holds events read already, and how it waits. It reports up, in
// the terms below, what concerns the program, and the loop handles each
// report in its round, in order.
class Loop : public EventLoop, public InputReports {
  public:
    using Instant = DeadlineTimers::Instant;
    using Duration = DeadlineTimers::Duration;

    std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) final;
    void onCatchUp(std::function<void(MissedTicks&)> planner) final {
        planner_ = std::move(planner);
    }
    void processPendingEvents() final { round(); }

    // Runs rounds, waiting between them, until the program ends.
    void run();

    Clock& clock() { return clock_; }
    Generator& generator() { return generator_; }
    // Once the program has ended, no handler runs any more.
    bool ended() const { return ended_; }
    void end() { ended_ = true; }
    // Whether the loop is awake: someone can see the window, as last reported.
    bool seen() const { return seen_; }

    // What a backend reports up: input (see InputReports); the user handed
    // the panel a picture file; nobody can see the window from `since` on,
    // or someone can again from `since` on.
    void keyPressed() final;
    void buttonPressed(PixelPoint at, bool left) final;
    void buttonReleased(PixelPoint at, bool left) final;
    void pictureChosen(std::string path);
    void unseenFrom(Instant since);
    void seenAgainAt(Instant since);

  protected:
    // `refreshRate` frames a second pace the wakes (0 wakes at every
    // deadline). `localTimeOfDay` reads the wall clock in seconds since local
    // midnight; `now` the steady clock that the deadlines are on. A tick later
    // than `maxCatchUp` (a stopped process, a machine that slept) is not made
    // up for.
    Loop(double refreshRate, std::function<double()> localTimeOfDay,
         DeadlineTimers::Now now = &std::chrono::steady_clock::now,
         Duration maxCatchUp = DeadlineTimers::kMaxCatchUp);

    // The backend's table.
    // Its window, which the loop repaints.
    virtual FramebufferWindow& window() = 0;
    // Reads what the window system sent, without waiting, and dispatches it,
    // reporting up what concerns the program.
    virtual void readEvents() = 0;
    // Whether it holds events read already and not yet dispatched: the loop
    // then goes round again instead of waiting.
    virtual bool holdsEvents() { return false; }
    // Waits until the window system sends something, a signal comes, or
    // `until` has come; without limit for none.
    virtual void wait(std::optional<Instant> until) = 0;

    // When the timers wake next: nothing while asleep or while no timer is on.
    std::optional<Instant> nextWake() const;
    Instant now() const { return timers_.now(); }
    // The display's refresh rate, once the backend knows it.
    void pace(double refreshRate) { timers_.pace(refreshRate); }
    // Ends a run() without ending the program (the in-memory backend's time is up).
    void interrupt() { interrupted_ = true; }

  private:
    struct Report {
        enum class Kind { Key, ButtonDown, ButtonUp, PictureChosen, Unseen, Seen };
        Kind kind;
        PixelPoint at{};
        bool left = false;
        Instant since{};
        std::string path{};
    };
    void round();
    void handle(const Report& report);
    void wakeTimers();

    bool ended_ = false;
    bool interrupted_ = false;
    bool seen_ = true;
    bool reportedSeen_ = true;  // as the last report said, handled or not
    std::deque<Report> reports_;
    std::function<void(MissedTicks&)> planner_;
    DeadlineTimers timers_;
    TickClock clock_;
    PcgGenerator generator_;
};

}  // namespace lightmatrix
