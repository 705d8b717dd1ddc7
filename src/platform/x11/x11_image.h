#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "common/colour.h"
#include "common/raster.h"

namespace lightmatrix {

// Sends parts of a raster of colour values to an X drawable of a TrueColor
// visual, converting to the visual's pixel format through a small scratch
// buffer, a strip of rows at a time.
class PixelWriter {
  public:
    // Raises a Platform run-time error for a visual that is not TrueColor.
    PixelWriter(Display* display, Visual* visual, int depth);
    PixelWriter(const PixelWriter&) = delete;
    PixelWriter& operator=(const PixelWriter&) = delete;

    unsigned long pixelOf(Colour colour) const;

    // Copies `area` of `raster` to the same place on `drawable`, offset by
    // (dx, dy).
    void put(Drawable drawable, GC gc, const Raster& raster, const PixelRect& area, int dx = 0,
             int dy = 0);

  private:
    struct Channel {
        int shift = 0;
        int bits = 0;
    };
    static Channel channelOf(unsigned long mask);
    static unsigned long scale(int value, const Channel& channel);

    Display* display_;
    Visual* visual_;
    int depth_;
    Channel red_, green_, blue_;
    // Red, green and blue in bits 16, 8 and 0, as nearly every display has them.
    bool rgb888_ = false;
    std::vector<std::uint32_t> scratch_;
};

}  // namespace lightmatrix
