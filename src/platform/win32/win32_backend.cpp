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

double systemLocalTimeOfDay() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance, DeadlineTimers::Now now,
                           std::function<double()> localTimeOfDay)
    : BackendLoop(displayRefreshRate(),
                  localTimeOfDay ? std::move(localTimeOfDay) : &systemLocalTimeOfDay, now),
      window_(instance, failure_, [this] { end(); }),
      panel_(instance, window_, failure_),
      now_(std::move(now)) {}

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
    if (!ended()) look();
}

void Win32Backend::look() {
    if (window_.embedded()) {
        const auto now = now_();
        if (!nextPaneLook_ || now >= *nextPaneLook_) {
            paneShown_ = window_.paneShown();
            nextPaneLook_ = now + kPaneLookedAtEvery;
        }
    }
    setSeen(window_.shownAsTold() && paneShown_);
}

DWORD Win32Backend::waitAtMost() const {
    auto left = timeToNextWake();
    if (nextPaneLook_ && window_.embedded()) {
        const auto toLook = std::max(*nextPaneLook_ - now_(), DeadlineTimers::Duration::zero());
        left = left ? std::min(*left, toLook) : toLook;
    }
    if (!left) return INFINITE;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*left).count();
    return static_cast<DWORD>(std::min<long long>(ms, 60'000));
}

void Win32Backend::run() {
    // A wait that ran out found no message, and then the next round need not
    // look for one: under Wine every look is a round trip to the wineserver.
    bool messages = true;
    while (!ended()) {
        if (messages)
            handleWaitingEvents();
        else
            look();  // the wait ran out: a look at the pane may be due
        wakeTimers();
        if (ended()) break;
        messages = MsgWaitForMultipleObjectsEx(0, nullptr, waitAtMost(), QS_ALLINPUT,
                                               MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
    }
}

}  // namespace lightmatrix
