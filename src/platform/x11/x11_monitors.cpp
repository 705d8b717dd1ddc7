#include "platform/x11/x11_monitors.h"

#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include "platform/loop/deadline_timers.h"

namespace lightmatrix {

namespace {

// Asked of the server before any call into libXrandr, which keeps (and never
// frees) a record of a display whose server lacks the extension.
bool hasRandr(Display* display, int minimumMinor) {
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    return XQueryExtension(display, "RANDR", &opcode, &event, &error) &&
           XRRQueryVersion(display, &major, &minor) && (major > 1 || minor >= minimumMinor);
}

}  // namespace

std::vector<PixelRect> monitorsOf(Display* display, int screen) {
    std::vector<PixelRect> monitors;
    if (hasRandr(display, 5)) {
        int count = 0;
        XRRMonitorInfo* info = XRRGetMonitors(display, RootWindow(display, screen), True, &count);
        for (int i = 0; i < count; ++i) {
            const PixelRect area{info[i].x, info[i].y, info[i].x + info[i].width,
                                 info[i].y + info[i].height};
            monitors.insert(info[i].primary ? monitors.begin() : monitors.end(), area);
        }
        if (info != nullptr) XRRFreeMonitors(info);
    }
    if (monitors.empty() && XineramaIsActive(display)) {
        // Xinerama's first head is the primary one.
        int count = 0;
        XineramaScreenInfo* heads = XineramaQueryScreens(display, &count);
        for (int i = 0; i < count; ++i)
            monitors.push_back({heads[i].x_org, heads[i].y_org, heads[i].x_org + heads[i].width,
                                heads[i].y_org + heads[i].height});
        if (heads != nullptr) XFree(heads);
    }
    if (monitors.empty())
        monitors.push_back({0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)});
    return monitors;
}

double refreshRateOf(Display* display, int screen) {
    constexpr double kUsualRate = DeadlineTimers::kUsualRefreshRate;
    if (!hasRandr(display, 1)) return kUsualRate;
    XRRScreenConfiguration* configuration = XRRGetScreenInfo(display, RootWindow(display, screen));
    if (configuration == nullptr) return kUsualRate;
    const short rate = XRRConfigCurrentRate(configuration);
    XRRFreeScreenConfigInfo(configuration);
    return rate > 0 ? rate : kUsualRate;
}

}  // namespace lightmatrix
