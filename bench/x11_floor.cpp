// The least an X11 program can do that shows what the screen saver shows: a
// full-screen black window where one small square takes a new colour 100 times
// a second, each sent to the server at once. It has no logic, no timers of its
// own and no event handling beyond the first expose. bench/process/x11.sh runs
// it beside the screen saver: its CPU is the floor the machine sets for
// showing 100 changes a second.
//
// By default it wakes for every square, every 10 ms. Given a number of wakes
// a second (60, a display's frame), it wakes that often, on deadlines, and
// draws at each wake the squares that fell due since the last, then flushes
// once: the least an X11 program costs that wakes once a frame.
//
//   lightmatrix_x11_floor SECONDS [WAKES_PER_SECOND]

#include <X11/Xlib.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr long kSquaresPerSecond = 100;
}  // namespace

int main(int argc, char** argv) {
    const long seconds = argc >= 2 ? std::atol(argv[1]) : 0;
    const long rate = argc >= 3 ? std::atol(argv[2]) : kSquaresPerSecond;
    if (argc > 3 || seconds <= 0 || rate <= 0 || rate > kSquaresPerSecond) {
        std::fprintf(stderr, "usage: lightmatrix_x11_floor SECONDS [WAKES_PER_SECOND]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "lightmatrix_x11_floor: cannot open the X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const auto width = static_cast<unsigned>(DisplayWidth(display, screen));
    const auto height = static_cast<unsigned>(DisplayHeight(display, screen));
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.override_redirect = True;
    attributes.event_mask = ExposureMask;
    const Window window = XCreateWindow(
        display, RootWindow(display, screen), 0, 0, width, height, 0, CopyFromParent, InputOutput,
        CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
    const GC gc = XCreateGC(display, window, 0, nullptr);
    XMapWindow(display, window);
    XEvent event;
    do XNextEvent(display, &event);
    while (event.type != Expose);

    constexpr long long kSecond = 1'000'000'000;
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const long long origin = start.tv_sec * kSecond + start.tv_nsec;
    unsigned state = 1;
    long long drawn = 0;
    for (long long wake = 1; wake <= seconds * rate; ++wake) {
        const long long due = origin + wake * kSecond / rate;
        const timespec deadline{static_cast<time_t>(due / kSecond),
                                static_cast<long>(due % kSecond)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
        }
        // Every square due by this wake's deadline, then one flush.
        for (const long long squares = wake * kSquaresPerSecond / rate; drawn < squares; ++drawn) {
            state = state * 1664525u + 1013904223u;
            XSetForeground(display, gc, state >> 8);
            XFillRectangle(display, window, gc, static_cast<int>((state >> 4) % 800),
                           static_cast<int>((state >> 14) % 600), 7, 7);
        }
        XFlush(display);
    }
    XCloseDisplay(display);
    return 0;
}
