#include "platform/linux/pixbuf_decoder.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>

#include "common/runtime_error.h"

namespace lightmatrix {

namespace {

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};

[[noreturn]] void cannotLoad(const std::string& path, const std::string& why) {
    raise(ErrorKind::CannotLoadPicture, path + ": " + why);
}

}  // namespace

PixelSize PixbufDecoder::measure(const std::string& path) {
    PixelSize size;
    if (gdk_pixbuf_get_file_info(path.c_str(), &size.width, &size.height) == nullptr)
        cannotLoad(path, "not a picture, or no such file");
    return size;
}

RgbaPicture PixbufDecoder::decode(const std::string& path) {
    GError* rawError = nullptr;
    std::unique_ptr<GdkPixbuf, GObjectUnref> pixbuf(
        gdk_pixbuf_new_from_file(path.c_str(), &rawError));
    std::unique_ptr<GError, GErrorFree> error(rawError);
    if (!pixbuf) cannotLoad(path, error ? error->message : "cannot decode");

    const int channels = gdk_pixbuf_get_n_channels(pixbuf.get());
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf.get());
    if (gdk_pixbuf_get_colorspace(pixbuf.get()) != GDK_COLORSPACE_RGB ||
        gdk_pixbuf_get_bits_per_sample(pixbuf.get()) != 8 || channels < (alpha ? 4 : 3))
        cannotLoad(path, "unsupported pixel layout");

    RgbaPicture picture{
        gdk_pixbuf_get_width(pixbuf.get()), gdk_pixbuf_get_height(pixbuf.get()), {}};
    picture.rgba.resize(static_cast<std::size_t>(picture.width) *
                        static_cast<std::size_t>(picture.height) * 4);
    const guint8* base = gdk_pixbuf_read_pixels(pixbuf.get());
    const auto stride = static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf.get()));
    std::uint8_t* out = picture.rgba.data();
    for (Int32 y = 0; y < picture.height; ++y) {
        const guint8* p = base + static_cast<std::size_t>(y) * stride;
        for (Int32 x = 0; x < picture.width; ++x, p += channels, out += 4) {
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
            out[3] = alpha ? p[3] : 0xFF;
        }
    }
    return picture;
}

}  // namespace lightmatrix
