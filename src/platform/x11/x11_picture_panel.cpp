#include "platform/x11/x11_picture_panel.h"

#include "platform/gdkpixbuf/picture_file.h"
#include "platform/win32_constants.h"
#include "platform/x11/x11_image.h"
#include "platform/x11/x11_window.h"

namespace lightmatrix {

X11PicturePanel::X11PicturePanel(X11Display& display, X11Window& window, const PixelRect& area)
    : display_(display), window_(window), area_(area) {
    Display* dpy = display_.get();
    XSetWindowAttributes attributes{};
    attributes.background_pixel = window.writer().pixelOf(kBackground);
    attributes.event_mask = ExposureMask | ButtonPressMask;
    id_ = XCreateWindow(dpy, window.id(), area_.left, area_.top,
                        static_cast<unsigned>(std::max(area_.right - area_.left, 1)),
                        static_cast<unsigned>(std::max(area_.bottom - area_.top, 1)), 0,
                        window.depth(), InputOutput, window.visual(), CWBackPixel | CWEventMask,
                        &attributes);
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
    picture_ = std::move(picture);
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
    return static_cast<float>(area_.right - area_.left);
}
float X11PicturePanel::scaleHeight() const {
    return static_cast<float>(area_.bottom - area_.top);
}

Colour X11PicturePanel::shownAt(Int32 x, Int32 y) const {
    if (picture_ && x < picture_->width && y < picture_->height) return picture_->at(x, y);
    return kBackground;
}

void X11PicturePanel::draw() {
    Raster shown;
    shown.resize(area_.right - area_.left, area_.bottom - area_.top, kBackground);
    for (Int32 y = 0; y < shown.height; ++y)
        for (Int32 x = 0; x < shown.width; ++x) shown.at(x, y) = shownAt(x, y);
    window_.writer().put(id_, gc_, shown, shown.bounds());
}

void X11PicturePanel::handleEvent(const XEvent& event) {
    if (event.type == Expose && visible_ && event.xexpose.count == 0) draw();
    if (event.type == ButtonPress && click_) click_();
}

Int32 X11PicturePanel::GetPixel(Int32 hdc, Int32 x, Int32 y) {
    if (hdc != hDC() || !visible_ || !window_.shown()) return CLR_INVALID;
    if (x < 0 || y < 0 || x >= area_.right - area_.left || y >= area_.bottom - area_.top)
        return CLR_INVALID;
    // The panel is clipped by its parent's client area too.
    if (area_.left + x >= window_.clientWidth() || area_.top + y >= window_.clientHeight())
        return CLR_INVALID;
    return shownAt(x, y);
}

}  // namespace lightmatrix
