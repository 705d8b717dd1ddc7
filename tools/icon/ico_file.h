#pragma once

#include <cstdint>
#include <vector>

#include "common/icon.h"

namespace lightmatrix::icon_tool {

// The icon as a Windows .ico file: one image, 32 x 32 pixels in 24-bit
// colour, with the mask that makes the pixels outside the drawing transparent.
std::vector<std::uint8_t> encodeIco(const IconImage& icon);

}  // namespace lightmatrix::icon_tool
