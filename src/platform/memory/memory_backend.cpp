#include "platform/memory/memory_backend.h"

#include "common/constants.h"
#include "platform/gdkpixbuf/picture_file.h"

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
      timers_(
          std::chrono::duration_cast<DeadlineTimers::Clock::duration>(
              std::chrono::duration<double>(options.refreshRate > 0 ? 1 / options.refreshRate : 0)),
          [this] { return now_; }),
      clock_(timers_,
             [this] {
                 return options_.startSeconds +
                        std::chrono::duration<double>(now_.time_since_epoch()).count();
             }),
      window_(options.screenWidth, options.screenHeight, options.dpi, [this] { ended_ = true; }),
      panel_(window_, panelArea(options), &loadPictureFile) {}

std::unique_ptr<Timer> MemoryBackend::createTimer(Int32 periodMs, std::function<void()> tick) {
    return timers_.create(periodMs, std::move(tick));
}

void MemoryBackend::advance(std::int64_t ms) {
    const auto target = now_ + std::chrono::milliseconds(ms);
    while (!ended_) {
        const auto wake = timers_.nextWake();
        if (!wake || *wake > target) break;
        now_ = *wake;
        timers_.wake(now_, [this] { return !ended_; });
        if (window_.changedSinceRepaint()) ++framesShown_;
        window_.repaint();
    }
    if (!ended_) now_ = target;
}

std::int64_t MemoryBackend::nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now_.time_since_epoch()).count();
}

std::int64_t MemoryBackend::lightingTicks() const {
    return timers_.ticksRun(kLightingPeriodMs);
}

void MemoryBackend::pressKey() {
    if (!ended_) window_.keyDown();
}

void MemoryBackend::pressMouse(Int32 x, Int32 y) {
    if (!ended_) window_.mouseDown(x, y);
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

bool MemoryBackend::anotherInstanceRunning() {
    if (options_.anotherInstanceRunning) return true;
    claimed_ = true;
    return false;
}

}  // namespace lightmatrix
