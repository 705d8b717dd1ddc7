#pragma once

#include <cstdint>

namespace lightmatrix::win32 {

// The run figures (see writeRunFigures), timed from the process's creation to
// `endTime` (or now if 0) and to `firstFrameTime`. Times are FILETIME counts;
// 0 is "never".
void writeRunStats(std::int64_t lightingTicks, std::int64_t firstFrameTime, std::int64_t endTime);

// When this process started, as a FILETIME count.
std::int64_t processStartTime();

}  // namespace lightmatrix::win32
