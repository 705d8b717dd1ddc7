#include "platform/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "common/constants.h"
#include "common/runtime_error.h"
#include "platform/common/icon.h"

namespace lightmatrix {

namespace {

// The style flags of a plain top-level window before anything changes them:
// an overlapped window with caption, frame and system menu, clipping children.
constexpr Int32 kTopLevelStyle = 0x16CF0000;

// How often an embedded window puts itself back where it was put.
constexpr int kMaxCorrections = 20;

// The window's client area before it is maximised, from its design.
constexpr Colour kDesignBackground = 0x00F0F0F0;

Int16 shiftState(unsigned state) {
    Int16 shift = 0;
    if (state & ShiftMask) shift |= 1;
    if (state & ControlMask) shift |= 2;
    if (state & Mod1Mask) shift |= 4;
    return shift;
}

// Left, right and middle as the handlers number them; other buttons as X does.
Int16 buttonOf(unsigned button) {
    switch (button) {
        case Button1:
            return 1;
        case Button3:
            return 2;
        case Button2:
            return 4;
        default:
            return static_cast<Int16>(button);
    }
}

}  // namespace

X11Window::X11Window(X11Display& display, Program& program, ::Window given)
    : style(kTopLevelStyle),
      display_(display),
      program_(program),
      given_(given != None),
      mapping_(display.logicalDpi()),
      backColour_(kDesignBackground) {
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
        XSelectInput(dpy, id_, ExposureMask | StructureNotifyMask);
        clientWidth_ = attributes.width;
        clientHeight_ = attributes.height;
    } else {
        screen_ = DefaultScreen(dpy);
        visual_ = DefaultVisual(dpy, screen_);
        depth_ = DefaultDepth(dpy, screen_);
        const PixelRect design = designClientArea(mapping_);
        const int width = design.right;
        const int height = design.bottom;
        writer_ = std::make_unique<PixelWriter>(dpy, visual_, depth_);
        XSetWindowAttributes attributes{};
        attributes.background_pixel = writer_->pixelOf(backColour_);
        attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask;
        id_ = XCreateWindow(dpy, RootWindow(dpy, screen_), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, depth_, InputOutput, visual_,
                            CWBackPixel | CWEventMask, &attributes);
        setProperties();
        clientWidth_ = width;
        clientHeight_ = height;
    }
    if (!writer_) writer_ = std::make_unique<PixelWriter>(dpy, visual_, depth_);
    gc_ = XCreateGC(dpy, id_, 0, nullptr);
    // Someone else may destroy it: the daemon, or the host with its pane.
    display_.watch(id_);
}

X11Window::~X11Window() {
    // The window itself goes with the connection, or went with its parent.
    if (gc_ != nullptr) XFreeGC(display_.get(), gc_);
}

void X11Window::setProperties() {
    Display* dpy = display_.get();
    XStoreName(dpy, id_, kWindowTitle);
    const std::string title = kWindowTitle;
    XChangeProperty(dpy, id_, display_.atom("_NET_WM_NAME"), display_.atom("UTF8_STRING"), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));

    XClassHint classHint{};
    char name[] = "lightmatrix";
    char className[] = "Lightmatrix";
    classHint.res_name = name;
    classHint.res_class = className;
    XSetClassHint(dpy, id_, &classHint);

    const long pid = getpid();
    XChangeProperty(dpy, id_, display_.atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);

    Atom deleteWindow = display_.atom("WM_DELETE_WINDOW");
    XSetWMProtocols(dpy, id_, &deleteWindow, 1);

    // The icon as 32-bit ARGB: width, height, then the pixels row by row.
    const IconImage icon = drawIcon();
    std::vector<unsigned long> data{IconImage::kSize, IconImage::kSize};
    for (std::size_t i = 0; i < icon.pixels.size(); ++i) {
        const unsigned long alpha = icon.opaque[i] ? 0xFFu : 0u;
        data.push_back(alpha << 24 | toXrgb(icon.pixels[i]));
    }
    XChangeProperty(dpy, id_, display_.atom("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()),
                    static_cast<int>(data.size()));
}

void X11Window::connect(const LightScene& scene) {
    scene_ = &scene;
}

void X11Window::setBackColor(Colour colour) {
    backColour_ = colour;
    if (!given_) XSetWindowBackground(display_.get(), id_, writer_->pixelOf(colour));
    redrawAll();
    // Everything on the screen changes: the server exposes it all again.
    if (shown_) XClearArea(display_.get(), id_, 0, 0, 0, 0, True);
}

void X11Window::setMaximized() {
    if (given_) return;  // the daemon's window already covers its screen
    Display* dpy = display_.get();
    windowManager_ = display_.windowManagerRuns(screen_);
    if (windowManager_) {
        const Atom state = display_.atom("_NET_WM_STATE");
        Atom fullScreen = display_.atom("_NET_WM_STATE_FULLSCREEN");
        XChangeProperty(dpy, id_, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&fullScreen), 1);
    }
    // With no window manager this is all there is; with one, it is where the
    // window stands should the manager not honour the full-screen state.
    const int width = DisplayWidth(dpy, screen_);
    const int height = DisplayHeight(dpy, screen_);
    XMoveResizeWindow(dpy, id_, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    setClientSize(width, height);
}

void X11Window::show() {
    shown_ = true;
    // Where the lights reach, now that they all exist.
    extent_ = {};
    if (scene_ != nullptr) {
        for (Int32 i = 0; i < scene_->indexLimit(); ++i) {
            const LightRecord* light = scene_->find(static_cast<Int16>(i));
            if (light == nullptr || !light->visible) continue;
            const PixelRect cell = mapping_.toPixels(cellOf(*light));
            extent_.right = std::max(extent_.right, cell.right);
            extent_.bottom = std::max(extent_.bottom, cell.bottom);
        }
    }
    if (!fitRaster()) redrawAll();
    if (given_) {
        // Already on the screen: no Expose will come for what is there now.
        fillBackground({0, 0, clientWidth_, clientHeight_});
        writer_->put(id_, gc_, raster_, raster_.bounds());
        dirty_.clear();
        firstFrame_ = std::chrono::steady_clock::now();
        return;
    }
    XMapRaised(display_.get(), id_);
}

void X11Window::close() {
    if (!closed_) {
        closed_ = true;
        shown_ = false;
        if (!given_) XDestroyWindow(display_.get(), id_);
        XFlush(display_.get());
    }
    program_.end();
}

void X11Window::invalidate(const TwipsRect& area) {
    if (!shown_) return;  // showing the window draws it whole
    const PixelRect pixels = mapping_.toPixels(area).intersect({0, 0, clientWidth_, clientHeight_});
    if (pixels.empty()) return;
    if (pixels.right > extent_.right || pixels.bottom > extent_.bottom) {
        // Something now stands beyond the copy: widen it, which redraws it all.
        extent_.right = std::max(extent_.right, pixels.right);
        extent_.bottom = std::max(extent_.bottom, pixels.bottom);
        fitRaster();
        dirty_.coverAll(raster_.bounds());
        return;
    }
    dirty_.add(pixels);
}

void X11Window::flush() {
    if (scene_ != nullptr && shown_ && !closed_) {
        for (const PixelRect& area : dirty_.areas()) {
            renderArea(*scene_, backColour_, mapping_, area, raster_);
            writer_->put(id_, gc_, raster_, area);
        }
    }
    dirty_.clear();
}

void X11Window::redrawAll() {
    dirty_.clear();
    if (scene_ != nullptr && shown_)
        renderArea(*scene_, backColour_, mapping_, raster_.bounds(), raster_);
}

void X11Window::setClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    fitRaster();
}

bool X11Window::fitRaster() {
    const Int32 width = std::min(clientWidth_, extent_.right);
    const Int32 height = std::min(clientHeight_, extent_.bottom);
    if (width == raster_.width && height == raster_.height) return false;
    raster_.resize(width, height, backColour_);
    // The server exposes a resized window; the copy is ready for it.
    redrawAll();
    return true;
}

// The background outside the copy, where no light stands.
void X11Window::fillBackground(const PixelRect& area) {
    XSetForeground(display_.get(), gc_, writer_->pixelOf(backColour_));
    const PixelRect right = area.intersect({raster_.width, 0, clientWidth_, clientHeight_});
    const PixelRect below = area.intersect({0, raster_.height, raster_.width, clientHeight_});
    for (const PixelRect& r : {right, below})
        if (!r.empty())
            XFillRectangle(display_.get(), id_, gc_, r.left, r.top,
                           static_cast<unsigned>(r.right - r.left),
                           static_cast<unsigned>(r.bottom - r.top));
}

void X11Window::setChild(bool child) {
    if (child == child_ || given_) return;
    child_ = child;
    Display* dpy = display_.get();
    if (child) {
        // Out of the window manager's hands before it moves into the pane, and
        // not full screen any more.
        if (windowManager_) waitForWindowManager(true);
        XWithdrawWindow(dpy, id_, screen_);
        if (windowManager_) waitForWindowManager(false);
        XDeleteProperty(dpy, id_, display_.atom("_NET_WM_STATE"));
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        XChangeWindowAttributes(dpy, id_, CWOverrideRedirect, &attributes);
    } else {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = False;
        XChangeWindowAttributes(dpy, id_, CWOverrideRedirect, &attributes);
    }
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

bool X11Window::reparent(::Window parent) {
    if (given_) return false;
    Display* dpy = display_.get();
    const ::Window target = parent == None ? RootWindow(dpy, screen_) : parent;
    ErrorTrap trap(display_);
    XReparentWindow(dpy, id_, target, 0, 0);
    pane_ = parent;
    if (parent != None) {
        // To learn when the host destroys its pane.
        XSelectInput(dpy, parent, StructureNotifyMask);
        display_.watch(parent);
    }
    return !trap.failed();
}

void X11Window::setOwner(::Window ownerWindow) {
    if (given_) return;
    ErrorTrap trap(display_);
    XSetTransientForHint(display_.get(), id_, ownerWindow);
}

void X11Window::place(bool move, int x, int y, bool size, int width, int height) {
    if (given_) return;
    XWindowChanges changes{};
    unsigned mask = 0;
    if (move) {
        changes.x = x;
        changes.y = y;
        mask |= CWX | CWY;
    }
    if (size) {
        // X has no empty window; the copy keeps the size asked for.
        changes.width = std::max(width, 1);
        changes.height = std::max(height, 1);
        mask |= CWWidth | CWHeight;
    }
    XConfigureWindow(display_.get(), id_, mask, &changes);
    if (size) setClientSize(std::max(width, 0), std::max(height, 0));
    // Where the window stands now, for the parts not given here: asked of the
    // server only when some part is missing.
    if (!placedSet_ && !(move && size)) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_.get(), id_, &attributes);
        placed_ = {static_cast<short>(attributes.x), static_cast<short>(attributes.y),
                   static_cast<unsigned short>(attributes.width),
                   static_cast<unsigned short>(attributes.height)};
    }
    placedSet_ = true;
    if (move) {
        placed_.x = static_cast<short>(x);
        placed_.y = static_cast<short>(y);
    }
    if (size) {
        placed_.width = static_cast<unsigned short>(changes.width);
        placed_.height = static_cast<unsigned short>(changes.height);
    }
}

void X11Window::map() {
    if (!given_) XMapWindow(display_.get(), id_);
}

// Puts an embedded window back into its pane, at its place and size, when
// something else changed them; true if it did.
bool X11Window::correctEmbedding(const XEvent& event) {
    if (!child_ || pane_ == None || !placedSet_ || corrections_ >= kMaxCorrections) return false;
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
            flush();
            if (!shown_) break;
            const XExposeEvent& e = event.xexpose;
            const PixelRect exposed{e.x, e.y, e.x + e.width, e.y + e.height};
            fillBackground(exposed);
            writer_->put(id_, gc_, raster_, exposed);
            if (!firstFrame_ && e.count == 0) {
                XFlush(display_.get());
                firstFrame_ = std::chrono::steady_clock::now();
            }
            break;
        }
        case ConfigureNotify:
        case ReparentNotify:
        case UnmapNotify:
            if (correctEmbedding(event)) break;
            if (event.type == ConfigureNotify && event.xconfigure.window == id_)
                setClientSize(event.xconfigure.width, event.xconfigure.height);
            break;
        case MapNotify:
            // With no window manager, nobody else gives the full-screen window
            // the keyboard.
            if (!given_ && !child_ && !windowManager_) {
                ErrorTrap trap(display_);
                XSetInputFocus(display_.get(), id_, RevertToPointerRoot, CurrentTime);
            }
            break;
        case KeyPress:
            if (keyDown_)
                keyDown_(static_cast<Int16>(event.xkey.keycode), shiftState(event.xkey.state));
            break;
        case ButtonPress:
            if (mouseDown_)
                mouseDown_(buttonOf(event.xbutton.button), shiftState(event.xbutton.state),
                           static_cast<float>(mapping_.toTwips(event.xbutton.x)),
                           static_cast<float>(mapping_.toTwips(event.xbutton.y)));
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
