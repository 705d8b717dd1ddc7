#include "platform/memory/memory_timers.h"

#include <algorithm>
#include <cmath>

namespace lightmatrix {

float VirtualClock::secondsSinceMidnight() {
    const double seconds = std::fmod(startSeconds_ + static_cast<double>(nowMs_) / 1000.0, 86400.0);
    return static_cast<float>(seconds);
}

namespace {

class MemoryTimer : public Timer {
  public:
    MemoryTimer(std::shared_ptr<MemoryTimers::Entry> entry, VirtualClock& clock)
        : entry_(std::move(entry)), clock_(clock) {}
    ~MemoryTimer() override { entry_->alive = false; }

    void setEnabled(bool on) override {
        // Switching a timer on starts a fresh interval.
        if (on && !entry_->on) entry_->due = clock_.nowMs() + entry_->interval;
        entry_->on = on;
    }
    bool enabled() const override { return entry_->on; }
    Int32 interval() const override { return entry_->interval; }

  private:
    std::shared_ptr<MemoryTimers::Entry> entry_;
    VirtualClock& clock_;
};

}  // namespace

std::unique_ptr<Timer> MemoryTimers::create(Int32 intervalMs, std::function<void()> tick) {
    auto entry = std::make_shared<Entry>(Entry{std::max<Int32>(intervalMs, 1), true, true,
                                               clock_.nowMs() + intervalMs, std::move(tick)});
    entries_.push_back(entry);
    return std::make_unique<MemoryTimer>(entry, clock_);
}

void MemoryTimers::runUntil(std::int64_t targetMs, const std::function<bool()>& keepGoing,
                            const std::function<void()>& afterTick) {
    std::erase_if(entries_, [](const auto& e) { return !e->alive; });
    while (keepGoing()) {
        Entry* next = nullptr;
        for (const auto& e : entries_)
            if (e->alive && e->on && e->due <= targetMs && (next == nullptr || e->due < next->due))
                next = e.get();
        if (next == nullptr) {
            clock_.set(targetMs);
            return;
        }
        clock_.set(next->due);
        next->due += next->interval;
        next->tick();
        afterTick();
    }
}

}  // namespace lightmatrix
