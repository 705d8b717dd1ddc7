#pragma once

#include <cstdint>
#include <vector>

#include "common/checked.h"
#include "common/colour.h"
#include "platform/common/light_scene.h"

namespace lightmatrix {

// A rectangle of pixels, as [left, right) x [top, bottom).
struct PixelRect {
    Int32 left = 0;
    Int32 top = 0;
    Int32 right = 0;
    Int32 bottom = 0;

    bool empty() const { return right <= left || bottom <= top; }
    PixelRect intersect(const PixelRect& other) const;
};

// Colour values, row by row.
struct Raster {
    Int32 width = 0;
    Int32 height = 0;
    std::vector<Colour> pixels;

    void resize(Int32 w, Int32 h, Colour fill);
    Colour at(Int32 x, Int32 y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    Colour& at(Int32 x, Int32 y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    PixelRect bounds() const { return {0, 0, width, height}; }
};

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

// Draws the background and then, in index order, every visible light that
// meets `area`, touching only the pixels inside `area`. A circle light paints
// the pixels whose centres lie inside the circle inscribed in its cell.
// The window's client area (from the origin) and Picture1's rectangle as the
// form was designed, at this mapping.
PixelRect designClientArea(const PixelMapping& mapping);
PixelRect designPanelArea(const PixelMapping& mapping);

void renderArea(const LightScene& scene, Colour background, const PixelMapping& mapping,
                const PixelRect& area, Raster& raster);

// Draws one light over whatever `raster` holds, inside `clip`.
void paintLight(const LightRecord& light, const PixelMapping& mapping, const PixelRect& clip,
                Raster& raster);

}  // namespace lightmatrix
