#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/clock.h"
#include "platform/common/deadline_timers.h"
#include "platform/common/pcg_generator.h"
#include "platform/event_loop.h"
#include "platform/instance_check.h"
#include "platform/memory/memory_picture_panel.h"
#include "platform/memory/memory_window.h"

namespace lightmatrix {

struct MemoryOptions {
    Int32 screenWidth = 800;
    Int32 screenHeight = 600;
    double dpi = 96;
    double startSeconds = 0;  // the simulated clock's reading at start, after midnight
    bool anotherInstanceRunning = false;
    // The panel's inner size in pixels; 0 keeps the size of its design rectangle.
    Int32 panelWidth = 0;
    Int32 panelHeight = 0;
};

// The whole window system in memory: a complete backend that runs the program
// without a display, for the tests and the render tool. Time moves only
// through advance(); input arrives only through the press and post calls.
class MemoryBackend : public EventLoop, public Clock, public InstanceCheck {
  public:
    explicit MemoryBackend(const MemoryOptions& options = {});

    MemoryWindow& window() { return window_; }
    MemoryPicturePanel& panel() { return panel_; }
    PcgGenerator& generator() { return generator_; }
    // What the screen shows of the window, every change drawn.
    const Raster& screen() { return window_.screen(); }

    // Runs `ms` milliseconds of simulated time: every tick due on the way, in
    // order, each followed by the window's repaint, until the program ends.
    // A run-time error from a handler passes to the caller.
    void advance(std::int64_t ms);
    std::int64_t nowMs() const { return nowMs_; }

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
    float secondsSinceMidnight() override;
    bool anotherInstanceRunning() override;

  private:
    MemoryOptions options_;
    std::int64_t nowMs_ = 0;
    bool ended_ = false;
    bool claimed_ = false;
    int pendingEventRounds_ = 0;
    std::vector<std::function<void()>> pending_;
    DeadlineTimers timers_;
    MemoryWindow window_;
    MemoryPicturePanel panel_;
    PcgGenerator generator_;
};

}  // namespace lightmatrix
