#include "platform/win32/win32_timers.h"

#include <timeapi.h>

#include <algorithm>

#include "common/runtime_error.h"

namespace lightmatrix::win32 {

namespace {

// Not yet in every SDK's headers; Windows 10 1803 and later understand it.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

// Ticks that a busy machine held up are caught up one after another, so that
// the rate holds; a timer more than this far behind (after the machine slept,
// say) gives up the ones it missed and starts a fresh period instead.
constexpr std::chrono::seconds kLongestCatchUp{1};

class Win32Timer : public Timer {
  public:
    explicit Win32Timer(std::shared_ptr<Win32Timers::Entry> entry) : entry_(std::move(entry)) {}
    ~Win32Timer() override { entry_->alive = false; }

    void setEnabled(bool on) override {
        // Switching a timer on starts a fresh period.
        if (on && !entry_->on) entry_->due = Win32Timers::Clock::now() + entry_->interval;
        entry_->on = on;
    }
    bool enabled() const override { return entry_->on; }
    Int32 interval() const override { return static_cast<Int32>(entry_->interval.count()); }

  private:
    std::shared_ptr<Win32Timers::Entry> entry_;
};

}  // namespace

Win32Timers::Win32Timers() {
    waitable_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    highResolution_ = waitable_ != nullptr;
    if (waitable_ == nullptr) {
        // Older Windows: an ordinary waitable timer, with the system's timer
        // resolution raised to 1 ms for as long as the program runs.
        periodRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        waitable_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    }
    if (waitable_ == nullptr) raise(ErrorKind::Platform, "cannot create a waitable timer");
}

Win32Timers::~Win32Timers() {
    CloseHandle(waitable_);
    if (periodRaised_) timeEndPeriod(1);
}

std::unique_ptr<Timer> Win32Timers::create(Int32 intervalMs, std::function<void()> tick) {
    const std::chrono::milliseconds interval(std::max<Int32>(intervalMs, 1));
    auto entry = std::make_shared<Entry>(
        Entry{interval, true, true, false, Clock::now() + interval, std::move(tick)});
    entries_.push_back(entry);
    return std::make_unique<Win32Timer>(std::move(entry));
}

void Win32Timers::run(Entry& entry, Clock::time_point now) {
    if (now - entry.due >= std::max<Clock::duration>(kLongestCatchUp, 10 * entry.interval))
        entry.due = now + entry.interval;
    else
        entry.due += entry.interval;
    ++ticksRun_[static_cast<Int32>(entry.interval.count())];

    // A tick that lets events be processed must not start itself again.
    struct Running {
        Entry& entry;
        explicit Running(Entry& e) : entry(e) { entry.running = true; }
        ~Running() { entry.running = false; }
    } running(entry);
    const std::function<void()> tick = entry.tick;  // the timer may go while it runs
    tick();
}

bool Win32Timers::runDueTick() {
    std::erase_if(entries_, [](const auto& e) { return !e->alive; });
    const Clock::time_point now = Clock::now();
    std::shared_ptr<Entry> next;
    // The earliest deadline first; of equal ones, the timer created first.
    for (const auto& e : entries_)
        if (e->on && !e->running && e->due <= now && (!next || e->due < next->due)) next = e;
    if (!next) return false;
    run(*next, now);
    return true;
}

void Win32Timers::runDueTicks() {
    std::erase_if(entries_, [](const auto& e) { return !e->alive; });
    const Clock::time_point now = Clock::now();
    std::vector<std::shared_ptr<Entry>> due;
    for (const auto& e : entries_)
        if (e->on && !e->running && e->due <= now) due.push_back(e);
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a->due < b->due; });
    for (const auto& e : due)
        if (e->alive && e->on && !e->running) run(*e, now);
}

HANDLE Win32Timers::armForNextTick() {
    std::erase_if(entries_, [](const auto& e) { return !e->alive; });
    const Entry* next = nullptr;
    for (const auto& e : entries_)
        if (e->on && !e->running && (next == nullptr || e->due < next->due)) next = e.get();
    if (next == nullptr) {
        CancelWaitableTimer(waitable_);
        return nullptr;
    }
    // Relative due time, in 100 ns units, negative; at least one unit.
    const auto wait =
        std::chrono::duration_cast<std::chrono::nanoseconds>(next->due - Clock::now());
    LARGE_INTEGER dueTime;
    dueTime.QuadPart = -std::max<LONGLONG>(wait.count() / 100, 1);
    if (!SetWaitableTimer(waitable_, &dueTime, 0, nullptr, nullptr, FALSE))
        raise(ErrorKind::Platform, "cannot set the waitable timer");
    return waitable_;
}

std::int64_t Win32Timers::ticksRun(Int32 intervalMs) const {
    const auto found = ticksRun_.find(intervalMs);
    return found == ticksRun_.end() ? 0 : found->second;
}

}  // namespace lightmatrix::win32
