#include "platform/common/run_figures.h"

#include <cstdio>
#include <cstdlib>

namespace lightmatrix {

void writeRunFigures(std::int64_t lightingTicks, std::int64_t runMs, std::int64_t firstFrameMs) {
    const char* path = std::getenv("LIGHTMATRIX_STATS");
    if (path == nullptr || *path == '\0') return;
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) return;
    std::fprintf(file, "ticks=%lld\nrun_ms=%lld\nfirst_frame_ms=%lld\n",
                 static_cast<long long>(lightingTicks), static_cast<long long>(runMs),
                 static_cast<long long>(firstFrameMs));
    std::fclose(file);
}

}  // namespace lightmatrix
