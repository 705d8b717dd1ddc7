#pragma once

#include <X11/Xlib.h>

#include <set>
#include <string>

namespace lightmatrix {

// The connection to the X server, with the program's handling of X errors.
//
// X errors arrive after the request that caused them. Two kinds are expected
// and never end the program by themselves:
//  - errors inside an ErrorTrap, for calls that may name a vanished window;
//  - BadWindow or BadDrawable about a window that someone else may destroy
//    under us (the preview pane, the screen-saver daemon's window, our own
//    window inside either): that marks the window as gone.
// Every other error is reported by Xlib's own handler, which ends the program.
// A lost connection ends the program with one line on standard error, unless
// its owner asked to be told instead (raiseWhenLost).
class X11Display {
  public:
    // Opens the display named by $DISPLAY; raises a Platform run-time error if
    // there is none.
    X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;
    ~X11Display();

    Display* get() const { return display_; }
    operator Display*() const { return display_; }
    int fd() const { return ConnectionNumber(display_); }

    // The logical DPI: the Xft.dpi resource where it is set, else 96.
    double logicalDpi() const;

    // Whether an EWMH window manager runs on `screen`.
    bool windowManagerRuns(int screen) const;

    Atom atom(const char* name) const { return XInternAtom(display_, name, False); }

    // From now on a lost connection does not end the program: every Xlib call
    // on it returns at once, and checkConnection() raises a Platform run-time
    // error, for an owner that cleans up as an error passes.
    void raiseWhenLost();
    void checkConnection() const;

    // Windows that may be destroyed by another client at any moment.
    void watch(::Window window) { watched_.insert(window); }
    bool watching(::Window window) const { return watched_.contains(window); }
    // Whether a watched window was reported gone by an error.
    bool watchedWindowGone() const { return watchedGone_; }

  private:
    friend class ErrorTrap;
    static int onError(Display* display, XErrorEvent* error);
    static int onIOError(Display* display);

    Display* display_ = nullptr;
    std::set<::Window> watched_;
    bool watchedGone_ = false;
    bool raiseWhenLost_ = false;
    bool lost_ = false;
    int (*previousHandler_)(Display*, XErrorEvent*) = nullptr;
    class ErrorTrap* trap_ = nullptr;
};

// Catches the X errors of the calls made while it lives: it syncs with the
// server on leaving, so every error of those calls has arrived by then.
class ErrorTrap {
  public:
    explicit ErrorTrap(X11Display& display);
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    ~ErrorTrap();

    // Syncs and tells whether any call since the trap was set failed.
    bool failed();

  private:
    friend class X11Display;
    X11Display& display_;
    ErrorTrap* outer_;
    bool failed_ = false;
};

}  // namespace lightmatrix
