#include "platform/common/deadline_timers.h"

#include <algorithm>

namespace lightmatrix {

class DeadlineTimers::Handle : public Timer {
  public:
    Handle(std::shared_ptr<Entry> entry, Now now)
        : entry_(std::move(entry)), now_(std::move(now)) {}
    ~Handle() override { entry_->alive = false; }

    void setEnabled(bool on) override {
        // Switching a timer on starts a fresh period.
        if (on && !entry_->on) entry_->due = now_() + entry_->period;
        entry_->on = on;
    }
    bool enabled() const override { return entry_->on; }

  private:
    std::shared_ptr<Entry> entry_;
    Now now_;
};

std::unique_ptr<Timer> DeadlineTimers::create(Int32 periodMs, std::function<void()> tick) {
    const std::chrono::milliseconds period(std::max<Int32>(periodMs, 1));
    auto entry =
        std::make_shared<Entry>(Entry{period, true, true, false, now_() + period, std::move(tick)});
    entries_.push_back(entry);
    return std::make_unique<Handle>(std::move(entry), now_);
}

std::optional<DeadlineTimers::Clock::time_point> DeadlineTimers::nextDue() const {
    std::optional<Clock::time_point> next;
    for (const auto& e : entries_)
        if (ready(*e) && (!next || e->due < *next)) next = e->due;
    return next;
}

bool DeadlineTimers::runEarliestDue(Clock::time_point now) {
    std::erase_if(entries_, [](const auto& e) { return !e->alive; });
    std::shared_ptr<Entry> next;
    // The earliest deadline first; of equal ones, the timer created first.
    for (const auto& e : entries_)
        if (ready(*e) && e->due <= now && (!next || e->due < next->due)) next = e;
    if (!next) return false;
    run(*next, now);
    return true;
}

void DeadlineTimers::runAllDue(Clock::time_point now, const std::function<bool()>& keepGoing) {
    std::erase_if(entries_, [](const auto& e) { return !e->alive; });
    std::vector<std::shared_ptr<Entry>> due;
    for (const auto& e : entries_)
        if (ready(*e) && e->due <= now) due.push_back(e);
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a->due < b->due; });
    for (const auto& e : due) {
        // An earlier tick of this pass may have switched this timer off, or on
        // again with a fresh period.
        if (!keepGoing()) return;
        if (ready(*e) && e->due <= now) run(*e, now);
    }
}

void DeadlineTimers::run(Entry& entry, Clock::time_point now) {
    if (now - entry.due > catchUpLimit_(entry.period))
        entry.due = now + entry.period;
    else
        entry.due += entry.period;
    ++ticksRun_[static_cast<Int32>(
        std::chrono::duration_cast<std::chrono::milliseconds>(entry.period).count())];
    struct Running {
        Entry& entry;
        explicit Running(Entry& e) : entry(e) { entry.running = true; }
        ~Running() { entry.running = false; }
    } running(entry);
    entry.tick();
}

std::int64_t DeadlineTimers::ticksRun(Int32 periodMs) const {
    const auto found = ticksRun_.find(periodMs);
    return found == ticksRun_.end() ? 0 : found->second;
}

}  // namespace lightmatrix
