#pragma once

#include <cstddef>
#include <vector>

#include "common/colour.h"
#include "common/geometry.h"

namespace lightmatrix {

// Pixels as colour values, row by row from the top-left: a window's copy of
// what it shows, a decoded picture, a screenshot.
struct Raster {
    Int32 width = 0;
    Int32 height = 0;
    std::vector<Colour> pixels;

    Raster() = default;
    Raster(Int32 w, Int32 h, Colour fill) { resize(w, h, fill); }

    void resize(Int32 w, Int32 h, Colour fill) {
        width = std::max(w, 0);
        height = std::max(h, 0);
        pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
    }
    const Colour& at(Int32 x, Int32 y) const { return pixels[offset(x, y)]; }
    Colour& at(Int32 x, Int32 y) { return pixels[offset(x, y)]; }
    PixelRect bounds() const { return {0, 0, width, height}; }

  private:
    std::size_t offset(Int32 x, Int32 y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    }
};

}  // namespace lightmatrix
