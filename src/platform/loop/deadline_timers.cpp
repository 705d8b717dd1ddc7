#include "platform/loop/deadline_timers.h"

#include <algorithm>
#include <vector>

namespace lightmatrix {

struct DeadlineTimers::Entry {
    Duration period;
    Instant due;
    std::function<void()> tick;
    bool on = true;
    bool alive = true;
    bool running = false;
    std::int64_t ticksRun = 0;

    bool ready() const { return alive && on && !running; }
};

struct DeadlineTimers::Schedule {
    Duration frame;
    Now now;
    Duration maxCatchUp;
    std::optional<Instant> lastWake;
    std::optional<Instant> runningDue;
    std::vector<std::shared_ptr<Entry>> entries;

    void wake(Instant at, const std::function<bool()>& keepGoing, bool makeUpForAll);
    void run(Entry& entry, Instant at, bool makeUpForAll);
};

// A timer shares its entry with the schedule, and sees the schedule only
// while the schedule lives.
class DeadlineTimers::Handle : public Timer {
  public:
    Handle(std::shared_ptr<Entry> entry, std::weak_ptr<Schedule> schedule)
        : entry_(std::move(entry)), schedule_(std::move(schedule)) {}
    ~Handle() override { entry_->alive = false; }

    Entry& entry() const { return *entry_; }

    void setEnabled(bool on) override {
        // Switching a timer on starts a fresh period: from now, or, in a
        // tick, from when that tick fell due, as a wake at every deadline
        // would have it.
        if (on && !entry_->on)
            if (const auto schedule = schedule_.lock())
                entry_->due = schedule->runningDue.value_or(schedule->now()) + entry_->period;
        entry_->on = on;
    }
    bool enabled() const override { return entry_->on; }
    std::int64_t ticksRun() const override { return entry_->ticksRun; }

  private:
    std::shared_ptr<Entry> entry_;
    std::weak_ptr<Schedule> schedule_;
};

DeadlineTimers::DeadlineTimers(double framesPerSecond, Now now, Duration maxCatchUp)
    : schedule_(std::make_shared<Schedule>(
          Schedule{Duration::zero(), std::move(now), maxCatchUp, {}, {}, {}})) {
    pace(framesPerSecond);
}

void DeadlineTimers::pace(double framesPerSecond) {
    schedule_->frame = framesPerSecond > 0 ? std::chrono::duration_cast<Duration>(
                                                 std::chrono::duration<double>(1 / framesPerSecond))
                                           : Duration::zero();
}

DeadlineTimers::~DeadlineTimers() = default;

std::unique_ptr<Timer> DeadlineTimers::create(Int32 periodMs, std::function<void()> tick) {
    const std::chrono::milliseconds period(std::max<Int32>(periodMs, 1));
    auto entry = std::make_shared<Entry>(Entry{period, now() + period, std::move(tick)});
    schedule_->entries.push_back(entry);
    return std::make_unique<Handle>(std::move(entry), schedule_);
}

DeadlineTimers::Instant DeadlineTimers::now() const {
    return schedule_->now();
}

std::optional<DeadlineTimers::Instant> DeadlineTimers::runningTickDue() const {
    return schedule_->runningDue;
}

std::optional<DeadlineTimers::Instant> DeadlineTimers::runningWake() const {
    if (!schedule_->runningDue) return std::nullopt;
    return schedule_->lastWake;
}

std::optional<DeadlineTimers::Instant> DeadlineTimers::nextWake() const {
    std::optional<Instant> next;
    for (const auto& e : schedule_->entries)
        if (e->ready() && (!next || e->due < *next)) next = e->due;
    if (next && schedule_->lastWake)
        next = std::max(*next, *schedule_->lastWake + schedule_->frame);
    return next;
}

std::optional<DeadlineTimers::Duration> DeadlineTimers::timeToNextWake() const {
    const auto next = nextWake();
    if (!next) return std::nullopt;
    return std::max(*next - now(), Duration::zero());
}

bool DeadlineTimers::wakeIfDue(const std::function<bool()>& keepGoing) {
    const Instant at = now();
    const auto next = nextWake();
    if (!next || *next > at) return false;
    schedule_->wake(at, keepGoing, false);
    return true;
}

// The missed ticks as the schedule stands at the catch-up: counted from each
// timer's due time and period, without running them.
class DeadlineTimers::Missed : public MissedTicks {
  public:
    Missed(Schedule& schedule, Instant until) : schedule_(schedule), until_(until) {}

    std::int64_t count(const Timer& timer) const override {
        const Entry& e = entryOf(timer);
        return e.on && e.due <= until_ ? (until_ - e.due) / e.period + 1 : 0;
    }

    std::int64_t countUpTo(const Timer& timer, const Timer& other, std::int64_t n) const override {
        const Entry& e = entryOf(timer);
        const Entry& o = entryOf(other);
        if (n < 1 || !e.on) return 0;
        const Instant limit = o.due + (n - 1) * o.period;
        if (e.due > limit) return 0;
        std::int64_t upTo = (limit - e.due) / e.period + 1;
        // One due just then runs after the other's tick if made after it.
        if (e.due + (upTo - 1) * e.period == limit && !madeBefore(e, o)) --upTo;
        return std::min(upTo, count(timer));
    }

    void passOver(const Timer& timer, std::int64_t n) override {
        Entry& e = entryOf(timer);
        n = std::clamp<std::int64_t>(n, 0, count(timer));
        e.due += n * e.period;
        e.ticksRun += n;
    }

  private:
    static Entry& entryOf(const Timer& timer) { return dynamic_cast<const Handle&>(timer).entry(); }
    bool madeBefore(const Entry& a, const Entry& b) const {
        for (const auto& e : schedule_.entries) {
            if (e.get() == &a) return true;
            if (e.get() == &b) return false;
        }
        return false;
    }

    Schedule& schedule_;
    Instant until_;
};

void DeadlineTimers::catchUp(Instant until, const std::function<bool()>& keepGoing,
                             const std::function<void(MissedTicks&)>& planner) {
    std::erase_if(schedule_->entries, [](const auto& e) { return !e->alive; });
    if (planner) {
        Missed missed(*schedule_, until);
        planner(missed);
    }
    schedule_->wake(until, keepGoing, true);
}

void DeadlineTimers::Schedule::wake(Instant at, const std::function<bool()>& keepGoing,
                                    bool makeUpForAll) {
    lastWake = at;
    std::erase_if(entries, [](const auto& e) { return !e->alive; });
    while (keepGoing()) {
        // The earliest deadline first; of equal ones, the timer made first. A
        // timer whose next deadline has come too runs again in its turn.
        Entry* next = nullptr;
        for (const auto& e : entries)
            if (e->ready() && e->due <= at && (!next || e->due < next->due)) next = e.get();
        if (next == nullptr) return;
        run(*next, at, makeUpForAll);
    }
}

void DeadlineTimers::Schedule::run(Entry& entry, Instant at, bool makeUpForAll) {
    const Instant due = entry.due;
    const bool tooLate = !makeUpForAll && at - due > maxCatchUp;
    entry.due = tooLate ? at + entry.period : due + entry.period;
    ++entry.ticksRun;
    // The tick runs as if at its due time; a dropped one, now.
    struct Running {
        Entry& entry;
        std::optional<Instant>& runningDue;
        Running(Entry& e, std::optional<Instant>& r, Instant when) : entry(e), runningDue(r) {
            entry.running = true;
            runningDue = when;
        }
        ~Running() {
            entry.running = false;
            runningDue.reset();
        }
    } running(entry, runningDue, tooLate ? at : due);
    entry.tick();
}

}  // namespace lightmatrix
