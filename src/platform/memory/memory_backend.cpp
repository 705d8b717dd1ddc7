#include "platform/memory/memory_backend.h"

#include <algorithm>

#include "platform/linux/pixbuf_decoder.h"

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
    : BackendLoop(
          options.refreshRate,
          [this] {
              return options_.startSeconds +
                     std::chrono::duration<double>(now_.time_since_epoch()).count();
          },
          [this] { return now_; }),
      options_(options),
      window_(options.screenWidth, options.screenHeight, options.dpi, [this] { end(); }),
      panel_(window_, panelArea(options), std::make_unique<PixbufDecoder>()) {}

void MemoryBackend::advance(std::int64_t ms) {
    const auto target = now_ + std::chrono::milliseconds(ms);
    if (!pending_.empty()) handleWaitingEvents();
    while (!ended()) {
        const auto wake = nextWake();
        if (!wake || *wake > target) break;
        now_ = std::max(now_, *wake);  // after a stall, at once
        if (wakeTimers()) ++wakes_;
    }
    if (!ended()) now_ = target;
}

void MemoryBackend::stall(std::int64_t ms) {
    now_ += std::chrono::milliseconds(ms);
}

std::int64_t MemoryBackend::nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now_.time_since_epoch()).count();
}

void MemoryBackend::handle(const std::function<void()>& handler) {
    if (ended()) return;
    handler();
    window_.repaint();
}

void MemoryBackend::pressKey() {
    handle([this] { window_.keyDown(); });
}

void MemoryBackend::mouseDown(Int32 x, Int32 y, bool left) {
    handle([=, this] { window_.mouseDown(x, y, left); });
}

void MemoryBackend::mouseUp(Int32 x, Int32 y, bool left) {
    handle([=, this] { window_.mouseUp(x, y, left); });
}

void MemoryBackend::click(Int32 x, Int32 y, bool left) {
    mouseDown(x, y, left);
    mouseUp(x, y, left);
}

void MemoryBackend::choosePicture(const std::string& path) {
    handle([&] { panel_.choose(path); });
}

void MemoryBackend::post(std::function<void()> event) {
    pending_.push_back(std::move(event));
}

void MemoryBackend::handleWaitingEvents() {
    ++pendingEventRounds_;
    // Only what waits now: events posted by these handlers wait for the next round.
    const auto waiting = std::move(pending_);
    pending_.clear();
    for (const auto& event : waiting) handle(event);
}

bool MemoryBackend::anotherInstanceRunning() {
    if (options_.anotherInstanceRunning) return true;
    claimed_ = true;
    return false;
}

}  // namespace lightmatrix
