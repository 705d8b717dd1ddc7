#include "platform/common/panel_content.h"

#include "platform/win32_constants.h"

namespace lightmatrix {

Colour PanelContent::shownAt(Int32 x, Int32 y) const {
    if (picture_ && x < picture_->width && y < picture_->height) return picture_->at(x, y);
    return kBackground;
}

Int32 PanelContent::pixel(Int32 x, Int32 y, bool showing, Int32 clientWidth,
                          Int32 clientHeight) const {
    if (!showing || x < 0 || y < 0 || x >= width() || y >= height()) return CLR_INVALID;
    if (area_.left + x >= clientWidth || area_.top + y >= clientHeight) return CLR_INVALID;
    return shownAt(x, y);
}

void PanelContent::drawOnto(Raster& raster, const PixelRect& clip, Int32 left, Int32 top) const {
    const PixelRect area =
        PixelRect{left, top, left + width(), top + height()}.intersect(clip).intersect(
            raster.bounds());
    for (Int32 y = area.top; y < area.bottom; ++y)
        for (Int32 x = area.left; x < area.right; ++x) raster.at(x, y) = shownAt(x - left, y - top);
}

}  // namespace lightmatrix
