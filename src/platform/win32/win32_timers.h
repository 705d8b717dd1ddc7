#pragma once

#include <windows.h>

#include "platform/common/deadline_timers.h"

namespace lightmatrix::win32 {

// The window's periodic timers, kept by the message loop itself rather than
// by SetTimer, which ticks at the system's timer resolution (64 times a second
// by default) however short the period. Each timer has a deadline on a steady
// clock that moves on by exactly one period per tick, so late ticks do not add
// up to a slower rate. The loop sleeps on a high-resolution waitable timer set
// for the next deadline, together with the message queue, and runs ticks on
// the window's thread between messages.
class Win32Timers : public DeadlineTimers {
  public:
    Win32Timers();
    ~Win32Timers() override;
    Win32Timers(const Win32Timers&) = delete;
    Win32Timers& operator=(const Win32Timers&) = delete;

    // Runs the tick whose deadline came first, if any has come; false if none.
    bool runDueTick() { return runEarliestDue(Clock::now()); }
    // Runs every tick due at this moment, once each.
    void runDueTicks() {
        runAllDue(Clock::now(), [] { return true; });
    }
    // Sets the waitable timer for the next deadline and returns it, or returns
    // nullptr when no timer is on.
    HANDLE armForNextTick();

    // Whether the waitable timer has the high resolution of Windows 10 1803 on;
    // without it the system's timer resolution is raised to 1 ms instead.
    bool highResolution() const { return highResolution_; }

  private:
    HANDLE waitable_ = nullptr;
    bool highResolution_ = false;
    bool periodRaised_ = false;
};

}  // namespace lightmatrix::win32
