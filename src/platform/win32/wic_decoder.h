#pragma once

#include <string>

#include "platform/picture_decoder.h"

namespace lightmatrix {

// Picture files decoded with the Windows Imaging Component, their first frame:
// BMP, PNG, JPEG, GIF, TIFF, ICO and whatever codecs the system adds.
class WicDecoder : public PictureDecoder {
  public:
    PixelSize measure(const std::string& path) override;
    RgbaPicture decode(const std::string& path) override;
};

}  // namespace lightmatrix
