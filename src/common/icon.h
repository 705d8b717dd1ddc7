#pragma once

#include <array>

#include "common/colour.h"

namespace lightmatrix {

// The program's icon, drawn in code: a display monitor on a stand with a blue
// screen, 32 x 32 pixels, row by row from the top-left. Pixels outside the
// drawing are transparent.
struct IconImage {
    static constexpr int kSize = 32;
    std::array<Colour, kSize * kSize> pixels{};
    std::array<bool, kSize * kSize> opaque{};
};

IconImage drawIcon();

}  // namespace lightmatrix
