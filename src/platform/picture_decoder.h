#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/checked.h"
#include "common/geometry.h"

namespace lightmatrix {

// A picture as a decoder gives it: straight (not premultiplied) RGBA, 8 bits a
// channel, row by row from the top-left.
struct RgbaPicture {
    Int32 width = 0;
    Int32 height = 0;
    std::vector<std::uint8_t> rgba;
};

// What the picture panel needs of a decoder (gdk-pixbuf, the Windows Imaging
// Component, the browser): a picture file's size, then its pixels. Both raise
// CannotLoadPicture for a missing file, one that is no picture, and one that
// cannot be decoded.
class PictureDecoder {
  public:
    virtual ~PictureDecoder() = default;
    // The size of the picture, in pixels, as its file gives it before the
    // pixels: asked first, so that a huge picture is refused undecoded.
    virtual PixelSize measure(const std::string& path) = 0;
    // The whole picture.
    virtual RgbaPicture decode(const std::string& path) = 0;
};

}  // namespace lightmatrix
