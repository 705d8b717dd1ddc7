#include "platform/x11/x11_timers.h"

#include <algorithm>

namespace lightmatrix {

namespace {

// A timer this far behind drops the ticks it missed; one less far behind
// catches up, a tick per pass of the event loop.
constexpr std::chrono::milliseconds kMaxCatchUp{100};

class LoopTimer : public Timer {
  public:
    explicit LoopTimer(std::shared_ptr<X11Timers::Entry> entry) : entry_(std::move(entry)) {}
    ~LoopTimer() override { entry_->alive = false; }

    void setEnabled(bool on) override {
        // Switching a timer on starts a fresh interval.
        if (on && !entry_->on) entry_->due = std::chrono::steady_clock::now() + entry_->interval;
        entry_->on = on;
    }
    bool enabled() const override { return entry_->on; }
    Int32 interval() const override { return static_cast<Int32>(entry_->interval.count()); }

  private:
    std::shared_ptr<X11Timers::Entry> entry_;
};

}  // namespace

std::unique_ptr<Timer> X11Timers::create(Int32 intervalMs, std::function<void()> tick) {
    const std::chrono::milliseconds interval(std::max<Int32>(intervalMs, 1));
    auto entry = std::make_shared<Entry>(
        Entry{interval, true, true, std::chrono::steady_clock::now() + interval, std::move(tick)});
    entries_.push_back(entry);
    return std::make_unique<LoopTimer>(entry);
}

std::optional<X11Timers::TimePoint> X11Timers::nextDue() const {
    std::optional<TimePoint> next;
    for (const auto& e : entries_)
        if (e->alive && e->on && (!next || e->due < *next)) next = e->due;
    return next;
}

void X11Timers::runDue(TimePoint now, const std::function<bool()>& keepGoing) {
    std::vector<std::shared_ptr<Entry>> due;
    for (const auto& e : entries_)
        if (e->alive && e->on && e->due <= now) due.push_back(e);
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a->due < b->due; });
    for (const auto& e : due) {
        // An earlier tick of this pass may have switched this timer off.
        if (!keepGoing() || !e->alive || !e->on || e->due > now) continue;
        e->due += e->interval;
        if (now - e->due > kMaxCatchUp) e->due = now + e->interval;
        ++e->ticks;
        e->tick();
    }
}

}  // namespace lightmatrix
