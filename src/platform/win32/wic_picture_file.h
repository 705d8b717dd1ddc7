#pragma once

#include <string>

#include "common/raster.h"

namespace lightmatrix::win32 {

// Decodes the first frame of a picture file with the Windows Imaging Component
// (BMP, PNG, JPEG, GIF, TIFF, ICO and whatever codecs the system adds).
// Transparent parts are laid over `background`. Raises CannotLoadPicture for a
// missing file, one that is not a picture or fails to decode, and one larger
// than kMaxPicturePixels.
Raster loadPictureWithWic(const std::string& path, Colour background);

}  // namespace lightmatrix::win32
