// The least a program can do that wakes on a period: it sleeps to a deadline
// on the steady clock, one period after the previous deadline, and does
// nothing else; no X, no drawing, no events. bench/process/x11.sh and wine.sh
// run it beside the screen saver, over the same window: its CPU and wake-ups
// are what this machine charges for waking that often and nothing more.
//
//   lightmatrix_bare_loop [WAKES_PER_SECOND]     default 100; runs until killed

#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const long rate = argc == 2 ? std::atol(argv[1]) : 100;
    if (argc > 2 || rate <= 0 || rate > 1'000'000) {
        std::fprintf(stderr, "usage: lightmatrix_bare_loop [WAKES_PER_SECOND]\n");
        return 2;
    }
    // The period in nanoseconds; for a rate that does not divide a second the
    // deadlines keep their fractions so that the rate holds over a second.
    const long long second = 1'000'000'000;
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const long long origin = start.tv_sec * second + start.tv_nsec;
    for (long long wake = 1;; ++wake) {
        const long long due = origin + wake * second / rate;
        const timespec deadline{static_cast<time_t>(due / second), static_cast<long>(due % second)};
        int error = 0;
        while ((error = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr)) ==
               EINTR) {
        }
        if (error != 0) {
            std::fprintf(stderr, "lightmatrix_bare_loop: clock_nanosleep failed (%d)\n", error);
            return 1;
        }
    }
}
