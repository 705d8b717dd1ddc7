#pragma once

#include <cstdint>
#include <string>

#include "common/colour.h"
#include "common/raster.h"
#include "platform/picture_decoder.h"

namespace lightmatrix {

// The one way from a picture file to what the panel shows, whichever decoder
// reads it: the file's size is asked first and a picture of more than
// kMaxPicturePixels is refused undecoded; then its pixels are laid over the
// panel's `face`. Raises CannotLoadPicture.
Raster loadPicture(PictureDecoder& decoder, const std::string& path, Colour face);

// A straight RGBA pixel over an opaque `under`: each channel is
// (value * alpha + under * (255 - alpha)) / 255, rounded to the nearest.
Colour layOver(const std::uint8_t* rgba, Colour under);

}  // namespace lightmatrix
