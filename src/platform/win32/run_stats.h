#pragma once

#include <cstdint>

namespace lightmatrix::win32 {

// When the environment variable LIGHTMATRIX_STATS names a file, writes to it
// how the run went: the lighting ticks handled, the milliseconds from the
// process's start to the end of its event loop (`endTime`, or now if 0) and
// to its first frame on the screen (-1 if none was drawn). Times are FILETIME
// counts; 0 is "never".
void writeRunStats(std::int64_t lightingTicks, std::int64_t firstFrameTime, std::int64_t endTime);

// When this process started, as a FILETIME count.
std::int64_t processStartTime();

}  // namespace lightmatrix::win32
