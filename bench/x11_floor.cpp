// The least an X11 program can do that shows what the screen saver shows: a
// full-screen black window where, every 10 ms, one small square takes a new
// colour and is sent to the server at once. It has no logic, no timers of its
// own and no event handling beyond the first expose. bench/process/x11.sh runs
// it beside the screen saver: its CPU is the floor the machine sets for one
// wake-up and one request a tick.
//
//   lightmatrix_x11_floor SECONDS

#include <X11/Xlib.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const long seconds = argc == 2 ? std::atol(argv[1]) : 0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: lightmatrix_x11_floor SECONDS\n");
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

    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    unsigned state = 1;
    for (long tick = 0; tick < seconds * 100; ++tick) {
        deadline.tv_nsec += 10'000'000;
        if (deadline.tv_nsec >= 1'000'000'000) {
            deadline.tv_nsec -= 1'000'000'000;
            ++deadline.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        state = state * 1664525u + 1013904223u;
        XSetForeground(display, gc, state >> 8);
        XFillRectangle(display, window, gc, static_cast<int>((state >> 4) % 800),
                       static_cast<int>((state >> 14) % 600), 7, 7);
        XFlush(display);
    }
    XCloseDisplay(display);
    return 0;
}
