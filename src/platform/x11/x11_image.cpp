#include "platform/x11/x11_image.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "common/runtime_error.h"

namespace lightmatrix {

namespace {
// Rows per XPutImage: keeps the scratch buffer small on a large area.
constexpr Int32 kStripRows = 64;
}  // namespace

PixelWriter::PixelWriter(Display* display, Visual* visual, int depth)
    : display_(display), visual_(visual), depth_(depth) {
    if (visual->c_class != TrueColor)
        raise(ErrorKind::Platform, "the window's visual is not TrueColor");
    red_ = channelOf(visual->red_mask);
    green_ = channelOf(visual->green_mask);
    blue_ = channelOf(visual->blue_mask);
    rgb888_ =
        visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
}

PixelWriter::Channel PixelWriter::channelOf(unsigned long mask) {
    if (mask == 0) return {};
    return {std::countr_zero(mask), std::popcount(mask)};
}

unsigned long PixelWriter::scale(int value, const Channel& channel) {
    if (channel.bits == 0) return 0;
    // Keep the top bits of an 8-bit value, or widen it by repeating them.
    unsigned long v = static_cast<unsigned long>(value);
    if (channel.bits <= 8)
        v >>= 8 - channel.bits;
    else
        v = (v << (channel.bits - 8)) | (v >> (16 - channel.bits));
    return v << channel.shift;
}

unsigned long PixelWriter::pixelOf(Colour colour) const {
    return scale(redOf(colour), red_) | scale(greenOf(colour), green_) |
           scale(blueOf(colour), blue_);
}

void PixelWriter::put(Drawable drawable, GC gc, const Raster& raster, const PixelRect& area, int dx,
                      int dy) {
    const PixelRect clip = area.intersect(raster.bounds());
    if (clip.empty()) return;
    const auto width = static_cast<unsigned>(clip.right - clip.left);

    for (Int32 top = clip.top; top < clip.bottom; top += kStripRows) {
        const auto rows = static_cast<unsigned>(std::min(kStripRows, clip.bottom - top));
        XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                                     nullptr, width, rows, 32, 0);
        if (image == nullptr) raise(ErrorKind::Platform, "cannot create an X image");
        scratch_.resize((static_cast<std::size_t>(image->bytes_per_line) * rows + 3) / 4);
        image->data = reinterpret_cast<char*>(scratch_.data());

        const bool direct32 =
            image->bits_per_pixel == 32 &&
            image->byte_order == (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
        for (unsigned row = 0; row < rows; ++row) {
            const Int32 y = top + static_cast<Int32>(row);
            const Colour* from =
                raster.pixels.data() +
                static_cast<std::size_t>(y) * static_cast<std::size_t>(raster.width) +
                static_cast<std::size_t>(clip.left);
            if (direct32) {
                std::uint32_t* line =
                    scratch_.data() + static_cast<std::size_t>(row) *
                                          static_cast<std::size_t>(image->bytes_per_line / 4);
                if (rgb888_) {
                    for (unsigned column = 0; column < width; ++column)
                        line[column] = toXrgb(from[column]);
                } else {
                    for (unsigned column = 0; column < width; ++column)
                        line[column] = static_cast<std::uint32_t>(pixelOf(from[column]));
                }
            } else {
                for (unsigned column = 0; column < width; ++column)
                    XPutPixel(image, static_cast<int>(column), static_cast<int>(row),
                              pixelOf(from[column]));
            }
        }
        XPutImage(display_, drawable, gc, image, 0, 0, clip.left + dx, top + dy, width, rows);
        image->data = nullptr;  // the scratch buffer is ours, not Xlib's to free
        XDestroyImage(image);
    }
}

}  // namespace lightmatrix
