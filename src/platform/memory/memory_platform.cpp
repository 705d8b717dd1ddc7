#include "platform/memory/memory_platform.h"

#include <cmath>

#include "common/constants.h"

namespace lightmatrix {

namespace {
constexpr Int32 kWindowHandle = 0x0001'0010;
}

PixelRect MemoryPlatform::panelArea(const MemoryOptions& options) {
    const PixelMapping mapping(options.dpi);
    const PixelRect design = designPanelArea(mapping);
    PixelRect area = design;
    if (options.panelWidth > 0) area.right = area.left + options.panelWidth;
    if (options.panelHeight > 0) area.bottom = area.top + options.panelHeight;
    return area;
}

MemoryPlatform::MemoryPlatform(MemoryOptions options)
    : options_(std::move(options)),
      clock_(options_.startSeconds),
      timers_(clock_),
      window_(kWindowHandle, options_.screenWidth, options_.screenHeight, options_.dpi, *this),
      lights_(window_),
      panel_(window_, panelArea(options_)),
      user32_(window_),
      platform_(std::make_unique<Platform>(Platform{*this, *this, window_, lights_, timers_, panel_,
                                                    *this, clock_, generator_, user32_, panel_})) {
    window_.connect(lights_.scene(), panel_);
}

MemoryPlatform::~MemoryPlatform() = default;

bool MemoryPlatform::anotherInstanceRunning() {
    if (options_.anotherInstanceRunning) return true;
    claimed_ = true;
    return false;
}

void MemoryPlatform::advance(std::int64_t ms) {
    // After each tick the window draws what it changed.
    timers_.runUntil(
        clock_.nowMs() + ms, [this] { return !ended_; }, [this] { window_.paint(); });
}

void MemoryPlatform::pressKey(Int16 keyCode, Int16 shift) {
    if (!ended_) window_.pressKey(keyCode, shift);
}

void MemoryPlatform::pressMouse(Int16 button, Int32 x, Int32 y, Int16 shift) {
    if (!ended_) window_.pressMouse(button, shift, x, y);
}

void MemoryPlatform::post(std::function<void()> event) {
    pending_.push_back(std::move(event));
}

void MemoryPlatform::doEvents() {
    ++doEventsCalls_;
    // Only what waits now: events posted by these handlers wait for the next call.
    auto waiting = std::move(pending_);
    pending_.clear();
    for (auto& event : waiting) {
        if (!ended_) event();
        window_.paint();
    }
}

}  // namespace lightmatrix
