#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "e2e/support/e2e.h"

namespace lightmatrix::e2e {

namespace {

// The position of the lowest set bit and the width of a channel mask.
int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const unsigned long value = (pixel & mask) >> shiftOf(mask);
    const unsigned long max = mask >> shiftOf(mask);
    return static_cast<int>(value * 255 / max);
}

}  // namespace

Raster capture(const std::string& display, unsigned long window) {
    std::unique_ptr<Display, int (*)(Display*)> connection(XOpenDisplay(display.c_str()),
                                                           XCloseDisplay);
    if (!connection) throw std::runtime_error("cannot open display " + display);
    Display* d = connection.get();
    const Window target = window != 0 ? window : DefaultRootWindow(d);

    // A window that vanished must not end the test through the default handler.
    auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XWindowAttributes attributes{};
    const Status known = XGetWindowAttributes(d, target, &attributes);
    XImage* image = known != 0 && attributes.map_state == IsViewable
                        ? XGetImage(d, target, 0, 0, static_cast<unsigned>(attributes.width),
                                    static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap)
                        : nullptr;
    XSync(d, False);
    XSetErrorHandler(previous);
    if (image == nullptr) throw std::runtime_error("cannot read window " + std::to_string(target));

    Raster shot(image->width, image->height, kBlack);
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            shot.at(x, y) = rgb(channel(p, image->red_mask), channel(p, image->green_mask),
                                channel(p, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return shot;
}

LightsSeen inspectLights(const Raster& shot, int originX, int originY, double dpi) {
    constexpr int kRows = 90;
    constexpr int kColumns = 120;
    const double s = dpi / 1440.0;  // pixels per twip
    const double radius = 50 * s;

    struct Disc {
        Colour colour = -1;
        bool mixed = false;
        bool lit = false;
    };
    std::vector<Disc> discs(kRows * kColumns);
    LightsSeen seen;

    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const Colour colour = shot.at(x, y);
            // The pixel's centre in twips from the matrix's top-left corner.
            const double tx = (x - originX + 0.5) / s;
            const double ty = (y - originY + 0.5) / s;
            const int column = static_cast<int>(std::floor(tx / 100));
            const int row = static_cast<int>(std::floor(ty / 100));
            const bool inMatrix = column >= 0 && column < kColumns && row >= 0 && row < kRows;
            double distance = 2 * radius;
            if (inMatrix) {
                const double dx = (x + 0.5) - (originX + (column * 100 + 50) * s);
                const double dy = (y + 0.5) - (originY + (row * 100 + 50) * s);
                distance = std::sqrt(dx * dx + dy * dy);
            }
            // Pixels whose centres sit right on a disc's edge may go either way.
            const bool clearlyInside = distance <= radius - 0.01;
            const bool clearlyOutside = distance > radius + 0.01;
            if (clearlyOutside) {
                seen.strayPixels += colour != kBlack;
                continue;
            }
            if (!clearlyInside) continue;
            Disc& disc = discs[static_cast<std::size_t>(row * kColumns + column)];
            if (disc.colour == -1)
                disc.colour = colour;
            else if (disc.colour != colour)
                disc.mixed = true;
        }
    }
    for (const Disc& disc : discs) {
        if (disc.mixed) {
            ++seen.mixedDiscs;
        } else if (disc.colour > 0) {
            ++seen.litDiscs;
            seen.colours.push_back(disc.colour);
        }
    }
    return seen;
}

LightsSeen waitForLights(const std::string& display, int minimum, std::chrono::milliseconds timeout,
                         unsigned long window, double dpi) {
    LightsSeen seen;
    waitUntil(
        [&] {
            try {
                seen = inspectLights(capture(display, window), 0, 0, dpi);
            } catch (const std::runtime_error&) {
                return false;  // not on the screen yet
            }
            return seen.litDiscs >= minimum;
        },
        timeout);
    return seen;
}

bool everyMonitorCovered(const XServer& server, int minimum, std::chrono::milliseconds timeout) {
    return waitUntil(
        [&] {
            const Raster shot = capture(server.display());
            Raster primary(server.width(), server.height(), kBlack);
            for (Int32 y = 0; y < primary.height; ++y)
                for (Int32 x = 0; x < primary.width; ++x) primary.at(x, y) = shot.at(x, y);
            const LightsSeen seen = inspectLights(primary);
            bool othersBlack = true;
            for (std::size_t m = 1; m < server.monitors().size(); ++m) {
                const PixelRect& monitor = server.monitors()[m];
                for (Int32 y = monitor.top; y < monitor.bottom; ++y)
                    for (Int32 x = monitor.left; x < monitor.right; ++x)
                        othersBlack = othersBlack && shot.at(x, y) == kBlack;
            }
            return seen.litDiscs >= minimum && seen.strayPixels == 0 && othersBlack;
        },
        timeout);
}

WindowWatch::WindowWatch(const std::string& display)
    : display_(XOpenDisplay(display.c_str()), XCloseDisplay) {
    if (!display_) throw std::runtime_error("cannot open display " + display);
    XSelectInput(display_.get(), DefaultRootWindow(display_.get()), SubstructureNotifyMask);
    XSync(display_.get(), False);
}

std::pair<int, int> WindowWatch::largestShown() {
    XSync(display_.get(), False);
    for (XEvent event; XPending(display_.get()) > 0;) {
        XNextEvent(display_.get(), &event);
        if (event.type == MapNotify) shown_.insert(event.xmap.window);
        if (event.type != CreateNotify && event.type != ConfigureNotify) continue;
        const bool created = event.type == CreateNotify;
        auto& [width, height] =
            sizes_[created ? event.xcreatewindow.window : event.xconfigure.window];
        width = std::max(width, created ? event.xcreatewindow.width : event.xconfigure.width);
        height = std::max(height, created ? event.xcreatewindow.height : event.xconfigure.height);
    }
    std::pair<int, int> largest{0, 0};
    for (const ::Window window : shown_)
        if (sizes_[window].first * sizes_[window].second > largest.first * largest.second)
            largest = sizes_[window];
    return largest;
}

}  // namespace lightmatrix::e2e
