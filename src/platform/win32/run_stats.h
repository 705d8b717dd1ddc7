#pragma once

#include <cstdint>

namespace lightmatrix::win32 {

// The run figures (see writeRunFigures), timed from the process's creation to
// `endTime` (or now if 0) and to `firstFrameTime`. Times are FILETIME counts;
// 0 is "never".
void writeRunStats(std::int64_t lightingTicks, std::int64_t firstFrameTime, std::int64_t endTime);

// The system's time as a FILETIME count (100 ns since 1601).
std::int64_t fileTimeNow();

}  // namespace lightmatrix::win32
