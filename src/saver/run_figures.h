#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace lightmatrix {

// How a run of the program went, for the tests and the benchmarks.
struct RunFigures {
    using Instant = std::chrono::steady_clock::time_point;

    std::int64_t lightingTicks = 0;
    // When the process started, when its first frame reached the screen (if
    // one did) and when its run ended.
    Instant start;
    std::optional<Instant> firstFrame;
    Instant end;

    // When the environment variable LIGHTMATRIX_STATS names a file, writes to
    // it NAME=VALUE lines: ticks (the lighting ticks handled), run_ms (from
    // the start to the end) and first_frame_ms (from the start to the first
    // frame, -1 if none was shown).
    void write() const;
};

}  // namespace lightmatrix
