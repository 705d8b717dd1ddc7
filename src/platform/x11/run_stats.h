#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace lightmatrix {

// The run figures (see writeRunFigures), timed from the program's static
// initialisation to now and to `firstFrame`.
void writeRunStats(std::int64_t lightingTicks,
                   std::optional<std::chrono::steady_clock::time_point> firstFrame);

}  // namespace lightmatrix
