#include "platform/win32/win32_backend.h"

#include <algorithm>

namespace lightmatrix::win32 {

namespace {

// One frame of the primary display, as the system reports its refresh rate;
// 60 a second where it reports none.
DeadlineTimers::Clock::duration displayFrame() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    const bool known =
        EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1;
    return std::chrono::duration_cast<DeadlineTimers::Clock::duration>(
        std::chrono::duration<double>(1.0 / (known ? mode.dmDisplayFrequency : 60)));
}

double localTimeOfDay() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance)
    : timers_(displayFrame()),
      clock_(timers_, &localTimeOfDay),
      window_(instance, failure_, [this] { ended_ = true; }),
      panel_(instance, window_, failure_) {}

std::unique_ptr<Timer> Win32Backend::createTimer(Int32 periodMs, std::function<void()> tick) {
    return timers_.create(periodMs, std::move(tick));
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

void Win32Backend::wakeTimers() {
    const auto now = DeadlineTimers::Clock::now();
    const auto wake = timers_.nextWake();
    if (!wake || *wake > now) return;
    timers_.wake(now, [this] { return !ended_; });
    window_.repaint();
}

void Win32Backend::processPendingEvents() {
    window_.repaint();
    dispatchWaiting();
    wakeTimers();
}

void Win32Backend::run() {
    // A wait that ran out found no message, and then the next round need not
    // look for one: under Wine every look is a round trip to the wineserver.
    bool messages = true;
    while (!ended_) {
        if (messages) dispatchWaiting();
        wakeTimers();
        if (ended_) break;
        DWORD timeout = INFINITE;
        if (const auto wake = timers_.nextWake()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*wake - DeadlineTimers::Clock::now());
            timeout = static_cast<DWORD>(std::clamp<long long>(left.count(), 0, 60'000));
        }
        messages = MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT,
                                               MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
    }
}

}  // namespace lightmatrix::win32
