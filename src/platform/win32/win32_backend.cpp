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
    : Loop(displayRefreshRate(), localTimeOfDay ? std::move(localTimeOfDay) : &systemLocalTimeOfDay,
           std::move(now)),
      window_(instance, failure_, *this, [this] { end(); }),
      panel_(instance, window_, failure_) {}

void Win32Backend::readEvents() {
    if (messages_) {
        MSG message{};
        while (!ended() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                end();
            else
                DispatchMessageW(&message);
            failure_.rethrowIfAny();
        }
        // PeekMessage itself hands messages sent from other threads to their
        // window procedures: their errors are thrown on here too.
        failure_.rethrowIfAny();
    }
    messages_ = true;
    if (!ended()) look();
}

void Win32Backend::look() {
    if (window_.embedded()) {
        if (!nextPaneLook_ || now() >= *nextPaneLook_) {
            paneShown_ = window_.paneShown();
            nextPaneLook_ = now() + kPaneLookedAtEvery;
        }
    }
    if (window_.shownAsTold() && paneShown_)
        seenAgainAt(now());
    else
        unseenFrom(now());
}

void Win32Backend::wait(std::optional<Instant> until) {
    if (nextPaneLook_ && window_.embedded())
        until = until ? std::min(*until, *nextPaneLook_) : *nextPaneLook_;
    DWORD timeout = INFINITE;
    if (until) {
        const auto ms =
            std::chrono::ceil<std::chrono::milliseconds>(std::max(*until - now(), Duration::zero()))
                .count();
        timeout = static_cast<DWORD>(std::min<long long>(ms, 60'000));
    }
    messages_ = MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT,
                                            MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
}

}  // namespace lightmatrix
