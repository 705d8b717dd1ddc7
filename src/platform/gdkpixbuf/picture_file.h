#pragma once

#include <string>

#include "common/raster.h"

namespace lightmatrix {

// Decodes a picture file with gdk-pixbuf. Transparent parts are laid over
// `background`. Raises CannotLoadPicture for a missing file, one that is not a
// picture, one the decoder rejects, and one larger than kMaxPicturePixels.
Raster loadPictureFile(const std::string& path, Colour background);

}  // namespace lightmatrix
