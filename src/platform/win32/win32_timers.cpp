#include "platform/win32/win32_timers.h"

#include <timeapi.h>

#include <algorithm>

#include "common/runtime_error.h"

namespace lightmatrix::win32 {

namespace {

// Not yet in every SDK's headers; Windows 10 1803 and later understand it.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

// Ticks that a busy machine held up are caught up one after another, so that
// the rate holds; a timer more than this far behind (after the machine slept,
// say) gives up the ones it missed and starts a fresh period instead.
constexpr std::chrono::seconds kLongestCatchUp{1};
constexpr int kLongestCatchUpPeriods = 10;

DeadlineTimers::Clock::duration catchUpLimit(DeadlineTimers::Clock::duration interval) {
    return std::max<DeadlineTimers::Clock::duration>(kLongestCatchUp,
                                                     kLongestCatchUpPeriods * interval);
}

}  // namespace

Win32Timers::Win32Timers() : DeadlineTimers(catchUpLimit) {
    waitable_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    highResolution_ = waitable_ != nullptr;
    if (waitable_ == nullptr) {
        // Older Windows: an ordinary waitable timer, with the system's timer
        // resolution raised to 1 ms for as long as the program runs.
        periodRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        waitable_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    }
    if (waitable_ == nullptr) raise(ErrorKind::Platform, "cannot create a waitable timer");
}

Win32Timers::~Win32Timers() {
    CloseHandle(waitable_);
    if (periodRaised_) timeEndPeriod(1);
}

HANDLE Win32Timers::armForNextTick() {
    const std::optional<Clock::time_point> next = nextDue();
    if (!next) {
        CancelWaitableTimer(waitable_);
        return nullptr;
    }
    // Relative due time, in 100 ns units, negative; at least one unit.
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(*next - Clock::now());
    LARGE_INTEGER dueTime;
    dueTime.QuadPart = -std::max<LONGLONG>(wait.count() / 100, 1);
    if (!SetWaitableTimer(waitable_, &dueTime, 0, nullptr, nullptr, FALSE))
        raise(ErrorKind::Platform, "cannot set the waitable timer");
    return waitable_;
}

}  // namespace lightmatrix::win32
