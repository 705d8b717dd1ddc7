#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/framebuffer/composited_window.h"
#include "platform/instance_check.h"
#include "platform/loop/backend_loop.h"
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
// without a display, for the tests and the render tool. Its loop is the real
// loops' model on a simulated clock: time moves only through advance(), input
// arrives only through the calls below, and each is handled as a real loop
// handles it, repainted after. Pictures are decoded with gdk-pixbuf.
class MemoryBackend : public BackendLoop, public InstanceCheck {
  public:
    explicit MemoryBackend(const MemoryOptions& options = {});

    MemoryWindow& window() override { return window_; }
    CompositedPanel& panel() { return panel_; }
    // What the screen shows of the window: what was presented to it.
    const Raster& screen() { return window_.screen(); }

    // Runs `ms` milliseconds of the loop on the simulated clock: the events
    // waiting first, then a wake at each time the timers' wake comes. Stops
    // when the program ends. A run-time error from a handler passes on.
    void advance(std::int64_t ms);
    // `ms` milliseconds go by while the process is stopped: nothing runs.
    void stall(std::int64_t ms);
    // The simulated display goes off (false) or on again (true); see BackendLoop.
    using BackendLoop::setSeen;
    std::int64_t nowMs() const;
    // How many times the timers woke.
    int wakes() const { return wakes_; }

    void pressKey();
    // A mouse button, the left one or another, going down or up at pixel
    // (x, y) of the window's client area; a click is both.
    void mouseDown(Int32 x, Int32 y, bool left = true);
    void mouseUp(Int32 x, Int32 y, bool left = true);
    void click(Int32 x, Int32 y, bool left = true);
    // The user hands the panel a picture file, as on the page.
    void choosePicture(const std::string& path);
    // Queues an event for the loop's next round.
    void post(std::function<void()> event);
    // How many rounds handled the events waiting.
    int pendingEventRounds() const { return pendingEventRounds_; }

    bool instanceClaimed() const { return claimed_; }

    bool anotherInstanceRunning() override;

  private:
    // The events posted before this round.
    void handleWaitingEvents() override;
    // Runs a handler for input, as a real loop does: unless the program has
    // ended, then repaints.
    void handle(const std::function<void()>& handler);

    MemoryOptions options_;
    DeadlineTimers::Instant now_;
    bool claimed_ = false;
    int pendingEventRounds_ = 0;
    int wakes_ = 0;
    std::vector<std::function<void()>> pending_;
    MemoryWindow window_;
    CompositedPanel panel_;
};

}  // namespace lightmatrix
