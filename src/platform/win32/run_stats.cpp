#include "platform/win32/run_stats.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/win32_window.h"

namespace lightmatrix::win32 {

namespace {
std::int64_t toCount(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}
constexpr std::int64_t kCountsPerMs = 10'000;
}  // namespace

std::int64_t processStartTime() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return toCount(created);
}

void writeRunStats(std::int64_t lightingTicks, std::int64_t firstFrameTime, std::int64_t endTime) {
    const char* path = std::getenv("LIGHTMATRIX_STATS");
    if (path == nullptr || *path == '\0') return;
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) return;
    const std::int64_t start = processStartTime();
    const std::int64_t runMs = ((endTime != 0 ? endTime : fileTimeNow()) - start) / kCountsPerMs;
    const std::int64_t firstFrameMs =
        firstFrameTime == 0 ? -1 : (firstFrameTime - start) / kCountsPerMs;
    std::fprintf(file, "ticks=%lld\nrun_ms=%lld\nfirst_frame_ms=%lld\n",
                 static_cast<long long>(lightingTicks), static_cast<long long>(runMs),
                 static_cast<long long>(firstFrameMs));
    std::fclose(file);
}

}  // namespace lightmatrix::win32
