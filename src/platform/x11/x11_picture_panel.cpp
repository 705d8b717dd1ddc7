#include "platform/x11/x11_picture_panel.h"

#include "common/constants.h"
#include "platform/linux/pixbuf_decoder.h"

namespace lightmatrix {

X11PicturePanel::X11PicturePanel(X11Display& display, X11Window& window, const PixelRect& area)
    : FramebufferPanel(window, area, std::make_unique<PixbufDecoder>()),
      display_(display),
      window_(window) {
    Display* dpy = display_.get();
    XSetWindowAttributes attributes{};
    attributes.background_pixel = window.writer().pixelOf(kButtonFace);
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask;
    id_ = XCreateWindow(dpy, window.id(), area.left, area.top,
                        static_cast<unsigned>(std::max(area.width(), 1)),
                        static_cast<unsigned>(std::max(area.height(), 1)), 0, window.depth(),
                        InputOutput, window.visual(), CWBackPixel | CWEventMask, &attributes);
    gc_ = XCreateGC(dpy, id_, 0, nullptr);
    display_.watch(id_);
}

X11PicturePanel::~X11PicturePanel() {
    // The window goes with its parent or with the connection.
    if (gc_ != nullptr) XFreeGC(display_.get(), gc_);
}

void X11PicturePanel::changed() {
    if (visible() == mapped_) {
        if (mapped_) draw();  // another picture
        return;
    }
    mapped_ = visible();
    if (mapped_)
        XMapRaised(display_.get(), id_);  // Expose draws it
    else
        XUnmapWindow(display_.get(), id_);
}

void X11PicturePanel::draw() {
    Raster shown(area().width(), area().height(), kButtonFace);
    drawOnto(shown, shown.bounds(), 0, 0);
    window_.writer().put(id_, gc_, shown, shown.bounds());
}

void X11PicturePanel::place(const PixelRect& area) {
    FramebufferPanel::place(area);
    XMoveResizeWindow(display_.get(), id_, area.left, area.top,
                      static_cast<unsigned>(std::max(area.width(), 1)),
                      static_cast<unsigned>(std::max(area.height(), 1)));
}

void X11PicturePanel::handleEvent(const XEvent& event) {
    if (event.type == Expose && mapped_ && event.xexpose.count == 0) draw();
}

}  // namespace lightmatrix
