#include "platform/memory/memory_picture_panel.h"

#include <algorithm>

#include "platform/gdkpixbuf/picture_file.h"
#include "platform/memory/memory_window.h"
#include "platform/win32_constants.h"

namespace lightmatrix {

MemoryPicturePanel::MemoryPicturePanel(MemoryWindow& window, const PixelRect& area)
    : window_(window), area_(area) {}

std::shared_ptr<const Picture> MemoryPicturePanel::loadPicture(const std::string& path) {
    return std::make_shared<const Picture>(loadPictureFile(path, kBackground));
}

void MemoryPicturePanel::setPicture(std::shared_ptr<const Picture> picture) {
    picture_ = std::move(picture);
    if (visible_) window_.repaintPixels(area_);
}

void MemoryPicturePanel::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    window_.repaintPixels(area_);
}

float MemoryPicturePanel::scaleWidth() const {
    return static_cast<float>(area_.right - area_.left);
}
float MemoryPicturePanel::scaleHeight() const {
    return static_cast<float>(area_.bottom - area_.top);
}

bool MemoryPicturePanel::contains(Int32 windowX, Int32 windowY) const {
    return windowX >= area_.left && windowX < area_.right && windowY >= area_.top &&
           windowY < area_.bottom;
}

void MemoryPicturePanel::click() {
    if (click_) click_();
}

Colour MemoryPicturePanel::shownAt(Int32 x, Int32 y) const {
    if (picture_ && x < picture_->width && y < picture_->height) return picture_->at(x, y);
    return kBackground;
}

void MemoryPicturePanel::drawOnto(Raster& raster, const PixelRect& clip) const {
    const PixelRect area = area_.intersect(clip).intersect(raster.bounds());
    for (Int32 y = area.top; y < area.bottom; ++y)
        for (Int32 x = area.left; x < area.right; ++x)
            raster.at(x, y) = shownAt(x - area_.left, y - area_.top);
}

Int32 MemoryPicturePanel::GetPixel(Int32 hdc, Int32 x, Int32 y) {
    ++pixelReads_;
    if (hdc != kDeviceContext || !visible_ || !window_.shown()) return CLR_INVALID;
    if (x < 0 || y < 0 || x >= area_.right - area_.left || y >= area_.bottom - area_.top)
        return CLR_INVALID;
    // The panel is clipped by its parent's client area too.
    const Int32 wx = area_.left + x;
    const Int32 wy = area_.top + y;
    if (wx >= window_.clientWidth() || wy >= window_.clientHeight()) return CLR_INVALID;
    return shownAt(x, y);
}

}  // namespace lightmatrix
