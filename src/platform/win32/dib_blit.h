#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/raster.h"

namespace lightmatrix {

// Copies `area` of `raster` to `dc` at the same place, as a top-down 32-bit
// DIB (blue in the low byte). `scratch` holds the DIB's pixels between calls.
void blitRaster(HDC dc, const Raster& raster, const PixelRect& area,
                std::vector<std::uint32_t>& scratch);

}  // namespace lightmatrix
