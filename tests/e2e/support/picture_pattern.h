#pragma once

// The picture that the picture-panel tests load: by the probe that runs under
// Wine and the test that looks at its screen, and by the X11 test. Every pixel's colour says
// where it is, so a sample taken one pixel off, or a picture placed anywhere
// but the panel's top-left corner, shows.

#include "common/colour.h"

namespace lightmatrix::e2e {

// Larger than the panel (209 x 65 pixels at 96 dpi), which shows only its
// top-left part.
constexpr int kPictureWidth = 300;
constexpr int kPictureHeight = 100;

// Red counts x, green counts y, blue holds the rest of x and is never 0, so
// no pixel is black.
constexpr Colour patternAt(int x, int y) {
    return rgb(x % 256, y % 256, 0x80 + x / 256);
}

}  // namespace lightmatrix::e2e
