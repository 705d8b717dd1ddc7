#include "x11_session.h"

#include <X11/Xatom.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <map>
#include <stdexcept>

namespace lightmatrix::x11_test {

std::string saverPath() {
    return LIGHTMATRIX_X11_SAVER;
}

SaverSession::SaverSession(int width, int height)
    : runtime_("x11-run"), xvfb_(std::make_unique<e2e::Xvfb>(width, height)) {}

std::vector<std::string> SaverSession::env() const {
    return {xvfb_->env(), "XDG_RUNTIME_DIR=" + runtime_.path()};
}

e2e::Process SaverSession::start(const std::vector<std::string>& arguments,
                                 const std::vector<std::string>& extraEnv) const {
    std::vector<std::string> command{saverPath()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment = env();
    environment.insert(environment.end(), extraEnv.begin(), extraEnv.end());
    return e2e::Process::start(command, environment);
}

bool SaverSession::xdotool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return e2e::run(command, env()) == 0;
}

Connection::Connection(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
    if (display_ == nullptr) throw std::runtime_error("cannot open display " + display);
}

Connection::~Connection() {
    XCloseDisplay(display_);
}

namespace {

// Windows of other processes may vanish while the test looks at them.
int ignoreErrors(::Display*, XErrorEvent*) {
    return 0;
}

std::optional<WindowInfo> describeOn(::Display* x, ::Window window) {
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

}  // namespace

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
    auto previous = XSetErrorHandler(ignoreErrors);
    auto info = describeOn(x, window);
    XSync(x, False);
    XSetErrorHandler(previous);
    return info;
}

std::vector<::Window> childrenOf(const std::string& display, ::Window window) {
    Connection x(display);
    auto previous = XSetErrorHandler(ignoreErrors);
    std::vector<::Window> result;
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(x, window, &root, &parent, &children, &count) != 0) {
        result.assign(children, children + count);
        if (children != nullptr) XFree(children);
    }
    XSync(x, False);
    XSetErrorHandler(previous);
    return result;
}

std::optional<WindowInfo> windowOfProcess(const std::string& display, pid_t pid) {
    Connection x(display);
    auto previous = XSetErrorHandler(ignoreErrors);
    std::optional<WindowInfo> found;
    for (const ::Window window : childrenOf(display, DefaultRootWindow(x.get()))) {
        const auto pids = propertyOf(x, window, "_NET_WM_PID", XA_CARDINAL);
        if (pids.size() == 1 && pids[0] == static_cast<unsigned long>(pid)) {
            found = describeOn(x, window);
            break;
        }
    }
    XSync(x, False);
    XSetErrorHandler(previous);
    return found;
}

e2e::LightsSeen waitForLightsOf(const std::string& display, const e2e::Process& saver, int minimum,
                                std::chrono::milliseconds timeout) {
    e2e::waitUntil(
        [&] {
            const auto window = windowOfProcess(display, saver.pid());
            return window.has_value() && window->viewable;
        },
        timeout);
    return waitForLights(display, minimum, timeout);
}

Colour discCentre(const e2e::Screenshot& shot, int k, double dpi) {
    const double s = dpi / 1440.0;
    const int row = (k - 1) / 120;
    const int column = (k - 1) % 120;
    const auto x = static_cast<int>(std::floor((column * 100 + 50) * s));
    const auto y = static_cast<int>(std::floor((row * 100 + 50) * s));
    if (x >= shot.width || y >= shot.height) return -1;
    return shot.at(x, y);
}

MapWatch::MapWatch(const std::string& display) : connection_(display) {
    XSelectInput(connection_, DefaultRootWindow(connection_.get()), SubstructureNotifyMask);
    XSync(connection_, False);
}

void MapWatch::alsoWatch(::Window window) {
    XSelectInput(connection_, window, SubstructureNotifyMask);
    XSync(connection_, False);
}

std::vector<::Window> MapWatch::mapped() {
    XSync(connection_, False);
    while (XPending(connection_) > 0) {
        XEvent event;
        XNextEvent(connection_, &event);
        if (event.type == MapNotify) mapped_.push_back(event.xmap.window);
    }
    return mapped_;
}

}  // namespace lightmatrix::x11_test
