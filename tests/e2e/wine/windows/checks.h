#pragma once

// What the Windows test programs print: one line per check, "ok ..." or
// "FAIL ...", flushed at once so that the test reading them under Wine sees
// how far a program got. A program exits 1 if any check failed.

#include <cstdarg>
#include <cstdio>
#include <string>

namespace lightmatrix::wine_test {

inline int failures = 0;

inline void say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
}

inline void check(bool ok, const std::string& what) {
    if (!ok) ++failures;
    say("%s %s", ok ? "ok" : "FAIL", what.c_str());
}

inline int exitStatus() {
    return failures == 0 ? 0 : 1;
}

}  // namespace lightmatrix::wine_test
