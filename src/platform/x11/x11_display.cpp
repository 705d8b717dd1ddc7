#include "platform/x11/x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xresource.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "common/runtime_error.h"

namespace lightmatrix {

namespace {
// Xlib's error handlers get only the Display; one connection per process.
X11Display* current = nullptr;

constexpr double kDefaultDpi = 96;
}  // namespace

X11Display::X11Display() {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        const char* name = std::getenv("DISPLAY");
        raise(ErrorKind::Platform,
              std::string("cannot open the X display \"") + (name ? name : "") + '"');
    }
    current = this;
    previousHandler_ = XSetErrorHandler(&X11Display::onError);
    // Every atom the program names, asked for in one round trip; Xlib keeps
    // them, so atom() is answered without asking the server again.
    static const char* const kAtomNames[] = {"UTF8_STRING",
                                             "WM_DELETE_WINDOW",
                                             "WM_PROTOCOLS",
                                             "WM_STATE",
                                             "_NET_SUPPORTING_WM_CHECK",
                                             "_NET_WM_ICON",
                                             "_NET_WM_NAME",
                                             "_NET_WM_PID",
                                             "_NET_WM_STATE",
                                             "_NET_WM_STATE_FULLSCREEN"};
    Atom atoms[std::size(kAtomNames)];
    XInternAtoms(display_, const_cast<char**>(kAtomNames), static_cast<int>(std::size(kAtomNames)),
                 False, atoms);
    XSetIOErrorHandler(&X11Display::onIOError);
}

X11Display::~X11Display() {
    // What goes wrong now concerns resources that are being released anyway,
    // such as a GC whose window vanished before it could be made.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XSync(display_, False);
    XCloseDisplay(display_);
    XSetErrorHandler(previousHandler_);
    XSetIOErrorHandler(nullptr);
    current = nullptr;
}

int X11Display::onError(Display* display, XErrorEvent* error) {
    X11Display* self = current;
    if (self != nullptr && self->trap_ != nullptr) {
        self->trap_->failed_ = true;
        return 0;
    }
    if (self != nullptr && (error->error_code == BadWindow || error->error_code == BadDrawable) &&
        self->watched_.contains(error->resourceid)) {
        self->watchedGone_ = true;
        return 0;
    }
    if (self != nullptr && self->previousHandler_ != nullptr)
        return self->previousHandler_(display, error);
    return 0;
}

int X11Display::onIOError(Display* /*display*/) {
    // Xlib goes on to the connection's exit handler, which raiseWhenLost() set.
    if (current != nullptr && current->raiseWhenLost_) return 0;
    std::fputs("lightmatrix: lost the connection to the X display\n", stderr);
    std::exit(1);
}

void X11Display::raiseWhenLost() {
    raiseWhenLost_ = true;
    XSetIOErrorExitHandler(
        display_, [](Display*, void* self) { static_cast<X11Display*>(self)->lost_ = true; }, this);
}

void X11Display::checkConnection() const {
    if (lost_) raise(ErrorKind::Platform, "lost the connection to the X display");
}

double X11Display::logicalDpi() const {
    const char* resources = XResourceManagerString(display_);
    if (resources == nullptr) return kDefaultDpi;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr) return kDefaultDpi;
    double dpi = kDefaultDpi;
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
        char* end = nullptr;
        const double parsed = std::strtod(value.addr, &end);
        // Anything outside what a real screen could mean is ignored.
        if (end != value.addr && parsed >= 24 && parsed <= 960) dpi = parsed;
    }
    XrmDestroyDatabase(database);
    return dpi;
}

bool X11Display::windowManagerRuns(int screen) const {
    const Atom check = atom("_NET_SUPPORTING_WM_CHECK");
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, RootWindow(display_, screen), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data) != Success)
        return false;
    const bool present = type == XA_WINDOW && format == 32 && count == 1;
    if (data != nullptr) XFree(data);
    return present;
}

namespace {
// Waits until the server has answered every request made so far, so that
// their errors have arrived; no round trip when it already has (after a call
// that waits for its reply, say).
void settle(Display* display) {
    if (NextRequest(display) - 1 != LastKnownRequestProcessed(display)) XSync(display, False);
}
}  // namespace

ErrorTrap::ErrorTrap(X11Display& display) : display_(display), outer_(display.trap_) {
    // Errors of earlier requests belong to whoever made them, not to this trap.
    settle(display_.get());
    display_.trap_ = this;
}

ErrorTrap::~ErrorTrap() {
    settle(display_.get());
    display_.trap_ = outer_;
}

bool ErrorTrap::failed() {
    settle(display_.get());
    return failed_;
}

}  // namespace lightmatrix
