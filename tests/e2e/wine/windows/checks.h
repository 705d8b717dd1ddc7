#pragma once

// The Windows test programs' report: one line per check, "ok ..." or "FAIL ...",
// flushed at once so that the test reading it sees how far a program got.

#include <cstdio>
#include <string>

namespace lightmatrix::wine_test {

inline int failures = 0;

inline void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

inline void check(bool ok, const std::string& what) {
    failures += ok ? 0 : 1;
    say((ok ? "ok " : "FAIL ") + what);
}

inline int exitStatus() {
    return failures == 0 ? 0 : 1;
}

}  // namespace lightmatrix::wine_test
