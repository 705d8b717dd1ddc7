#pragma once

#include "common/geometry.h"
#include "common/raster.h"
#include "matrix/layout.h"
#include "matrix/lights.h"

namespace lightmatrix {

// Draws the background over `area` of `raster` and then, in index order, every
// light that meets it, touching only the pixels inside `area`. A light paints
// the pixels whose centres lie inside the circle inscribed in its cell.
void renderArea(const Lights& lights, Colour background, const PixelMapping& mapping,
                const PixelRect& area, Raster& raster);

}  // namespace lightmatrix
