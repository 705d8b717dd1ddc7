#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/timers.h"

namespace lightmatrix::win32 {

// The window's periodic timers, kept by the message loop itself rather than
// by SetTimer, which ticks at the system's timer resolution (64 times a second
// by default) however short the period. Each timer has a deadline on a steady
// clock that moves on by exactly one period per tick, so late ticks do not add
// up to a slower rate. The loop sleeps on a high-resolution waitable timer set
// for the next deadline, together with the message queue, and runs ticks on
// the window's thread between messages.
class Win32Timers : public Timers {
  public:
    Win32Timers();
    ~Win32Timers() override;
    Win32Timers(const Win32Timers&) = delete;
    Win32Timers& operator=(const Win32Timers&) = delete;

    std::unique_ptr<Timer> create(Int32 intervalMs, std::function<void()> tick) override;

    // Runs the tick whose deadline came first, if any has come; false if none.
    bool runDueTick();
    // Runs every tick due at this moment, once each.
    void runDueTicks();
    // Sets the waitable timer for the next deadline and returns it, or returns
    // nullptr when no timer is on.
    HANDLE armForNextTick();

    // How many ticks the timers with this period have run.
    std::int64_t ticksRun(Int32 intervalMs) const;
    // Whether the waitable timer has the high resolution of Windows 10 1803 on;
    // without it the system's timer resolution is raised to 1 ms instead.
    bool highResolution() const { return highResolution_; }

    using Clock = std::chrono::steady_clock;
    struct Entry {
        std::chrono::milliseconds interval;
        bool on = true;
        bool alive = true;
        bool running = false;
        Clock::time_point due;
        std::function<void()> tick;
    };

  private:
    void run(Entry& entry, Clock::time_point now);

    HANDLE waitable_ = nullptr;
    bool highResolution_ = false;
    bool periodRaised_ = false;
    std::vector<std::shared_ptr<Entry>> entries_;
    std::map<Int32, std::int64_t> ticksRun_;
};

}  // namespace lightmatrix::win32
