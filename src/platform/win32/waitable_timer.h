#pragma once

#include <windows.h>

#include <chrono>
#include <optional>

namespace lightmatrix::win32 {

// What the message loop sleeps on, together with the message queue, until the
// next timer deadline: a waitable timer of high resolution. SetTimer would
// tick at the system's timer resolution (64 times a second by default)
// however short the period.
class WaitableTimer {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    WaitableTimer();
    ~WaitableTimer();
    WaitableTimer(const WaitableTimer&) = delete;
    WaitableTimer& operator=(const WaitableTimer&) = delete;

    // Sets the timer to fire at `due` and returns it to wait on; with no
    // deadline, cancels it and returns nullptr.
    HANDLE arm(std::optional<TimePoint> due);

  private:
    HANDLE timer_ = nullptr;
    bool periodRaised_ = false;
};

}  // namespace lightmatrix::win32
