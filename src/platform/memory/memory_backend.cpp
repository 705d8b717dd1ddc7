#include "platform/memory/memory_backend.h"

#include <cmath>

namespace lightmatrix {

namespace {

PixelRect panelArea(const MemoryOptions& options) {
    PixelRect area = designPanelArea(PixelMapping(options.dpi));
    if (options.panelWidth > 0) area.right = area.left + options.panelWidth;
    if (options.panelHeight > 0) area.bottom = area.top + options.panelHeight;
    return area;
}

}  // namespace

MemoryBackend::MemoryBackend(const MemoryOptions& options)
    : options_(options),
      // Simulated time is never late: every tick runs at its deadline.
      timers_(
          [](auto period) { return period; },
          [this] { return DeadlineTimers::Clock::time_point(std::chrono::milliseconds(nowMs_)); }),
      window_(options.screenWidth, options.screenHeight, options.dpi, [this] { ended_ = true; }),
      panel_(window_, panelArea(options)) {}

std::unique_ptr<Timer> MemoryBackend::createTimer(Int32 periodMs, std::function<void()> tick) {
    return timers_.create(periodMs, std::move(tick));
}

void MemoryBackend::advance(std::int64_t ms) {
    const std::int64_t target = nowMs_ + ms;
    while (!ended_) {
        const auto next = timers_.nextDue();
        const std::int64_t due =
            next ? std::chrono::duration_cast<std::chrono::milliseconds>(next->time_since_epoch())
                       .count()
                 : target + 1;
        if (due > target) {
            nowMs_ = target;
            return;
        }
        nowMs_ = due;
        timers_.runEarliestDue(*next);
        window_.repaint();
    }
}

void MemoryBackend::pressKey() {
    if (ended_) return;
    window_.press();
    window_.repaint();
}

void MemoryBackend::pressMouse(Int32 x, Int32 y) {
    if (ended_) return;
    if (panel_.visible() && panel_.area().contains(x, y))
        panel_.click();
    else
        window_.press();
    window_.repaint();
}

void MemoryBackend::post(std::function<void()> event) {
    pending_.push_back(std::move(event));
}

void MemoryBackend::processPendingEvents() {
    ++pendingEventRounds_;
    // Only what waits now: events posted by these handlers wait for the next round.
    auto waiting = std::move(pending_);
    pending_.clear();
    for (auto& event : waiting) {
        if (!ended_) event();
        window_.repaint();
    }
}

float MemoryBackend::secondsSinceMidnight() {
    return static_cast<float>(
        std::fmod(options_.startSeconds + static_cast<double>(nowMs_) / 1000.0, 86400.0));
}

bool MemoryBackend::anotherInstanceRunning() {
    if (options_.anotherInstanceRunning) return true;
    claimed_ = true;
    return false;
}

}  // namespace lightmatrix
