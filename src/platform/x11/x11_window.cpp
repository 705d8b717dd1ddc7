#include "platform/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "common/constants.h"
#include "common/icon.h"
#include "common/runtime_error.h"
#include "platform/x11/x11_monitors.h"

namespace lightmatrix {

namespace {
// How often an embedded window puts itself back where it was put.
constexpr int kMaxCorrections = 20;
}  // namespace

X11Window::X11Window(X11Display& display, ::Window given, std::function<void()> onClosed)
    : FramebufferWindow(display.logicalDpi(), kButtonFace),
      display_(display),
      onClosed_(std::move(onClosed)),
      given_(given != None) {
    Display* dpy = display_.get();
    if (given_) {
        XWindowAttributes attributes{};
        {
            ErrorTrap trap(display_);
            if (!XGetWindowAttributes(dpy, given, &attributes) || trap.failed())
                raise(ErrorKind::Platform, "no window " + std::to_string(given) + " to draw in");
        }
        id_ = given;
        screen_ = XScreenNumberOfScreen(attributes.screen);
        visual_ = attributes.visual;
        depth_ = attributes.depth;
        writer_ = std::make_unique<PixelWriter>(dpy, visual_, depth_);
        XSelectInput(dpy, id_, ExposureMask | StructureNotifyMask | VisibilityChangeMask);
        resize(attributes.width, attributes.height);
        watchAncestors(id_);
    } else {
        screen_ = DefaultScreen(dpy);
        visual_ = DefaultVisual(dpy, screen_);
        depth_ = DefaultDepth(dpy, screen_);
        writer_ = std::make_unique<PixelWriter>(dpy, visual_, depth_);
        XSetWindowAttributes attributes{};
        attributes.background_pixel = writer_->pixelOf(backColour());
        attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask |
                                StructureNotifyMask | VisibilityChangeMask;
        const PixelRect client = clientArea();
        id_ = XCreateWindow(dpy, RootWindow(dpy, screen_), 0, 0,
                            static_cast<unsigned>(client.width()),
                            static_cast<unsigned>(client.height()), 0, depth_, InputOutput, visual_,
                            CWBackPixel | CWEventMask, &attributes);
        setProperties(id_);
    }
    gc_ = XCreateGC(dpy, id_, 0, nullptr);
    // Someone else may destroy it: the daemon, or the host with its pane.
    display_.watch(id_);
}

X11Window::~X11Window() {
    // The window itself goes with the connection, or went with its parent.
    if (gc_ != nullptr) XFreeGC(display_.get(), gc_);
}

void X11Window::setProperties(::Window window) {
    Display* dpy = display_.get();
    XStoreName(dpy, window, kWindowTitle);
    const std::string title = kWindowTitle;
    XChangeProperty(dpy, window, display_.atom("_NET_WM_NAME"), display_.atom("UTF8_STRING"), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));

    XClassHint classHint{};
    char name[] = "lightmatrix";
    char className[] = "Lightmatrix";
    classHint.res_name = name;
    classHint.res_class = className;
    XSetClassHint(dpy, window, &classHint);

    const long pid = getpid();
    XChangeProperty(dpy, window, display_.atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);

    Atom deleteWindow = display_.atom("WM_DELETE_WINDOW");
    XSetWMProtocols(dpy, window, &deleteWindow, 1);

    // The icon as 32-bit ARGB: width, height, then the pixels row by row.
    const IconImage icon = drawIcon();
    std::vector<unsigned long> data{IconImage::kSize, IconImage::kSize};
    for (std::size_t i = 0; i < icon.pixels.size(); ++i) {
        const unsigned long alpha = icon.opaque[i] ? 0xFFu : 0u;
        data.push_back(alpha << 24 | toXrgb(icon.pixels[i]));
    }
    XChangeProperty(dpy, window, display_.atom("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()),
                    static_cast<int>(data.size()));
}

void X11Window::setBackColour(Colour colour) {
    // What the server shows before the program answers an expose.
    if (!given_) XSetWindowBackground(display_.get(), id_, writer_->pixelOf(colour));
    FramebufferWindow::setBackColour(colour);
}

// The window covers the primary monitor, through the window manager's
// full-screen state where one runs; a black cover, made the same way, covers
// each of the others.
void X11Window::maximise() {
    if (given_) return;  // the daemon's window already covers its screen
    Display* dpy = display_.get();
    windowManager_ = display_.windowManagerRuns(screen_);
    const std::vector<PixelRect> monitors = monitorsOf(dpy, screen_);
    const PixelRect& primary = monitors.front();
    if (windowManager_) {
        Atom fullScreen = display_.atom("_NET_WM_STATE_FULLSCREEN");
        XChangeProperty(dpy, id_, display_.atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&fullScreen), 1);
    }
    // With no window manager this is all there is; with one, it says which
    // monitor the full-screen state is for.
    place(id_, primary);
    resize(primary.width(), primary.height());
    for (std::size_t i = 1; i < monitors.size(); ++i) cover(monitors[i]);
}

void X11Window::cover(const PixelRect& monitor) {
    Display* dpy = display_.get();
    XSetWindowAttributes attributes{};
    attributes.background_pixel = writer_->pixelOf(backColour());
    attributes.event_mask = KeyPressMask | ButtonPressMask;
    const ::Window cover =
        XCreateWindow(dpy, RootWindow(dpy, screen_), 0, 0, 1, 1, 0, depth_, InputOutput, visual_,
                      CWBackPixel | CWEventMask, &attributes);
    setProperties(cover);
    place(cover, monitor);
    if (windowManager_) {
        Atom fullScreen = display_.atom("_NET_WM_STATE_FULLSCREEN");
        XChangeProperty(dpy, cover, display_.atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&fullScreen), 1);
    }
    covers_.push_back(cover);
}

// Puts a window on `monitor`, telling a window manager that the place is
// asked for, so that it keeps the window on that monitor.
void X11Window::place(::Window window, const PixelRect& monitor) {
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = monitor.left;
    hints.y = monitor.top;
    hints.width = monitor.width();
    hints.height = monitor.height();
    XSetWMNormalHints(display_.get(), window, &hints);
    XMoveResizeWindow(display_.get(), window, monitor.left, monitor.top,
                      static_cast<unsigned>(monitor.width()),
                      static_cast<unsigned>(monitor.height()));
}

void X11Window::dropCovers() {
    for (const ::Window cover : covers_) XDestroyWindow(display_.get(), cover);
    covers_.clear();
}

bool X11Window::owns(::Window window) const {
    return window == id_ || std::find(covers_.begin(), covers_.end(), window) != covers_.end() ||
           std::find(ancestors_.begin(), ancestors_.end(), window) != ancestors_.end();
}

bool X11Window::isViewable() {
    ErrorTrap trap(display_);
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display_.get(), id_, &attributes) && !trap.failed() &&
           attributes.map_state == IsViewable;
}

// The server tells a window nothing when a window it lies in is unmapped: the
// ancestors tell of it themselves.
void X11Window::watchAncestors(::Window window) {
    Display* dpy = display_.get();
    ErrorTrap trap(display_);
    for (;;) {
        ::Window root = None;
        ::Window parent = None;
        ::Window* children = nullptr;
        unsigned n = 0;
        const bool known = XQueryTree(dpy, window, &root, &parent, &children, &n) != 0;
        if (children != nullptr) XFree(children);
        if (!known || parent == None || parent == root) return;
        XSelectInput(dpy, parent, StructureNotifyMask);
        ancestors_.push_back(parent);
        window = parent;
    }
}

void X11Window::show() {
    if (given_) {
        // Already on the screen: no Expose will come for what is there now.
        beginShowing(true);
        return;
    }
    beginShowing(false);
    for (const ::Window cover : covers_) XMapRaised(display_.get(), cover);
    XMapRaised(display_.get(), id_);
}

void X11Window::close() {
    if (!closing_) {
        closing_ = true;
        endShowing();
        dropCovers();
        if (!given_) XDestroyWindow(display_.get(), id_);
        XFlush(display_.get());
    }
    onClosed_();
}

void X11Window::present(const Raster& frame, const PixelRect& area) {
    writer_->put(id_, gc_, frame, area);
}

void X11Window::fill(const PixelRect& area, Colour colour) {
    writer_->fill(id_, gc_, area, colour);
}

// A preview: the window goes into the host's pane, at its top-left corner and
// of its size, shown there but neither raised nor given the keyboard.
bool X11Window::embedIn(Int32 paneHandle) {
    if (given_ || paneHandle <= 0) return false;
    Display* dpy = display_.get();
    const auto pane = static_cast<::Window>(static_cast<std::uint32_t>(paneHandle));
    XWindowAttributes attributes{};
    {
        ErrorTrap trap(display_);
        if (!XGetWindowAttributes(dpy, pane, &attributes) || trap.failed()) return false;
    }
    dropCovers();
    leaveWindowManager();
    {
        ErrorTrap trap(display_);
        XReparentWindow(dpy, id_, pane, 0, 0);
        XSetTransientForHint(dpy, id_, pane);
    }
    pane_ = pane;
    // To learn when the host destroys its pane, or hides it.
    ancestors_.push_back(pane);
    XSelectInput(dpy, pane, StructureNotifyMask);
    watchAncestors(pane);
    display_.watch(pane);

    // X has no empty window; the copy keeps the size asked for.
    placed_ = {0, 0, static_cast<unsigned short>(std::max(attributes.width, 1)),
               static_cast<unsigned short>(std::max(attributes.height, 1))};
    XMoveResizeWindow(dpy, id_, 0, 0, placed_.width, placed_.height);
    resize(attributes.width, attributes.height);
    XMapWindow(dpy, id_);
    return true;
}

// Out of the window manager's hands before the window moves into the pane,
// and not full screen any more.
void X11Window::leaveWindowManager() {
    Display* dpy = display_.get();
    if (windowManager_) waitForWindowManager(true);
    XWithdrawWindow(dpy, id_, screen_);
    if (windowManager_) waitForWindowManager(false);
    XDeleteProperty(dpy, id_, display_.atom("_NET_WM_STATE"));
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    XChangeWindowAttributes(dpy, id_, CWOverrideRedirect, &attributes);
}

// Whether the window manager holds the window: it marks the windows it
// manages with WM_STATE and keeps them in a frame of its own.
bool X11Window::managedByWindowManager() {
    Display* dpy = display_.get();
    const Atom wmState = display_.atom("WM_STATE");
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty(dpy, id_, wmState, 0, 2, False, wmState, &type, &format,
                                         &count, &after, &data) == Success;
    const bool marked = read && type == wmState && count >= 1 && format == 32 &&
                        reinterpret_cast<long*>(data)[0] != WithdrawnState;
    if (data != nullptr) XFree(data);
    ::Window root = None;
    ::Window parent = None;
    ::Window* children = nullptr;
    unsigned n = 0;
    const bool framed = XQueryTree(dpy, id_, &root, &parent, &children, &n) != 0 && parent != root;
    if (children != nullptr) XFree(children);
    return marked || framed;
}

// Waits, a little while at most, until the window manager has or has not got
// the window. Taking it away in the middle of either races with the manager,
// which would then frame, move or resize it after it went into the pane.
void X11Window::waitForWindowManager(bool managed) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        XSync(display_.get(), False);
        if (managedByWindowManager() == managed) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Puts an embedded window back into its pane, at its place and size, when
// something else changed them; true if it did.
bool X11Window::correctEmbedding(const XEvent& event) {
    if (pane_ == None || corrections_ >= kMaxCorrections) return false;
    Display* dpy = display_.get();
    if (event.type == ReparentNotify && event.xreparent.window == id_ &&
        event.xreparent.parent != pane_) {
        ++corrections_;
        ErrorTrap trap(display_);
        XReparentWindow(dpy, id_, pane_, placed_.x, placed_.y);
        XMapWindow(dpy, id_);
        return true;
    }
    if (event.type == UnmapNotify && event.xunmap.window == id_) {
        ++corrections_;
        XMapWindow(dpy, id_);
        return true;
    }
    const XConfigureEvent& c = event.xconfigure;
    if (event.type == ConfigureNotify && c.window == id_ && !c.send_event &&
        (c.x != placed_.x || c.y != placed_.y || c.width != placed_.width ||
         c.height != placed_.height)) {
        ++corrections_;
        XMoveResizeWindow(dpy, id_, placed_.x, placed_.y, placed_.width, placed_.height);
        return true;
    }
    return false;
}

void X11Window::handleEvent(const XEvent& event) {
    switch (event.type) {
        case Expose: {
            const XExposeEvent& e = event.xexpose;
            expose({e.x, e.y, e.x + e.width, e.y + e.height});
            break;
        }
        case VisibilityNotify:
            covered_ = event.xvisibility.state == VisibilityFullyObscured;
            break;
        case ConfigureNotify:
        case ReparentNotify:
        case UnmapNotify:
            if (event.type == UnmapNotify) viewable_ = isViewable();
            if (correctEmbedding(event)) break;
            if (event.type == ConfigureNotify && event.xconfigure.window == id_)
                resize(event.xconfigure.width, event.xconfigure.height);
            break;
        case MapNotify:
            viewable_ = isViewable();
            // With no window manager, nobody else gives the full-screen window
            // the keyboard.
            if (!given_ && pane_ == None && !windowManager_) {
                ErrorTrap trap(display_);
                XSetInputFocus(display_.get(), id_, RevertToPointerRoot, CurrentTime);
            }
            break;
        case ClientMessage:
            if (event.xclient.message_type == display_.atom("WM_PROTOCOLS") &&
                static_cast<Atom>(event.xclient.data.l[0]) == display_.atom("WM_DELETE_WINDOW"))
                close();
            break;
        default:
            break;
    }
}

}  // namespace lightmatrix
