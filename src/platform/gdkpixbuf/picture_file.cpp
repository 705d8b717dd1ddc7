#include "platform/gdkpixbuf/picture_file.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>

#include "common/runtime_error.h"
#include "platform/picture_panel.h"

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

int blend(int value, int alpha, int under) {
    return (value * alpha + under * (255 - alpha)) / 255;
}

}  // namespace

Raster loadPictureFile(const std::string& path, Colour background) {
    // Ask for the size first, so that an absurd one is refused before decoding.
    gint width = 0;
    gint height = 0;
    if (gdk_pixbuf_get_file_info(path.c_str(), &width, &height) == nullptr)
        cannotLoad(path, "not a picture, or no such file");
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kMaxPicturePixels)
        cannotLoad(path, "picture of " + std::to_string(width) + " x " + std::to_string(height) +
                             " pixels is too large");

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

    const Int32 pictureWidth = gdk_pixbuf_get_width(pixbuf.get());
    const Int32 pictureHeight = gdk_pixbuf_get_height(pixbuf.get());
    if (static_cast<std::int64_t>(pictureWidth) * pictureHeight > kMaxPicturePixels)
        cannotLoad(path, "picture is too large");
    Raster picture(pictureWidth, pictureHeight, kBlack);

    const guint8* base = gdk_pixbuf_read_pixels(pixbuf.get());
    const auto stride = static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf.get()));
    std::size_t out = 0;
    for (Int32 y = 0; y < picture.height; ++y) {
        const guint8* p = base + static_cast<std::size_t>(y) * stride;
        for (Int32 x = 0; x < picture.width; ++x, p += channels) {
            int r = p[0], g = p[1], b = p[2];
            if (alpha) {
                r = blend(r, p[3], redOf(background));
                g = blend(g, p[3], greenOf(background));
                b = blend(b, p[3], blueOf(background));
            }
            picture.pixels[out++] = rgb(r, g, b);
        }
    }
    return picture;
}

}  // namespace lightmatrix
