#include "platform/win32/waitable_timer.h"

#include <timeapi.h>

#include <algorithm>

#include "common/runtime_error.h"

namespace lightmatrix::win32 {

namespace {
// Not yet in every SDK's headers; Windows 10 1803 and later understand it.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
}  // namespace

WaitableTimer::WaitableTimer() {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    if (timer_ == nullptr) {
        // Older Windows: an ordinary waitable timer, with the system's timer
        // resolution raised to 1 ms for as long as the program runs.
        periodRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    }
    if (timer_ == nullptr) raise(ErrorKind::Platform, "cannot create a waitable timer");
}

WaitableTimer::~WaitableTimer() {
    CloseHandle(timer_);
    if (periodRaised_) timeEndPeriod(1);
}

HANDLE WaitableTimer::arm(std::optional<TimePoint> due) {
    if (!due) {
        CancelWaitableTimer(timer_);
        return nullptr;
    }
    // A relative due time, in 100 ns units, negative; at least one unit.
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(
        *due - std::chrono::steady_clock::now());
    LARGE_INTEGER dueTime;
    dueTime.QuadPart = -std::max<LONGLONG>(wait.count() / 100, 1);
    if (!SetWaitableTimer(timer_, &dueTime, 0, nullptr, nullptr, FALSE))
        raise(ErrorKind::Platform, "cannot set the waitable timer");
    return timer_;
}

}  // namespace lightmatrix::win32
