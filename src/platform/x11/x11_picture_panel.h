#pragma once

#include <X11/Xlib.h>

#include "platform/framebuffer/framebuffer_panel.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_window.h"

namespace lightmatrix {

// The picture panel on X11: a borderless child window of the program's window
// that shows what the panel keeps, drawn again on every Expose. Pictures are
// decoded with gdk-pixbuf.
class X11PicturePanel : public FramebufferPanel {
  public:
    // `area` is the panel's place on the window's client area, in pixels.
    X11PicturePanel(X11Display& display, X11Window& window, const PixelRect& area);
    X11PicturePanel(const X11PicturePanel&) = delete;
    X11PicturePanel& operator=(const X11PicturePanel&) = delete;
    ~X11PicturePanel() override;

    ::Window id() const { return id_; }
    void place(const PixelRect& area) override;
    // Draws it again on an Expose. A press on it takes the pointer for it
    // until the release, which comes to it wherever it happens.
    void handleEvent(const XEvent& event);

  private:
    void changed() override;
    void draw();

    X11Display& display_;
    X11Window& window_;
    ::Window id_ = None;
    GC gc_ = nullptr;
    bool mapped_ = false;
};

}  // namespace lightmatrix
