#include "platform/win32/win32_backend.h"

#include <algorithm>

namespace lightmatrix {

namespace {

// The primary display's refresh rate as the system reports it, the usual one
// where it reports none.
double displayRefreshRate() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    const bool known =
        EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1;
    return known ? mode.dmDisplayFrequency : DeadlineTimers::kUsualRefreshRate;
}

double localTimeOfDay() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance, DeadlineTimers::Now now)
    : BackendLoop(displayRefreshRate(), &localTimeOfDay, std::move(now)),
      window_(instance, failure_, [this] { end(); }),
      panel_(instance, window_, failure_) {}

void Win32Backend::afterHandler() {
    failure_.rethrowIfAny();
    window_.repaint();
}

void Win32Backend::handleWaitingEvents() {
    MSG message{};
    while (!ended() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            end();
        else
            DispatchMessageW(&message);
        afterHandler();
    }
    // PeekMessage itself hands messages sent from other threads to their
    // window procedures: those handlers are followed up here.
    afterHandler();
}

void Win32Backend::run() {
    // A wait that ran out found no message, and then the next round need not
    // look for one: under Wine every look is a round trip to the wineserver.
    bool messages = true;
    while (!ended()) {
        if (messages) handleWaitingEvents();
        wakeTimers();
        if (ended()) break;
        DWORD timeout = INFINITE;
        if (const auto left = timeToNextWake()) {
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*left).count();
            timeout = static_cast<DWORD>(std::min<long long>(ms, 60'000));
        }
        messages = MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT,
                                               MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
    }
}

}  // namespace lightmatrix
