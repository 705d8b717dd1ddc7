#include "platform/loop/loop.h"

#include "platform/framebuffer/framebuffer_panel.h"

namespace lightmatrix {

Loop::Loop(double refreshRate, std::function<double()> localTimeOfDay, DeadlineTimers::Now now,
           Duration maxCatchUp)
    : timers_(refreshRate, std::move(now), maxCatchUp),
      clock_(timers_, std::move(localTimeOfDay)) {}

std::unique_ptr<Timer> Loop::createTimer(Int32 periodMs, std::function<void()> tick) {
    return timers_.create(periodMs, std::move(tick));
}

void Loop::run() {
    interrupted_ = false;
    while (!ended_ && !interrupted_) {
        round();
        // Events read already are handled before any wait.
        if (ended_ || holdsEvents()) continue;
        wait(nextWake());
    }
}

// The events reported in this round, each unless the program has ended by
// then; one repaint for all of them; then the timers.
void Loop::round() {
    readEvents();
    for (auto waiting = reports_.size(); waiting > 0 && !ended_; --waiting) {
        const Report report = std::move(reports_.front());
        reports_.pop_front();
        handle(report);
    }
    if (ended_) reports_.clear();
    window().repaint();
    if (!ended_) wakeTimers();
}

void Loop::handle(const Report& report) {
    switch (report.kind) {
        case Report::Kind::Key:
            window().press();
            break;
        case Report::Kind::ButtonDown:
            window().buttonDown(report.at, report.left);
            break;
        case Report::Kind::ButtonUp:
            window().buttonUp(report.at, report.left);
            break;
        case Report::Kind::PictureChosen:
            if (window().panel() != nullptr) window().panel()->choose(report.path);
            break;
        case Report::Kind::Unseen:
            seen_ = false;
            break;
        case Report::Kind::Seen:
            if (seen_) break;
            seen_ = true;
            timers_.catchUp(
                report.since, [this] { return !ended_; }, planner_);
            break;
    }
}

// The timers' wake: once it has come, every tick due by now, then one repaint.
void Loop::wakeTimers() {
    if (seen_ && timers_.wakeIfDue([this] { return !ended_; })) window().repaint();
}

std::optional<Loop::Instant> Loop::nextWake() const {
    return seen_ ? timers_.nextWake() : std::nullopt;
}

void Loop::keyPressed() {
    reports_.push_back({.kind = Report::Kind::Key});
}

void Loop::buttonPressed(PixelPoint at, bool left) {
    reports_.push_back({.kind = Report::Kind::ButtonDown, .at = at, .left = left});
}

void Loop::buttonReleased(PixelPoint at, bool left) {
    reports_.push_back({.kind = Report::Kind::ButtonUp, .at = at, .left = left});
}

void Loop::pictureChosen(std::string path) {
    reports_.push_back({.kind = Report::Kind::PictureChosen, .path = std::move(path)});
}

void Loop::unseenFrom(Instant since) {
    if (!reportedSeen_) return;
    reportedSeen_ = false;
    reports_.push_back({.kind = Report::Kind::Unseen, .since = since});
}

void Loop::seenAgainAt(Instant since) {
    if (reportedSeen_) return;
    reportedSeen_ = true;
    reports_.push_back({.kind = Report::Kind::Seen, .since = since});
}

}  // namespace lightmatrix
