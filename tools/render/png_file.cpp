#include "png_file.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>

namespace lightmatrix::render {

std::string writePng(const Raster& raster, const std::string& path) {
    if (raster.width <= 0 || raster.height <= 0) return "the frame is empty";
    std::unique_ptr<GdkPixbuf, decltype(&g_object_unref)> pixbuf(
        gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, raster.width, raster.height), &g_object_unref);
    if (!pixbuf) return "cannot allocate the frame";

    guint8* pixels = gdk_pixbuf_get_pixels(pixbuf.get());
    const auto stride = static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf.get()));
    for (Int32 y = 0; y < raster.height; ++y) {
        guint8* p = pixels + static_cast<std::size_t>(y) * stride;
        for (Int32 x = 0; x < raster.width; ++x, p += 3) {
            const Colour c = raster.at(x, y);
            p[0] = static_cast<guint8>(redOf(c));
            p[1] = static_cast<guint8>(greenOf(c));
            p[2] = static_cast<guint8>(blueOf(c));
        }
    }
    GError* error = nullptr;
    if (!gdk_pixbuf_save(pixbuf.get(), path.c_str(), "png", &error, nullptr)) {
        std::string why = error != nullptr ? error->message : "cannot write " + path;
        if (error != nullptr) g_error_free(error);
        return why;
    }
    return {};
}

}  // namespace lightmatrix::render
