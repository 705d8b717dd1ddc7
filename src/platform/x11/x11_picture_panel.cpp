#include "platform/x11/x11_picture_panel.h"

#include "platform/gdkpixbuf/picture_file.h"
#include "platform/win32_constants.h"
#include "platform/x11/x11_image.h"
#include "platform/x11/x11_window.h"

namespace lightmatrix {

X11PicturePanel::X11PicturePanel(X11Display& display, X11Window& window, const PixelRect& area)
    : display_(display), window_(window), content_(area) {
    Display* dpy = display_.get();
    XSetWindowAttributes attributes{};
    attributes.background_pixel = window.writer().pixelOf(kBackground);
    attributes.event_mask = ExposureMask | ButtonPressMask;
    id_ = XCreateWindow(dpy, window.id(), area.left, area.top,
                        static_cast<unsigned>(std::max(content_.width(), 1)),
                        static_cast<unsigned>(std::max(content_.height(), 1)), 0, window.depth(),
                        InputOutput, window.visual(), CWBackPixel | CWEventMask, &attributes);
    gc_ = XCreateGC(dpy, id_, 0, nullptr);
    display_.watch(id_);
}

X11PicturePanel::~X11PicturePanel() {
    // The window goes with its parent or with the connection.
    if (gc_ != nullptr) XFreeGC(display_.get(), gc_);
}

std::shared_ptr<const Picture> X11PicturePanel::loadPicture(const std::string& path) {
    return std::make_shared<const Picture>(loadPictureFile(path, kBackground));
}

void X11PicturePanel::setPicture(std::shared_ptr<const Picture> picture) {
    content_.setPicture(std::move(picture));
    if (visible_) draw();
}

void X11PicturePanel::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (visible)
        XMapRaised(display_.get(), id_);  // Expose draws it
    else
        XUnmapWindow(display_.get(), id_);
}

float X11PicturePanel::scaleWidth() const {
    return static_cast<float>(content_.width());
}
float X11PicturePanel::scaleHeight() const {
    return static_cast<float>(content_.height());
}

void X11PicturePanel::draw() {
    Raster shown;
    shown.resize(content_.width(), content_.height(), kBackground);
    content_.drawOnto(shown, shown.bounds(), 0, 0);
    window_.writer().put(id_, gc_, shown, shown.bounds());
}

void X11PicturePanel::handleEvent(const XEvent& event) {
    if (event.type == Expose && visible_ && event.xexpose.count == 0) draw();
    if (event.type == ButtonPress && click_) click_();
}

Int32 X11PicturePanel::GetPixel(Int32 hdc, Int32 x, Int32 y) {
    if (hdc != hDC()) return CLR_INVALID;
    return content_.pixel(x, y, visible_ && window_.shown(), window_.clientWidth(),
                          window_.clientHeight());
}

}  // namespace lightmatrix
