#include "x11_session.h"

#include <X11/Xatom.h>

#include <stdexcept>

namespace lightmatrix::x11_test {

std::string saverPath() {
    return LIGHTMATRIX_X11_SAVER;
}

e2e::Process SaverSession::start(const std::vector<std::string>& arguments,
                                 const std::vector<std::string>& extraEnv) const {
    std::vector<std::string> command{saverPath()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment = env();
    environment.insert(environment.end(), extraEnv.begin(), extraEnv.end());
    return e2e::Process::start(command, environment);
}

Connection::Connection(const std::string& display)
    : display_(XOpenDisplay(display.c_str())),
      previousHandler_(XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; })) {
    if (display_ == nullptr) throw std::runtime_error("cannot open display " + display);
}

Connection::~Connection() {
    XCloseDisplay(display_);  // which waits for the errors of every request made
    XSetErrorHandler(previousHandler_);
}

std::vector<unsigned long> propertyOf(::Display* x, ::Window window, const char* property,
                                      Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(x, window, XInternAtom(x, property, False), 0, 65536, False, type,
                           &actualType, &format, &count, &after, &data) == Success &&
        actualType == type && format == 32) {
        const auto* longs = reinterpret_cast<unsigned long*>(data);
        values.assign(longs, longs + count);
    }
    if (data != nullptr) XFree(data);
    return values;
}

std::optional<WindowInfo> describe(const std::string& display, ::Window window) {
    Connection x(display);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(x, window, &attributes) == 0) return std::nullopt;
    WindowInfo info{window,
                    attributes.x,
                    attributes.y,
                    attributes.width,
                    attributes.height,
                    attributes.map_state == IsViewable,
                    {}};
    char* name = nullptr;
    if (XFetchName(x, window, &name) != 0 && name != nullptr) {
        info.name = name;
        XFree(name);
    }
    return info;
}

std::vector<::Window> childrenOf(const std::string& display, ::Window window) {
    Connection x(display);
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    std::vector<::Window> result;
    if (XQueryTree(x, window, &root, &parent, &children, &count) != 0 && children != nullptr) {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
}

std::optional<WindowInfo> windowOfProcess(const std::string& display, pid_t pid) {
    Connection x(display);
    for (const ::Window window : childrenOf(display, DefaultRootWindow(x.get()))) {
        const auto pids = propertyOf(x, window, "_NET_WM_PID", XA_CARDINAL);
        if (pids.size() == 1 && pids[0] == static_cast<unsigned long>(pid))
            return describe(display, window);
    }
    return std::nullopt;
}

e2e::LightsSeen waitForLightsOf(const std::string& display, pid_t saver, int minimum,
                                std::chrono::milliseconds timeout, double dpi) {
    e2e::waitUntil(
        [&] {
            const auto window = windowOfProcess(display, saver);
            return window.has_value() && window->viewable;
        },
        timeout);
    return waitForLights(display, minimum, timeout, 0, dpi);
}

e2e::Process startWindowManager(const SaverSession& session, Connection& probes) {
    e2e::Process manager =
        e2e::Process::start({"openbox"}, {session.xvfb().env(), "HOME=" + session.scratch()});
    const ::Window root = DefaultRootWindow(probes.get());
    e2e::waitUntil(
        [&] { return propertyOf(probes, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).size() == 1; },
        30s);
    // It says it runs before it takes on new windows: wait until a probe gets
    // mapped.
    const bool managing = e2e::waitUntil(
        [&] {
            const ::Window probe = XCreateSimpleWindow(probes, root, 0, 0, 50, 50, 0, 0, 0);
            XMapWindow(probes, probe);
            XSync(probes, False);
            const bool mapped =
                e2e::waitUntil([&] { return describe(session.display(), probe)->viewable; }, 1s);
            XDestroyWindow(probes, probe);
            XSync(probes, False);
            return mapped;
        },
        30s);
    if (!managing) throw std::runtime_error("openbox did not start: " + manager.errorOutput());
    return manager;
}

}  // namespace lightmatrix::x11_test
