#include "platform/win32/run_stats.h"

#include <windows.h>

#include "platform/common/run_figures.h"
#include "platform/win32/optional_function.h"

namespace lightmatrix::win32 {

namespace {

std::int64_t toCount(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

constexpr std::int64_t kCountsPerMs = 10'000;

std::int64_t processStartTime() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return toCount(created);
}

}  // namespace

std::int64_t fileTimeNow() {
    // Windows 8 and later give the time to the microsecond, not the tick.
    using GetTimeFunction = void(WINAPI*)(FILETIME*);
    static const auto precise =
        optionalFunction<GetTimeFunction>(L"kernel32.dll", "GetSystemTimePreciseAsFileTime");
    FILETIME now{};
    if (precise != nullptr)
        precise(&now);
    else
        GetSystemTimeAsFileTime(&now);
    return toCount(now);
}

void writeRunStats(std::int64_t lightingTicks, std::int64_t firstFrameTime, std::int64_t endTime) {
    const std::int64_t start = processStartTime();
    const std::int64_t runMs = ((endTime != 0 ? endTime : fileTimeNow()) - start) / kCountsPerMs;
    const std::int64_t firstFrameMs =
        firstFrameTime == 0 ? -1 : (firstFrameTime - start) / kCountsPerMs;
    writeRunFigures(lightingTicks, runMs, firstFrameMs);
}

}  // namespace lightmatrix::win32
