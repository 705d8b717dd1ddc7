#include "platform/loop/tick_clock.h"

#include <cmath>

namespace lightmatrix {

float TickClock::secondsSinceMidnight() {
    double seconds = 0;
    const auto due = timers_.runningTickDue();
    const auto wake = timers_.runningWake();
    if (due && wake) {
        if (wake != wake_) {
            wake_ = wake;
            localAtWake_ = localSeconds_();
        }
        seconds = localAtWake_ - std::chrono::duration<double>(*wake - *due).count();
    } else {
        seconds = localSeconds_();
    }
    constexpr double kDay = 86400;
    return static_cast<float>(std::fmod(std::fmod(seconds, kDay) + kDay, kDay));
}

}  // namespace lightmatrix
