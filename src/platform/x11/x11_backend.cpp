#include "platform/x11/x11_backend.h"

#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

#include "common/parse_integer.h"
#include "common/runtime_error.h"
#include "platform/linux/local_time.h"
#include "platform/x11/x11_monitors.h"

namespace lightmatrix {

namespace {

// The display's power as DPMS tells it; nothing where the server has no DPMS
// or it is off.
std::optional<X11Visibility::Power> displayPower(Display* display) {
    int event = 0;
    int error = 0;
    if (!DPMSQueryExtension(display, &event, &error) || !DPMSCapable(display)) return std::nullopt;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(display, &level, &enabled) || !enabled) return std::nullopt;
    switch (level) {
        case DPMSModeStandby:
            return X11Visibility::Power::Standby;
        case DPMSModeSuspend:
            return X11Visibility::Power::Suspend;
        case DPMSModeOff:
            return X11Visibility::Power::Off;
        default:
            return X11Visibility::Power::On;
    }
}

}  // namespace

::Window X11Backend::daemonWindow() {
    const char* value = std::getenv("XSCREENSAVER_WINDOW");
    if (value == nullptr || value[0] == '\0') return None;
    const std::string_view text = value;
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    std::uint32_t id = 0;
    if (parseInteger(hex ? text.substr(2) : text, id, hex ? 16 : 10) != Parsed::Number || id == 0)
        raise(ErrorKind::Platform,
              std::string("XSCREENSAVER_WINDOW=") + value + " names no window");
    return id;
}

X11Backend::X11Backend(const EndSignals& signals, bool preview, DeadlineTimers::Now now,
                       std::function<double()> localTimeOfDay)
    : Loop(DeadlineTimers::kUsualRefreshRate,
           localTimeOfDay ? std::move(localTimeOfDay) : &lightmatrix::localTimeOfDay,
           std::move(now)),
      signals_(signals),
      window_(display_, preview ? None : daemonWindow(), [this] { end(); }),
      panel_(display_, window_, designPanelArea(window_.mapping())),
      instance_(window_.given() ? InstanceLock::Mode::DaemonHack : InstanceLock::Mode::Exclusive),
      visibility_([this] { return displayPower(display_.get()); }) {
    Display* dpy = display_.get();
    pace(refreshRateOf(display_, DefaultScreen(dpy)));
    // The server's own screen saver, which blanks or covers the screen.
    int error = 0;
    if (XScreenSaverQueryExtension(dpy, &screenSaverEvent_, &error)) {
        XScreenSaverSelectInput(dpy, DefaultRootWindow(dpy), ScreenSaverNotifyMask);
        if (XScreenSaverInfo* info = XScreenSaverAllocInfo()) {
            if (XScreenSaverQueryInfo(dpy, DefaultRootWindow(dpy), info))
                visibility_.serverSaverOn(info->state == ScreenSaverOn);
            XFree(info);
        }
    } else {
        screenSaverEvent_ = -1;
    }
}

void X11Backend::dispatch(const XEvent& event) {
    if (screenSaverEvent_ >= 0 && event.type == screenSaverEvent_ + ScreenSaverNotify) {
        visibility_.serverSaverOn(reinterpret_cast<const XScreenSaverNotifyEvent&>(event).state ==
                                  ScreenSaverOn);
        return;
    }
    if (event.type == DestroyNotify && display_.watching(event.xdestroywindow.window)) {
        // The host destroyed its pane, or the daemon its window: nothing is
        // left to draw in, so the program ends quietly.
        end();
        return;
    }
    const XButtonEvent& button = event.xbutton;
    if (event.xany.window == panel_.id()) {
        // The panel takes the pointer from a press to its release.
        const PixelPoint at{panel_.area().left + button.x, panel_.area().top + button.y};
        if (event.type == ButtonPress) buttonPressed(at, button.button == Button1);
        if (event.type == ButtonRelease) buttonReleased(at, button.button == Button1);
        panel_.handleEvent(event);
    } else if (window_.owns(event.xany.window)) {
        if (event.type == KeyPress) keyPressed();
        if (event.type == ButtonPress)
            buttonPressed(event.xany.window == window_.id() ? PixelPoint{button.x, button.y}
                                                            : FramebufferWindow::kOffWindow,
                          button.button == Button1);
        window_.handleEvent(event);
    }
}

void X11Backend::readEvents() {
    Display* dpy = display_.get();
    // Reading from the connection (which sends what waits to be sent first)
    // is skipped only after a wait that found nothing to read: then Xlib's
    // queue alone is taken.
    const int count = XEventsQueued(dpy, readable_ ? QueuedAfterFlush : QueuedAlready);
    readable_ = true;
    for (int i = 0; i < count && !ended(); ++i) {
        XEvent event;
        XNextEvent(dpy, &event);
        dispatch(event);
    }
    // A watched window may vanish under the program's drawing, which the
    // server tells as an error.
    if (signals_.arrived() || display_.watchedWindowGone()) end();
    if (!ended()) look();
}

bool X11Backend::holdsEvents() {
    return XEventsQueued(display_.get(), QueuedAlready) > 0;
}

void X11Backend::look() {
    visibility_.viewable(window_.viewable());
    visibility_.covered(window_.covered());
    if (visibility_.seen(now()))
        seenAgainAt(now());
    else
        unseenFrom(now());
}

void X11Backend::wait(std::optional<Instant> until) {
    Display* dpy = display_.get();
    XFlush(dpy);
    // The timers' drawing goes through XCB alone.
    window_.writer().flush();
    if (const auto look = visibility_.nextLook()) until = until ? std::min(*until, *look) : *look;
    std::optional<Duration> timeout;
    if (until) timeout = std::max(*until - now(), Duration::zero());
    pollfd fds[1] = {{display_.fd(), POLLIN, 0}};
    if (signals_.wait(fds, 1, timeout) < 0 && errno != EINTR)
        raise(ErrorKind::Platform, std::string("ppoll: ") + std::strerror(errno));
    // A closed connection shows as readable too: XPending then finds it lost.
    readable_ = fds[0].revents != 0;
}

}  // namespace lightmatrix
