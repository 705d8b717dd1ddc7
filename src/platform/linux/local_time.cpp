#include "platform/linux/local_time.h"

#include <ctime>

namespace lightmatrix {

namespace {
// The time zone's offset from UTC changes on a quarter hour at most (daylight
// saving time): it is asked of the C library's time zone data once a quarter
// hour, not at every reading.
constexpr time_t kQuarterHour = 15 * 60;
}  // namespace

double localTimeOfDay() {
    static time_t offsetUntil = 0;
    static long offset = 0;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec >= offsetUntil) {
        tm local{};
        localtime_r(&now.tv_sec, &local);
        offset = local.tm_gmtoff;
        offsetUntil = (now.tv_sec / kQuarterHour + 1) * kQuarterHour;
    }
    constexpr time_t kDay = 86400;
    const time_t seconds = ((now.tv_sec + offset) % kDay + kDay) % kDay;
    return static_cast<double>(seconds) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace lightmatrix
