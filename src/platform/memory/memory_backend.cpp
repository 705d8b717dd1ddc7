#include "platform/memory/memory_backend.h"

#include <algorithm>
#include <cmath>

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
    : Loop(
          options.refreshRate,
          [this] {
              // A local clock: it goes back to 0 at midnight.
              return std::fmod(options_.startSeconds +
                                   std::chrono::duration<double>(now_.time_since_epoch()).count(),
                               86400.0);
          },
          [this] { return now_; }),
      options_(options),
      window_(options.screenWidth, options.screenHeight, options.dpi, [this] { end(); }),
      panel_(window_, panelArea(options), std::make_unique<PixbufDecoder>()) {}

void MemoryBackend::advance(std::int64_t ms) {
    runUntil_ = now_ + std::chrono::milliseconds(ms);
    run();
}

// The clock moves on to the next wake, or to the end of the time given.
void MemoryBackend::wait(std::optional<Instant> until) {
    if (!until || *until > runUntil_) {
        now_ = std::max(now_, runUntil_);
        interrupt();
        return;
    }
    now_ = std::max(now_, *until);  // after a stall, at once
    ++wakes_;
}

void MemoryBackend::stall(std::int64_t ms) {
    now_ += std::chrono::milliseconds(ms);
}

std::int64_t MemoryBackend::nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now_.time_since_epoch()).count();
}

void MemoryBackend::readEvents() {
    ++rounds_;
    // Only what was posted before: events posted by these wait for the next round.
    const auto posted = std::move(posted_);
    posted_.clear();
    for (const auto& event : posted) event();
}

void MemoryBackend::post(std::function<void()> event) {
    posted_.push_back(std::move(event));
}

void MemoryBackend::pressKey() {
    keyPressed();
    processPendingEvents();
}

void MemoryBackend::mouseDown(Int32 x, Int32 y, bool left) {
    buttonPressed({x, y}, left);
    processPendingEvents();
}

void MemoryBackend::mouseUp(Int32 x, Int32 y, bool left) {
    buttonReleased({x, y}, left);
    processPendingEvents();
}

void MemoryBackend::click(Int32 x, Int32 y, bool left) {
    mouseDown(x, y, left);
    mouseUp(x, y, left);
}

void MemoryBackend::choosePicture(const std::string& path) {
    pictureChosen(path);
    processPendingEvents();
}

void MemoryBackend::setSeen(bool seen) {
    if (seen)
        seenAgainAt(now_);
    else
        unseenFrom(now_);
    processPendingEvents();
}

bool MemoryBackend::anotherInstanceRunning() {
    if (options_.anotherInstanceRunning) return true;
    claimed_ = true;
    return false;
}

}  // namespace lightmatrix
