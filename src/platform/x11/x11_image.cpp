#include "platform/x11/x11_image.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "common/runtime_error.h"

namespace lightmatrix {

namespace {
// Rows per request: keeps the scratch buffer small on a large area.
constexpr Int32 kStripRows = 64;
// What a PutImage request holds besides its pixels.
constexpr std::size_t kPutImageHeader = 24;

int bitsPerPixelOf(Display* display, int depth) {
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    int bits = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
    if (formats != nullptr) XFree(formats);
    return bits;
}
}  // namespace

PixelWriter::PixelWriter(Display* display, Visual* visual, int depth)
    : display_(display), xcb_(XGetXCBConnection(display)), visual_(visual), depth_(depth) {
    if (visual->c_class != TrueColor)
        raise(ErrorKind::Platform, "the window's visual is not TrueColor");
    red_ = channelOf(visual->red_mask);
    green_ = channelOf(visual->green_mask);
    blue_ = channelOf(visual->blue_mask);
    rgb888_ =
        visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
    direct32_ = bitsPerPixelOf(display, depth) == 32 &&
                ImageByteOrder(display) ==
                    (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
    maxRequest_ = static_cast<std::size_t>(xcb_get_maximum_request_length(xcb_)) * 4;
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
    if (!direct32_) {
        putThroughXlib(drawable, gc, raster, clip, dx, dy);
        return;
    }
    const auto width = static_cast<std::size_t>(clip.width());
    const Int32 stripRows = static_cast<Int32>(
        std::clamp<std::size_t>((maxRequest_ - kPutImageHeader) / (width * 4), 1, kStripRows));
    for (Int32 top = clip.top; top < clip.bottom; top += stripRows) {
        const Int32 rows = std::min(stripRows, clip.bottom - top);
        scratch_.resize(width * static_cast<std::size_t>(rows));
        std::uint32_t* out = scratch_.data();
        for (Int32 y = top; y < top + rows; ++y) {
            const Colour* from = &raster.at(clip.left, y);
            if (rgb888_)
                out = std::transform(from, from + width, out, toXrgb);
            else
                out = std::transform(from, from + width, out, [this](Colour c) {
                    return static_cast<std::uint32_t>(pixelOf(c));
                });
        }
        xcb_put_image(xcb_, XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<xcb_drawable_t>(drawable),
                      static_cast<xcb_gcontext_t>(XGContextFromGC(gc)),
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(rows),
                      static_cast<std::int16_t>(clip.left + dx),
                      static_cast<std::int16_t>(top + dy), 0, static_cast<std::uint8_t>(depth_),
                      static_cast<std::uint32_t>(scratch_.size() * 4),
                      reinterpret_cast<const std::uint8_t*>(scratch_.data()));
    }
}

void PixelWriter::putThroughXlib(Drawable drawable, GC gc, const Raster& raster,
                                 const PixelRect& clip, int dx, int dy) {
    const auto width = static_cast<unsigned>(clip.width());
    for (Int32 top = clip.top; top < clip.bottom; top += kStripRows) {
        const auto rows = static_cast<unsigned>(std::min(kStripRows, clip.bottom - top));
        XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                                     nullptr, width, rows, 32, 0);
        if (image == nullptr) raise(ErrorKind::Platform, "cannot create an X image");
        scratch_.resize((static_cast<std::size_t>(image->bytes_per_line) * rows + 3) / 4);
        image->data = reinterpret_cast<char*>(scratch_.data());
        for (unsigned row = 0; row < rows; ++row)
            for (unsigned column = 0; column < width; ++column)
                XPutPixel(image, static_cast<int>(column), static_cast<int>(row),
                          pixelOf(raster.at(clip.left + static_cast<Int32>(column),
                                            top + static_cast<Int32>(row))));
        XPutImage(display_, drawable, gc, image, 0, 0, clip.left + dx, top + dy, width, rows);
        image->data = nullptr;  // the scratch buffer is ours, not Xlib's to free
        XDestroyImage(image);
    }
}

void PixelWriter::fill(Drawable drawable, GC gc, const PixelRect& area, Colour colour) {
    const std::uint32_t pixel = static_cast<std::uint32_t>(pixelOf(colour));
    const auto context = static_cast<xcb_gcontext_t>(XGContextFromGC(gc));
    xcb_change_gc(xcb_, context, XCB_GC_FOREGROUND, &pixel);
    const xcb_rectangle_t rectangle{
        static_cast<std::int16_t>(area.left), static_cast<std::int16_t>(area.top),
        static_cast<std::uint16_t>(area.width()), static_cast<std::uint16_t>(area.height())};
    xcb_poly_fill_rectangle(xcb_, static_cast<xcb_drawable_t>(drawable), context, 1, &rectangle);
}

// Requests Xlib still holds go to XCB first, when it takes the connection
// for a request of its own; XCB's then go to the server in one write.
void PixelWriter::flush() {
    xcb_flush(xcb_);
}

}  // namespace lightmatrix
