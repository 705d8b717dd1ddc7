#pragma once

#include "common/constants.h"
#include "common/geometry.h"

namespace lightmatrix {

// Rounding to whole pixels without a call into libm: the baseline x86-64
// instruction set has no rounding instruction, and a cell's repaint rounds a
// few dozen edges. Values are held to +-1e9 first (NaN too), where the
// conversion to Int32 is exact and defined.
constexpr double kPixelLimit = 1e9;

inline Int32 floorToPixel(double v) {
    if (!(v > -kPixelLimit)) return static_cast<Int32>(-kPixelLimit);
    if (!(v < kPixelLimit)) return static_cast<Int32>(kPixelLimit);
    const auto i = static_cast<Int32>(v);  // towards zero
    return v < i ? i - 1 : i;
}

inline Int32 ceilToPixel(double v) {
    if (!(v > -kPixelLimit)) return static_cast<Int32>(-kPixelLimit);
    if (!(v < kPixelLimit)) return static_cast<Int32>(kPixelLimit);
    const auto i = static_cast<Int32>(v);
    return v > i ? i + 1 : i;
}

// The first pixel whose centre lies at or after `edge`.
inline Int32 firstCentreAtOrAfter(double edge) {
    return ceilToPixel(edge - 0.5);
}

// How twips map to the pixels of a window at a given logical DPI.
class PixelMapping {
  public:
    explicit PixelMapping(double dpi = kStandardDpi) : pixelsPerTwip_(dpi / kTwipsPerInch) {}
    double pixelsPerTwip() const { return pixelsPerTwip_; }
    // The pixels whose centres lie inside the rectangle: neighbouring cells
    // share no pixel and leave no gap.
    PixelRect toPixels(const TwipsRect& rect) const;

  private:
    double pixelsPerTwip_;
};

// The window's client area (from the origin) and the picture panel's
// rectangle as the window was designed, at this mapping.
PixelRect designClientArea(const PixelMapping& mapping);
PixelRect designPanelArea(const PixelMapping& mapping);

}  // namespace lightmatrix
