#include "platform/x11/run_stats.h"

#include "platform/common/run_figures.h"

namespace lightmatrix {

namespace {
// Taken while the program's static data is set up, before main().
const auto programStart = std::chrono::steady_clock::now();

std::int64_t msSinceStart(std::chrono::steady_clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(when - programStart).count();
}
}  // namespace

void writeRunStats(std::int64_t lightingTicks,
                   std::optional<std::chrono::steady_clock::time_point> firstFrame) {
    writeRunFigures(lightingTicks, msSinceStart(std::chrono::steady_clock::now()),
                    firstFrame ? msSinceStart(*firstFrame) : -1);
}

}  // namespace lightmatrix
