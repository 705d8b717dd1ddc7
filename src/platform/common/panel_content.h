#pragma once

#include <memory>

#include "platform/common/raster.h"
#include "platform/picture.h"

namespace lightmatrix {

// What a picture panel shows, for the backends that keep its pixels
// themselves (in memory, X11): the loaded picture from the top-left corner
// of the panel's area, the system's button face where the picture does not
// reach.
class PanelContent {
  public:
    static constexpr Colour kBackground = 0x00F0F0F0;  // the system's button face

    // `area` is the panel's place on the window's client area, in pixels.
    explicit PanelContent(const PixelRect& area) : area_(area) {}

    const PixelRect& area() const { return area_; }
    Int32 width() const { return area_.right - area_.left; }
    Int32 height() const { return area_.bottom - area_.top; }
    void setPicture(std::shared_ptr<const Picture> picture) { picture_ = std::move(picture); }

    // What the panel shows at (x, y) of its own area.
    Colour shownAt(Int32 x, Int32 y) const;
    // GetPixel on the panel: CLR_INVALID while it is not `showing`, outside
    // the panel, and outside the window's client area, which clips it too.
    Int32 pixel(Int32 x, Int32 y, bool showing, Int32 clientWidth, Int32 clientHeight) const;
    // Draws what the panel shows within `clip` onto `raster`, its top-left
    // corner at (left, top).
    void drawOnto(Raster& raster, const PixelRect& clip, Int32 left, Int32 top) const;

  private:
    PixelRect area_;
    std::shared_ptr<const Picture> picture_;
};

}  // namespace lightmatrix
