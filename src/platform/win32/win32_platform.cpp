#include "platform/win32/win32_platform.h"

namespace lightmatrix::win32 {

std::string argumentText(const char* commandLine) {
    const char* at = commandLine;
    bool quoted = false;
    while (*at != '\0' && (quoted || (*at != ' ' && *at != '\t'))) {
        if (*at == '"') quoted = !quoted;
        ++at;
    }
    while (*at == ' ' || *at == '\t') ++at;
    return at;
}

Win32Platform::Win32Platform(HINSTANCE instance, std::string commandLine)
    : commandLine_(std::move(commandLine)),
      window_(instance, *this, failure_),
      lights_(window_),
      panel_(instance, window_, failure_),
      platform_(
          std::make_unique<Platform>(Platform{*this, instanceCheck_, window_, lights_, timers_,
                                              panel_, *this, *this, generator_, user32_, gdi32_})) {
    window_.connect(lights_.scene(), panel_);
}

Win32Platform::~Win32Platform() = default;

float Win32Platform::secondsSinceMidnight() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const double seconds =
        now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
    return static_cast<float>(seconds);
}

void Win32Platform::processMessages() {
    failure_.rethrowIfAny();
    MSG message{};
    while (!ended_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ended_ = true;
            break;
        }
        DispatchMessageW(&message);
        failure_.rethrowIfAny();
        window_.flush();
    }
}

void Win32Platform::doEvents() {
    window_.flush();
    processMessages();
    if (!ended_) timers_.runDueTicks();
    window_.flush();
}

void Win32Platform::runEventLoop() {
    while (!ended_) {
        processMessages();
        if (ended_) break;
        // One tick, then the messages that came meanwhile: input is never kept
        // waiting behind a run of late ticks.
        const bool ticked = timers_.runDueTick();
        window_.flush();
        if (ticked) continue;
        HANDLE nextTick = timers_.armForNextTick();
        MsgWaitForMultipleObjectsEx(nextTick != nullptr ? 1 : 0, &nextTick, INFINITE, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

}  // namespace lightmatrix::win32
