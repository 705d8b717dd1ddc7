#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/common/deadline_timers.h"
#include "platform/common/pcg_generator.h"
#include "platform/common/tick_clock.h"
#include "platform/event_loop.h"
#include "platform/instance_check.h"
#include "platform/memory/memory_window.h"

namespace lightmatrix {

struct MemoryOptions {
    Int32 screenWidth = 800;
    Int32 screenHeight = 600;
    double dpi = 96;
    double startSeconds = 0;  // the simulated clock's reading at start, after midnight
    // Frames a second the simulated display shows, which pace the wakes; 0
    // wakes at every deadline.
    double refreshRate = 0;
    bool anotherInstanceRunning = false;
    // The panel's inner size in pixels; 0 keeps the size of its design rectangle.
    Int32 panelWidth = 0;
    Int32 panelHeight = 0;
};

// The whole window system in memory: a complete backend that runs the program
// without a display, for the tests and the render tool. Time moves only
// through advance(); input arrives only through the press and post calls.
class MemoryBackend : public EventLoop, public InstanceCheck {
  public:
    explicit MemoryBackend(const MemoryOptions& options = {});

    MemoryWindow& window() { return window_; }
    CompositedPanel& panel() { return panel_; }
    Clock& clock() { return clock_; }
    PcgGenerator& generator() { return generator_; }
    // What the screen shows of the window, every change drawn.
    const Raster& screen() { return window_.screen(); }

    // Runs `ms` milliseconds of simulated time, waking as the real loops do:
    // each wake runs every tick then due, in order, and repaints once. Stops
    // when the program ends. A run-time error from a handler passes on.
    void advance(std::int64_t ms);
    std::int64_t nowMs() const;
    // How many wakes repainted something, and how many lighting ticks ran.
    int framesShown() const { return framesShown_; }
    std::int64_t lightingTicks() const;

    void pressKey();
    // A press of a mouse button at pixel (x, y) of the window's client area;
    // on the shown panel it is the panel's click.
    void pressMouse(Int32 x, Int32 y);
    // Queues an event that the next processPendingEvents() handles.
    void post(std::function<void()> event);
    int pendingEventRounds() const { return pendingEventRounds_; }

    bool ended() const { return ended_; }
    bool instanceClaimed() const { return claimed_; }

    std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) override;
    void processPendingEvents() override;
    bool anotherInstanceRunning() override;

  private:
    MemoryOptions options_;
    DeadlineTimers::Clock::time_point now_;
    bool ended_ = false;
    bool claimed_ = false;
    int pendingEventRounds_ = 0;
    int framesShown_ = 0;
    std::vector<std::function<void()>> pending_;
    DeadlineTimers timers_;
    TickClock clock_;
    MemoryWindow window_;
    CompositedPanel panel_;
    PcgGenerator generator_;
};

}  // namespace lightmatrix
