#include "platform/win32/win32_backend.h"

#include <algorithm>

namespace lightmatrix::win32 {

namespace {

// Ticks that a busy machine held up are caught up one after another, so that
// the rate holds; a timer more than this far behind (after the machine slept,
// say) gives up the ones it missed and starts a fresh period instead.
constexpr std::chrono::seconds kLongestCatchUp{1};
constexpr int kLongestCatchUpPeriods = 10;

DeadlineTimers::Clock::duration catchUpLimit(DeadlineTimers::Clock::duration period) {
    return std::max<DeadlineTimers::Clock::duration>(kLongestCatchUp,
                                                     kLongestCatchUpPeriods * period);
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance)
    : timers_(catchUpLimit),
      window_(instance, failure_, [this] { ended_ = true; }),
      panel_(instance, window_, failure_) {}

std::unique_ptr<Timer> Win32Backend::createTimer(Int32 periodMs, std::function<void()> tick) {
    return timers_.create(periodMs, std::move(tick));
}

float Win32Backend::secondsSinceMidnight() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const double seconds =
        now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
    return static_cast<float>(seconds);
}

void Win32Backend::afterHandler() {
    failure_.rethrowIfAny();
    window_.repaint();
}

void Win32Backend::dispatchWaiting() {
    MSG message{};
    while (!ended_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            ended_ = true;
        else
            DispatchMessageW(&message);
        afterHandler();
    }
    // PeekMessage itself hands messages sent from other threads to their
    // window procedures: those handlers are followed up here.
    afterHandler();
}

void Win32Backend::processPendingEvents() {
    window_.repaint();
    dispatchWaiting();
    // The ticks due now, once each; before each one, what the one before it
    // changed is presented.
    timers_.runAllDue(DeadlineTimers::Clock::now(), [this] {
        window_.repaint();
        return !ended_;
    });
    window_.repaint();
}

void Win32Backend::run() {
    while (!ended_) {
        dispatchWaiting();
        if (ended_) break;
        // One tick, then the messages that came meanwhile: input is never kept
        // waiting behind a run of late ticks.
        const bool ticked = timers_.runEarliestDue(DeadlineTimers::Clock::now());
        window_.repaint();
        if (ticked) continue;
        HANDLE nextTick = waitable_.arm(timers_.nextDue());
        MsgWaitForMultipleObjectsEx(nextTick != nullptr ? 1 : 0, &nextTick, INFINITE, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

}  // namespace lightmatrix::win32
