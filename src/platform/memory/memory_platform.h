#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/common/pcg_generator.h"
#include "platform/common/scene_lights.h"
#include "platform/memory/memory_picture_panel.h"
#include "platform/memory/memory_timers.h"
#include "platform/memory/memory_user32.h"
#include "platform/memory/memory_window.h"
#include "platform/platform.h"

namespace lightmatrix {

struct MemoryOptions {
    std::string commandLine{};
    Int32 screenWidth = 800;
    Int32 screenHeight = 600;
    double dpi = 96;
    double startSeconds = 0;  // the virtual clock's reading at start, after midnight
    bool anotherInstanceRunning = false;
    // The panel's inner size in pixels; 0 keeps the size of its design rectangle.
    Int32 panelWidth = 0;
    Int32 panelHeight = 0;
};

// The whole window system in memory: a complete backend that runs the program
// without a display. Time moves only through advance(); input arrives only
// through the press and post calls.
class MemoryPlatform : private Program, private InstanceCheck, private Events {
  public:
    explicit MemoryPlatform(MemoryOptions options = {});
    MemoryPlatform(const MemoryPlatform&) = delete;
    MemoryPlatform& operator=(const MemoryPlatform&) = delete;
    ~MemoryPlatform() override;

    Platform& platform() { return *platform_; }

    // Runs `ms` milliseconds of simulated time, every due tick in order, until
    // the program ends. A run-time error from a handler passes to the caller.
    void advance(std::int64_t ms);
    std::int64_t nowMs() const { return clock_.nowMs(); }

    void pressKey(Int16 keyCode = 32, Int16 shift = 0);
    // A press at pixel (x, y) of the window's client area.
    void pressMouse(Int16 button, Int32 x, Int32 y, Int16 shift = 0);
    // Queues an event that the next doEvents() handles.
    void post(std::function<void()> event);
    int doEventsCalls() const { return doEventsCalls_; }

    bool ended() const override { return ended_; }
    bool instanceClaimed() const { return claimed_; }

    MemoryWindow& window() { return window_; }
    const MemoryWindow& window() const { return window_; }
    SceneLights& lights() { return lights_; }
    MemoryPicturePanel& panel() { return panel_; }
    MemoryUser32& user32() { return user32_; }
    const Raster& frame() const { return window_.raster(); }

  private:
    std::string commandLine() const override { return options_.commandLine; }
    void end() override { ended_ = true; }
    bool anotherInstanceRunning() override;
    void doEvents() override;

    static PixelRect panelArea(const MemoryOptions& options);

    MemoryOptions options_;
    bool ended_ = false;
    bool claimed_ = false;
    int doEventsCalls_ = 0;
    std::vector<std::function<void()>> pending_;
    VirtualClock clock_;
    MemoryTimers timers_;
    MemoryWindow window_;
    SceneLights lights_;
    MemoryPicturePanel panel_;
    MemoryUser32 user32_;
    PcgGenerator generator_;
    std::unique_ptr<Platform> platform_;
};

}  // namespace lightmatrix
