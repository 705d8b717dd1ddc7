#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/framebuffer/composited_window.h"
#include "platform/instance_check.h"
#include "platform/loop/loop.h"
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
// without a display, for the tests and the render tool. It runs the shared
// loop on a simulated clock: its wait moves the clock on to the next wake,
// and the window system's events are those the calls below hand it, each
// read and handled in a round of its own. Pictures are decoded with gdk-pixbuf.
class MemoryBackend : public Loop, public InstanceCheck {
  public:
    explicit MemoryBackend(const MemoryOptions& options = {});

    MemoryWindow& window() override { return window_; }
    CompositedPanel& panel() { return panel_; }
    // What the screen shows of the window: what was presented to it.
    const Raster& screen() { return window_.screen(); }

    // Runs the loop for `ms` milliseconds of the simulated clock. Stops when
    // the program ends. A run-time error from a handler passes on.
    void advance(std::int64_t ms);
    // `ms` milliseconds go by while the process is stopped: nothing runs.
    void stall(std::int64_t ms);
    std::int64_t nowMs() const;
    // How many times the loop woke from a wait for the timers.
    int wakes() const { return wakes_; }
    // How many rounds the loop went.
    int rounds() const { return rounds_; }

    // What the window system hands the program, each in a round of its own:
    // a key; a mouse button, the left one or another, going down or up at
    // pixel (x, y) of the window's client area (a click is both); a picture
    // file handed to the panel, as on the page; the display going off
    // (false) or on again (true).
    void pressKey();
    void mouseDown(Int32 x, Int32 y, bool left = true);
    void mouseUp(Int32 x, Int32 y, bool left = true);
    void click(Int32 x, Int32 y, bool left = true);
    void choosePicture(const std::string& path);
    void setSeen(bool seen);
    // An event of the window system's own, dispatched when the next round
    // reads what came: it may report up or post more, which wait for the round after.
    void post(std::function<void()> event);

    bool instanceClaimed() const { return claimed_; }

    bool anotherInstanceRunning() override;

  private:
    void readEvents() override;
    void wait(std::optional<Instant> until) override;

    MemoryOptions options_;
    Instant now_;
    Instant runUntil_;
    bool claimed_ = false;
    int rounds_ = 0;
    int wakes_ = 0;
    std::vector<std::function<void()>> posted_;
    MemoryWindow window_;
    CompositedPanel panel_;
};

}  // namespace lightmatrix
