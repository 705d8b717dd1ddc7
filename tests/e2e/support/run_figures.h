#pragma once

// For test files only: checks the run figures a program wrote at its end.

#include <gtest/gtest.h>

#include <string>

#include "e2e/support/e2e.h"

namespace lightmatrix::e2e {

// The figures in `path` are complete and consistent with at least `litDiscs`
// lights having been coloured; the tick rate goes into the test's record.
inline void checkRunFigures(const std::string& path, int litDiscs) {
    const auto stats = readStats(path);
    ASSERT_TRUE(stats.contains("ticks") && stats.contains("run_ms") &&
                stats.contains("first_frame_ms"))
        << "no run figures in " << path;
    EXPECT_GE(stats.at("ticks"), litDiscs);
    EXPECT_GE(stats.at("first_frame_ms"), 0);
    EXPECT_GT(stats.at("run_ms"), stats.at("first_frame_ms"));
    const double rate = 1000.0 * static_cast<double>(stats.at("ticks")) /
                        static_cast<double>(stats.at("run_ms") - stats.at("first_frame_ms"));
    ::testing::Test::RecordProperty("lighting_ticks_per_second", std::to_string(rate));
}

}  // namespace lightmatrix::e2e
