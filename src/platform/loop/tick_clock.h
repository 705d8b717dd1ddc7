#pragma once

#include <functional>

#include "platform/clock.h"
#include "platform/loop/deadline_timers.h"

namespace lightmatrix {

// The clock the logic reads: the local time of day, but during a tick the
// time of day when that tick fell due. Ticks that one wake runs together
// read the times they were due, one period apart, so that a run started at
// a given time of day gives the same lights however its wakes fell. The
// local time is read once a wake, however many ticks it runs.
class TickClock : public Clock {
  public:
    // `localSeconds` reads the local time of day, in seconds since midnight.
    TickClock(const DeadlineTimers& timers, std::function<double()> localSeconds)
        : timers_(timers), localSeconds_(std::move(localSeconds)) {}

    float secondsSinceMidnight() override;

  private:
    const DeadlineTimers& timers_;
    std::function<double()> localSeconds_;
    // The local time when the wake that runs ticks now came.
    std::optional<DeadlineTimers::Instant> wake_;
    double localAtWake_ = 0;
};

}  // namespace lightmatrix
