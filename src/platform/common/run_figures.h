#pragma once

#include <cstdint>

namespace lightmatrix {

// When the environment variable LIGHTMATRIX_STATS names a file, writes to it
// how the run went, as NAME=VALUE lines that the tests and benchmarks read:
// the lighting ticks handled, the milliseconds from the program's start to the
// end of its run, and to its first frame on the screen (-1 if none was shown).
// Each backend measures the times from its own start.
void writeRunFigures(std::int64_t lightingTicks, std::int64_t runMs, std::int64_t firstFrameMs);

}  // namespace lightmatrix
