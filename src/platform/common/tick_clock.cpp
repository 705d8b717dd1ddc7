#include "platform/common/tick_clock.h"

#include <cmath>

namespace lightmatrix {

float TickClock::secondsSinceMidnight() {
    double seconds = localSeconds_();
    if (const auto due = timers_.runningTickDue())
        seconds -= std::chrono::duration<double>(timers_.now() - *due).count();
    constexpr double kDay = 86400;
    return static_cast<float>(std::fmod(std::fmod(seconds, kDay) + kDay, kDay));
}

}  // namespace lightmatrix
