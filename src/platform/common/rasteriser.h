#pragma once

#include "common/geometry.h"
#include "common/raster.h"
#include "platform/lights.h"

namespace lightmatrix {

// How twips map to the pixels of a window at a given logical DPI.
class PixelMapping {
  public:
    explicit PixelMapping(double dpi = 96) : pixelsPerTwip_(dpi / 1440.0) {}
    double pixelsPerTwip() const { return pixelsPerTwip_; }
    // The pixels whose centres lie inside the rectangle: neighbouring cells
    // share no pixel and leave no gap.
    PixelRect toPixels(const TwipsRect& rect) const;
    double toTwips(double pixels) const { return pixels / pixelsPerTwip_; }

  private:
    double pixelsPerTwip_;
};

// The window's client area (from the origin) and the picture panel's
// rectangle as the window was designed, at this mapping.
PixelRect designClientArea(const PixelMapping& mapping);
PixelRect designPanelArea(const PixelMapping& mapping);

// Draws the background over `area` of `raster` and then, in index order, every
// light that meets it, touching only the pixels inside `area`. A light paints
// the pixels whose centres lie inside the circle inscribed in its cell.
void renderArea(const Lights& lights, Colour background, const PixelMapping& mapping,
                const PixelRect& area, Raster& raster);

}  // namespace lightmatrix
