#include "platform/web/web_backend.h"

#include <emscripten.h>

#include <algorithm>

namespace lightmatrix {

namespace {

EM_JS(double, devicePixelsPerInch, (), { return 96 * window.devicePixelRatio; });
EM_JS(double, localTimeOfDay, (), {
    const now = new Date();
    return now.getHours() * 3600 + now.getMinutes() * 60 + now.getSeconds() +
           now.getMilliseconds() / 1000;
});
EM_JS(void, programEnded, (const char* why), { lightmatrixPage.ended(UTF8ToString(why)); });

// How long a pause of the frames is made up for, tick by tick.
constexpr std::chrono::seconds kMostMadeUp{1};

}  // namespace

// steady_clock is performance.now() here. The frames themselves pace the
// wakes, so a wake may come as soon as a deadline has passed.
WebBackend::WebBackend()
    : timers_(DeadlineTimers::Clock::duration::zero()),
      clock_(timers_, &localTimeOfDay),
      window_(devicePixelsPerInch(), [this] { end(); }),
      panel_(window_) {}

std::unique_ptr<Timer> WebBackend::createTimer(Int32 periodMs, std::function<void()> tick) {
    return timers_.create(periodMs, std::move(tick));
}

void WebBackend::end(const std::string& why) {
    if (ended_) return;
    ended_ = true;
    programEnded(why.c_str());
}

// Frames can come late: a busy page, a slow device, or a browser on virtual
// time fires them rarely. A frame then runs every tick that fell due since
// the last one, each at its own due time: it wakes the timers in steps of at
// most kMaxCatchUp, the most they make up for at one wake. A pause longer
// than kMostMadeUp (a hidden tab, which gets no frames) drops what it missed,
// as the desktop programs drop the ticks of a stopped process.
bool WebBackend::frame() {
    const auto now = timers_.now();
    for (auto due = timers_.nextWake(); due && *due <= now && !ended_; due = timers_.nextWake()) {
        const auto wake =
            now - *due > kMostMadeUp ? now : std::min(now, *due + DeadlineTimers::kMaxCatchUp);
        timers_.wake(wake, [this] { return !ended_; });
    }
    window_.repaint();
    return !ended_;
}

void WebBackend::keyDown() {
    if (!ended_) window_.keyDown();
}

void WebBackend::mouseDown(Int32 x, Int32 y) {
    if (!ended_) window_.mouseDown(x, y);
}

}  // namespace lightmatrix
