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
    : BackendLoop(DeadlineTimers::kUsualRefreshRate,
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
    if (window_.owns(event.xany.window))
        window_.handleEvent(event);
    else if (event.xany.window == panel_.id())
        panel_.handleEvent(event);
    if (display_.watchedWindowGone()) end();
}

void X11Backend::handleEvents(int count) {
    Display* dpy = display_.get();
    for (int i = 0; i < count && !ended(); ++i) {
        XEvent event;
        XNextEvent(dpy, &event);
        dispatch(event);
        window_.repaint();
    }
}

void X11Backend::checkSignals() {
    if (signals_.arrived()) end();
}

void X11Backend::look() {
    visibility_.viewable(window_.viewable());
    visibility_.covered(window_.covered());
    setSeen(visibility_.seen(std::chrono::steady_clock::now()));
}

std::optional<DeadlineTimers::Duration> X11Backend::waitAtMost() const {
    if (seen()) return timeToNextWake();
    if (const auto next = visibility_.nextLook())
        return std::max(*next - std::chrono::steady_clock::now(), DeadlineTimers::Duration::zero());
    return std::nullopt;
}

void X11Backend::run() {
    Display* dpy = display_.get();
    bool readable = true;  // whatever came during the load step
    while (!ended()) {
        // Events first, each handled to its end. XPending reads from the
        // connection, so it is asked only when there may be something to
        // read; a handler may leave more in Xlib's queue, and requests in its
        // buffer.
        if (readable) {
            handleEvents(XPending(dpy));
            look();
            XFlush(dpy);
            readable = XEventsQueued(dpy, QueuedAlready) > 0;
            continue;
        }
        look();
        // A wake of the timers draws through XCB alone.
        if (wakeTimers()) window_.writer().flush();
        // A daemon's window may vanish under a tick's drawing.
        if (display_.watchedWindowGone()) end();
        if (ended()) break;

        pollfd fds[1] = {{display_.fd(), POLLIN, 0}};
        if (signals_.wait(fds, 1, waitAtMost()) < 0 && errno != EINTR)
            raise(ErrorKind::Platform, std::string("ppoll: ") + std::strerror(errno));
        checkSignals();
        // A closed connection shows as readable too: XPending then finds it lost.
        readable = fds[0].revents != 0;
    }
}

void X11Backend::handleWaitingEvents() {
    handleEvents(XEventsQueued(display_.get(), QueuedAfterFlush));
    if (!ended()) checkSignals();
    if (!ended()) look();
}

}  // namespace lightmatrix
