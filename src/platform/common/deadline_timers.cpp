#include "platform/common/deadline_timers.h"

#include <algorithm>

namespace lightmatrix {

class DeadlineTimers::Handle : public Timer {
  public:
    Handle(std::shared_ptr<Entry> entry, const DeadlineTimers& timers)
        : entry_(std::move(entry)), timers_(timers) {}
    ~Handle() override { entry_->alive = false; }

    void setEnabled(bool on) override {
        // Switching a timer on starts a fresh period: from now, or, in a
        // tick, from when that tick fell due, as a wake at every deadline
        // would have it.
        if (on && !entry_->on)
            entry_->due = timers_.runningTickDue().value_or(timers_.now()) + entry_->period;
        entry_->on = on;
    }
    bool enabled() const override { return entry_->on; }

  private:
    std::shared_ptr<Entry> entry_;
    const DeadlineTimers& timers_;
};

std::unique_ptr<Timer> DeadlineTimers::create(Int32 periodMs, std::function<void()> tick) {
    const std::chrono::milliseconds period(std::max<Int32>(periodMs, 1));
    auto entry =
        std::make_shared<Entry>(Entry{period, true, true, false, now_() + period, std::move(tick)});
    entries_.push_back(entry);
    return std::make_unique<Handle>(std::move(entry), *this);
}

std::optional<DeadlineTimers::Clock::time_point> DeadlineTimers::nextWake() const {
    std::optional<Clock::time_point> next;
    for (const auto& e : entries_)
        if (ready(*e) && (!next || e->due < *next)) next = e->due;
    if (next && lastWake_) next = std::max(*next, *lastWake_ + frame_);
    return next;
}

void DeadlineTimers::wake(Clock::time_point now, const std::function<bool()>& keepGoing) {
    lastWake_ = now;
    std::erase_if(entries_, [](const auto& e) { return !e->alive; });
    while (keepGoing()) {
        // The earliest deadline first; of equal ones, the timer made first. A
        // timer whose next deadline has come too runs again in its turn.
        std::shared_ptr<Entry> next;
        for (const auto& e : entries_)
            if (ready(*e) && e->due <= now && (!next || e->due < next->due)) next = e;
        if (!next) return;
        run(*next, now);
    }
}

void DeadlineTimers::run(Entry& entry, Clock::time_point now) {
    const Clock::time_point due = entry.due;
    entry.due = now - due > kMaxCatchUp ? now + entry.period : due + entry.period;
    ++ticksRun_[static_cast<Int32>(
        std::chrono::duration_cast<std::chrono::milliseconds>(entry.period).count())];
    struct Running {
        Entry& entry;
        std::optional<Clock::time_point>& runningDue;
        Running(Entry& e, std::optional<Clock::time_point>& r, Clock::time_point due)
            : entry(e), runningDue(r) {
            entry.running = true;
            runningDue = due;
        }
        ~Running() {
            entry.running = false;
            runningDue.reset();
        }
    } running(entry, runningDue_, now - due > kMaxCatchUp ? now : due);
    entry.tick();
}

std::int64_t DeadlineTimers::ticksRun(Int32 periodMs) const {
    const auto found = ticksRun_.find(periodMs);
    return found == ticksRun_.end() ? 0 : found->second;
}

}  // namespace lightmatrix
