#include "platform/win32/process_start.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/optional_function.h"

namespace lightmatrix {

namespace {

// A FILETIME as 100-nanosecond counts since 1601.
std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>> counts(const FILETIME& time) {
    return decltype(counts(time))(static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime));
}

FILETIME systemTimeNow() {
    // Windows 8 and later give the time to the microsecond, not the tick.
    using GetTimeFunction = void(WINAPI*)(FILETIME*);
    static const auto precise =
        optionalFunction<GetTimeFunction>(L"kernel32.dll", "GetSystemTimePreciseAsFileTime");
    FILETIME now{};
    if (precise != nullptr)
        precise(&now);
    else
        GetSystemTimeAsFileTime(&now);
    return now;
}

}  // namespace

// The system records the creation on the wall clock: the process's age now,
// taken back from the steady clock's now.
std::chrono::steady_clock::time_point processStart() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto age = counts(systemTimeNow()) - counts(created);
    return std::chrono::steady_clock::now() -
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(age);
}

}  // namespace lightmatrix
