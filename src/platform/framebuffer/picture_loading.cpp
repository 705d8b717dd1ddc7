#include "platform/framebuffer/picture_loading.h"

#include "common/constants.h"
#include "common/runtime_error.h"

namespace lightmatrix {

namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    raise(ErrorKind::CannotLoadPicture, path + ": " + why);
}

// No tie can arise: the sum is a whole number and 255 is odd.
int blend(int value, int alpha, int under) {
    return (value * alpha + under * (255 - alpha) + 127) / 255;
}

}  // namespace

Colour layOver(const std::uint8_t* rgba, Colour under) {
    const int alpha = rgba[3];
    return rgb(blend(rgba[0], alpha, redOf(under)), blend(rgba[1], alpha, greenOf(under)),
               blend(rgba[2], alpha, blueOf(under)));
}

Raster loadPicture(PictureDecoder& decoder, const std::string& path, Colour face) {
    const PixelSize size = decoder.measure(path);
    const long long pixels = static_cast<long long>(size.width) * size.height;
    if (size.width <= 0 || size.height <= 0) refuse(path, "the picture has no pixels");
    if (pixels > kMaxPicturePixels)
        refuse(path, "picture of " + std::to_string(size.width) + " x " +
                         std::to_string(size.height) + " pixels is too large");
    const RgbaPicture picture = decoder.decode(path);
    if (picture.width != size.width || picture.height != size.height ||
        picture.rgba.size() != static_cast<std::size_t>(pixels) * 4)
        refuse(path, "the picture decodes to another size than its file gives");

    Raster shown(size.width, size.height, face);
    const std::uint8_t* p = picture.rgba.data();
    for (Colour& pixel : shown.pixels) {
        pixel = layOver(p, face);
        p += 4;
    }
    return shown;
}

}  // namespace lightmatrix
