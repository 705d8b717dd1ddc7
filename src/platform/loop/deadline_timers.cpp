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

void DeadlineTimers::catchUp(const std::function<bool()>& keepGoing) {
    schedule_->wake(now(), keepGoing, true);
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
