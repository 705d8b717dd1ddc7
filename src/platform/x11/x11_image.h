#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "common/colour.h"
#include "common/raster.h"

struct xcb_connection_t;

namespace lightmatrix {

// Sends parts of a raster of colour values to an X drawable of a TrueColor
// visual, converting to the visual's pixel format through a small scratch
// buffer, a strip of rows at a time. Where the server takes 32 bits a pixel
// in this machine's byte order (nearly every display) the requests go
// straight to XCB, and flush() hands them to the server with one write and
// nothing read: Xlib's XFlush also looks for events and replies, a read or
// two each time, which a screen saver that flushes 60 times a second pays
// for.
class PixelWriter {
  public:
    // Raises a Platform run-time error for a visual that is not TrueColor.
    PixelWriter(Display* display, Visual* visual, int depth);
    PixelWriter(const PixelWriter&) = delete;
    PixelWriter& operator=(const PixelWriter&) = delete;

    unsigned long pixelOf(Colour colour) const;

    // Copies `area` of `raster` to the same place on `drawable`, offset by
    // (dx, dy).
    void put(Drawable drawable, GC gc, const Raster& raster, const PixelRect& area, int dx = 0,
             int dy = 0);
    // Fills `area` of `drawable` with `colour`.
    void fill(Drawable drawable, GC gc, const PixelRect& area, Colour colour);
    // Sends what the writer and Xlib hold to the server.
    void flush();

  private:
    struct Channel {
        int shift = 0;
        int bits = 0;
    };
    static Channel channelOf(unsigned long mask);
    static unsigned long scale(int value, const Channel& channel);
    void putThroughXlib(Drawable drawable, GC gc, const Raster& raster, const PixelRect& clip,
                        int dx, int dy);

    Display* display_;
    xcb_connection_t* xcb_;
    Visual* visual_;
    int depth_;
    Channel red_, green_, blue_;
    // Red, green and blue in bits 16, 8 and 0, as nearly every display has them.
    bool rgb888_ = false;
    // The server's images of this depth are 32 bits a pixel in our byte order.
    bool direct32_ = false;
    // The largest request the server takes, in bytes.
    std::size_t maxRequest_ = 0;
    std::vector<std::uint32_t> scratch_;
};

}  // namespace lightmatrix
