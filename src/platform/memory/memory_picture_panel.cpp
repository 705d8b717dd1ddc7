#include "platform/memory/memory_picture_panel.h"

#include <algorithm>

#include "platform/gdkpixbuf/picture_file.h"
#include "platform/memory/memory_window.h"
#include "platform/win32_constants.h"

namespace lightmatrix {

MemoryPicturePanel::MemoryPicturePanel(MemoryWindow& window, const PixelRect& area)
    : window_(window), content_(area) {}

std::shared_ptr<const Picture> MemoryPicturePanel::loadPicture(const std::string& path) {
    return std::make_shared<const Picture>(loadPictureFile(path, kBackground));
}

void MemoryPicturePanel::setPicture(std::shared_ptr<const Picture> picture) {
    content_.setPicture(std::move(picture));
    if (visible_) window_.repaintPixels(area());
}

void MemoryPicturePanel::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    window_.repaintPixels(area());
}

float MemoryPicturePanel::scaleWidth() const {
    return static_cast<float>(content_.width());
}
float MemoryPicturePanel::scaleHeight() const {
    return static_cast<float>(content_.height());
}

bool MemoryPicturePanel::contains(Int32 windowX, Int32 windowY) const {
    const PixelRect& a = area();
    return windowX >= a.left && windowX < a.right && windowY >= a.top && windowY < a.bottom;
}

void MemoryPicturePanel::click() {
    if (click_) click_();
}

void MemoryPicturePanel::drawOnto(Raster& raster, const PixelRect& clip) const {
    content_.drawOnto(raster, clip, area().left, area().top);
}

Int32 MemoryPicturePanel::GetPixel(Int32 hdc, Int32 x, Int32 y) {
    ++pixelReads_;
    if (hdc != kDeviceContext) return CLR_INVALID;
    return content_.pixel(x, y, visible_ && window_.shown(), window_.clientWidth(),
                          window_.clientHeight());
}

}  // namespace lightmatrix
