#include "platform/framebuffer/framebuffer_panel.h"

#include "common/constants.h"
#include "platform/framebuffer/picture_loading.h"

namespace lightmatrix {

FramebufferPanel::FramebufferPanel(FramebufferWindow& window, const PixelRect& area,
                                   std::unique_ptr<PictureDecoder> decoder)
    : window_(window), area_(area), decoder_(std::move(decoder)) {
    window.attach(this);
}

FramebufferPanel::~FramebufferPanel() {
    window_.attach(nullptr);
}

Picture FramebufferPanel::load(const std::string& path) {
    return std::make_shared<const Raster>(loadPicture(*decoder_, path, kButtonFace));
}

void FramebufferPanel::setPicture(Picture picture) {
    picture_ = std::move(picture);
    if (visible_) changed();
}

void FramebufferPanel::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    leftDown_ = false;
    changed();
}

void FramebufferPanel::buttonDown(bool left) {
    if (left) leftDown_ = true;
}

void FramebufferPanel::buttonUp(bool left, bool inside) {
    if (!left || !leftDown_) return;
    leftDown_ = false;
    // A copy: the handler may replace itself.
    const std::function<void()> handler = click_;
    if (inside && handler) handler();
}

void FramebufferPanel::choose(const std::string& path) {
    const std::function<void(const std::string&)> handler = chosen_;
    if (handler) handler(path);
}

void FramebufferPanel::place(const PixelRect& area) {
    area_ = area;
}

Colour FramebufferPanel::shownAt(Int32 x, Int32 y) const {
    if (picture_ && x < picture_->width && y < picture_->height) return picture_->at(x, y);
    return kButtonFace;
}

Int32 FramebufferPanel::sample(Int32 x, Int32 y) {
    if (!visible_ || !window_.shown() || x < 0 || y < 0 || x >= area_.width() ||
        y >= area_.height())
        return kNoPixel;
    if (!window_.clientArea().contains(area_.left + x, area_.top + y)) return kNoPixel;
    return shownAt(x, y);
}

void FramebufferPanel::drawOnto(Raster& raster, const PixelRect& clip, Int32 left,
                                Int32 top) const {
    const PixelRect area =
        PixelRect{left, top, left + area_.width(), top + area_.height()}.intersect(clip).intersect(
            raster.bounds());
    for (Int32 y = area.top; y < area.bottom; ++y)
        for (Int32 x = area.left; x < area.right; ++x) raster.at(x, y) = shownAt(x - left, y - top);
}

}  // namespace lightmatrix
