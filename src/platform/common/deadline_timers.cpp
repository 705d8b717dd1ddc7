#include "platform/common/deadline_timers.h"

#include <algorithm>

namespace lightmatrix {

namespace {

class DeadlineTimer : public Timer {
  public:
    explicit DeadlineTimer(std::shared_ptr<DeadlineTimers::Entry> entry)
        : entry_(std::move(entry)) {}
    ~DeadlineTimer() override { entry_->alive = false; }

    void setEnabled(bool on) override {
        // Switching a timer on starts a fresh interval.
        if (on && !entry_->on) entry_->due = DeadlineTimers::Clock::now() + entry_->interval;
        entry_->on = on;
    }
    bool enabled() const override { return entry_->on; }
    Int32 interval() const override {
        return static_cast<Int32>(
            std::chrono::duration_cast<std::chrono::milliseconds>(entry_->interval).count());
    }

  private:
    std::shared_ptr<DeadlineTimers::Entry> entry_;
};

}  // namespace

std::unique_ptr<Timer> DeadlineTimers::create(Int32 intervalMs, std::function<void()> tick) {
    const std::chrono::milliseconds interval(std::max<Int32>(intervalMs, 1));
    auto entry = std::make_shared<Entry>(
        Entry{interval, true, true, false, Clock::now() + interval, std::move(tick)});
    entries_.push_back(entry);
    return std::make_unique<DeadlineTimer>(std::move(entry));
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
        // again with a fresh interval.
        if (!keepGoing()) return;
        if (ready(*e) && e->due <= now) run(*e, now);
    }
}

void DeadlineTimers::run(Entry& entry, Clock::time_point now) {
    if (now - entry.due > catchUpLimit_(entry.interval))
        entry.due = now + entry.interval;
    else
        entry.due += entry.interval;
    ++ticksRun_[static_cast<Int32>(
        std::chrono::duration_cast<std::chrono::milliseconds>(entry.interval).count())];
    struct Running {
        Entry& entry;
        explicit Running(Entry& e) : entry(e) { entry.running = true; }
        ~Running() { entry.running = false; }
    } running(entry);
    entry.tick();
}

std::int64_t DeadlineTimers::ticksRun(Int32 intervalMs) const {
    const auto found = ticksRun_.find(intervalMs);
    return found == ticksRun_.end() ? 0 : found->second;
}

}  // namespace lightmatrix
