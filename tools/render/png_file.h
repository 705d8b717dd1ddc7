#pragma once

#include <string>

#include "common/raster.h"

namespace lightmatrix::render {

// Writes the raster as an 8-bit RGB PNG through gdk-pixbuf. Returns an empty
// string on success, else what went wrong.
std::string writePng(const Raster& raster, const std::string& path);

}  // namespace lightmatrix::render
