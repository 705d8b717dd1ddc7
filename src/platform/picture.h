#pragma once

#include <cstdint>
#include <vector>

#include "common/checked.h"
#include "common/colour.h"

namespace lightmatrix {

// A decoded picture: opaque pixels, row by row from the top-left.
struct Picture {
    Int32 width = 0;
    Int32 height = 0;
    std::vector<Colour> pixels;

    Colour at(Int32 x, Int32 y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// The largest picture a decoder is asked to hold: 64 megapixels (256 MiB of
// pixels). Anything bigger is refused as a file that cannot be loaded.
constexpr std::int64_t kMaxPicturePixels = 64LL * 1024 * 1024;

}  // namespace lightmatrix
