#include "saver/run_figures.h"

#include <cstdio>
#include <cstdlib>

namespace lightmatrix {

void RunFigures::write() const {
    const char* path = std::getenv("LIGHTMATRIX_STATS");
    if (path == nullptr || *path == '\0') return;
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) return;
    const auto ms = [this](Instant when) {
        return static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(when - start).count());
    };
    std::fprintf(file, "ticks=%lld\nrun_ms=%lld\nfirst_frame_ms=%lld\n",
                 static_cast<long long>(lightingTicks), ms(end), firstFrame ? ms(*firstFrame) : -1);
    std::fclose(file);
}

}  // namespace lightmatrix
