#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/framebuffer/framebuffer_window.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_image.h"

namespace lightmatrix {

// The program's window on X11: either a window of its own (full screen on the
// primary monitor, with a black cover over every other monitor, or moved into
// a preview pane), or a window given by a screen-saver daemon. The
// daemon owns input on its window, so there the window asks for no key or
// button events. The server keeps none of the window's contents: an Expose is
// answered from the program's own copy.
class X11Window : public FramebufferWindow {
  public:
    // `given` is the daemon's window; None makes a window of our own.
    // `onClosed` runs when the program closes the window.
    X11Window(X11Display& display, ::Window given, std::function<void()> onClosed);
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;
    ~X11Window() override;

    void setBackColour(Colour colour) override;
    void maximise() override;
    void show() override;
    void close() override;
    bool embedIn(Int32 pane) override;

    void handleEvent(const XEvent& event);
    // Whether the event concerns this window, one of its covers, or one of
    // the windows it lies in (a preview pane and what holds the pane).
    bool owns(::Window window) const;
    // Whether the window is viewable (it and every window it lies in
    // mapped), and whether other windows cover it wholly, as the server last
    // told.
    bool viewable() const { return viewable_; }
    bool covered() const { return covered_; }

    ::Window id() const { return id_; }
    bool given() const { return given_; }
    Visual* visual() const { return visual_; }
    int depth() const { return depth_; }
    // Puts pixels on this window and the windows inside it (same visual).
    PixelWriter& writer() { return *writer_; }

  protected:
    void present(const Raster& frame, const PixelRect& area) override;
    void fill(const PixelRect& area, Colour colour) override;

  private:
    void setProperties(::Window window);
    void cover(const PixelRect& monitor);
    void place(::Window window, const PixelRect& monitor);
    void dropCovers();
    void leaveWindowManager();
    bool managedByWindowManager();
    void waitForWindowManager(bool managed);
    bool correctEmbedding(const XEvent& event);
    // Learns of the windows `window` lies in being mapped and unmapped.
    void watchAncestors(::Window window);
    // Asks the server whether the window is viewable now.
    bool isViewable();

    X11Display& display_;
    std::function<void()> onClosed_;
    bool given_;
    ::Window id_ = None;
    int screen_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    bool windowManager_ = false;
    std::unique_ptr<PixelWriter> writer_;
    GC gc_ = nullptr;
    // Black windows over the monitors other than the primary one, which the
    // window itself covers.
    std::vector<::Window> covers_;
    bool closing_ = false;
    // Where the preview put the window. A window manager letting go of it may
    // still move, resize or reparent it a moment later; it goes back.
    ::Window pane_ = None;
    XRectangle placed_{};
    int corrections_ = 0;
    std::vector<::Window> ancestors_;
    bool viewable_ = true;
    bool covered_ = false;
};

}  // namespace lightmatrix
