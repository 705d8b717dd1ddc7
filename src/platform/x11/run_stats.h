#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace lightmatrix {

// When the environment variable LIGHTMATRIX_STATS names a file, writes to it
// how the run went, as NAME=VALUE lines: the lighting ticks handled, the
// milliseconds from the program's start to its end, and to its first frame on
// the screen (-1 if none was shown).
void writeRunStats(std::int64_t lightingTicks,
                   std::optional<std::chrono::steady_clock::time_point> firstFrame);

}  // namespace lightmatrix
