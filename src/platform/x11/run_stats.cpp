#include "platform/x11/run_stats.h"

#include <cstdio>
#include <cstdlib>

namespace lightmatrix {

namespace {
// Taken while the program's static data is set up, before main().
const auto programStart = std::chrono::steady_clock::now();

long long msSinceStart(std::chrono::steady_clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(when - programStart).count();
}
}  // namespace

void writeRunStats(std::int64_t lightingTicks,
                   std::optional<std::chrono::steady_clock::time_point> firstFrame) {
    const char* path = std::getenv("LIGHTMATRIX_STATS");
    if (path == nullptr || *path == '\0') return;
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) return;
    std::fprintf(file, "ticks=%lld\nrun_ms=%lld\nfirst_frame_ms=%lld\n",
                 static_cast<long long>(lightingTicks),
                 msSinceStart(std::chrono::steady_clock::now()),
                 firstFrame ? msSinceStart(*firstFrame) : -1LL);
    std::fclose(file);
}

}  // namespace lightmatrix
