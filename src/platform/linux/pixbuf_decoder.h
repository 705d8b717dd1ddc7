#pragma once

#include <string>

#include "platform/picture_decoder.h"

namespace lightmatrix {

// Picture files decoded with gdk-pixbuf: PNG, JPEG, GIF, BMP, TIFF, ICO, the
// PNM family and whatever loaders the system adds.
class PixbufDecoder : public PictureDecoder {
  public:
    PixelSize measure(const std::string& path) override;
    RgbaPicture decode(const std::string& path) override;
};

}  // namespace lightmatrix
