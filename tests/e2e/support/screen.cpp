#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "e2e/support/e2e.h"

namespace lightmatrix::e2e {

// The X servers of the tests have 24-bit TrueColor screens, red in bits 16 to 23.
Raster capture(const std::string& display, unsigned long window) {
    std::unique_ptr<Display, int (*)(Display*)> connection(XOpenDisplay(display.c_str()),
                                                           XCloseDisplay);
    if (!connection) throw std::runtime_error("cannot open display " + display);
    Display* d = connection.get();
    const Window target = window != 0 ? window : DefaultRootWindow(d);
    // A window that vanished must not end the test through the default handler.
    auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XWindowAttributes attributes{};
    XImage* image =
        XGetWindowAttributes(d, target, &attributes) && attributes.map_state == IsViewable
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
            shot.at(x, y) = rgb(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
        }
    }
    XDestroyImage(image);
    return shot;
}

LightsSeen inspectLights(const Raster& shot, double dpi, const PixelRect& area) {
    const double s = dpi / 1440.0;  // pixels per twip
    const double radius = 50 * s;
    std::vector<Colour> discs(90 * 120, -1);  // -2: mixed
    LightsSeen seen;
    const PixelRect clip = area.empty() ? shot.bounds() : area.intersect(shot.bounds());
    for (int y = clip.top; y < clip.bottom; ++y) {
        for (int x = clip.left; x < clip.right; ++x) {
            // The cell that holds the pixel's centre, and how far that centre
            // lies from the cell's.
            const int column = static_cast<int>(std::floor((x + 0.5) / s / 100));
            const int row = static_cast<int>(std::floor((y + 0.5) / s / 100));
            const bool inMatrix = column >= 0 && column < 120 && row >= 0 && row < 90;
            const double distance = inMatrix ? std::hypot(x + 0.5 - (column * 100 + 50) * s,
                                                          y + 0.5 - (row * 100 + 50) * s)
                                             : 2 * radius;
            // Pixels whose centres sit right on a disc's edge may go either way.
            if (distance > radius + 0.01) {
                seen.strayPixels += shot.at(x, y) != kBlack;
            } else if (distance <= radius - 0.01) {
                Colour& disc = discs[static_cast<std::size_t>(row * 120 + column)];
                disc = disc == -1 || disc == shot.at(x, y) ? shot.at(x, y) : -2;
            }
        }
    }
    for (std::size_t i = 0; i < discs.size(); ++i) {
        seen.mixedDiscs += discs[i] == -2;
        if (discs[i] > 0) seen.lit[static_cast<Int16>(i + 1)] = discs[i];
    }
    seen.litDiscs = static_cast<int>(seen.lit.size());
    return seen;
}

LightsSeen waitForLights(const std::string& display, int minimum, std::chrono::milliseconds timeout,
                         unsigned long window, double dpi) {
    LightsSeen seen;
    waitUntil(
        [&] {
            try {
                seen = inspectLights(capture(display, window), dpi);
            } catch (const std::runtime_error&) {
                return false;  // not on the screen yet
            }
            return seen.litDiscs >= minimum;
        },
        timeout);
    return seen;
}

int waitForScreen(const std::string& display, const Raster& expected,
                  std::chrono::milliseconds timeout, const std::function<void()>& meanwhile) {
    int off = -1;
    waitUntil(
        [&] {
            if (meanwhile) meanwhile();
            const Raster shot = capture(display);
            off = shot.width == expected.width && shot.height == expected.height ? 0 : -1;
            for (std::size_t i = 0; off >= 0 && i < shot.pixels.size(); ++i)
                off += shot.pixels[i] != expected.pixels[i];
            return off == 0;
        },
        timeout);
    return off;
}

bool everyMonitorCovered(const XServer& server, int minimum, std::chrono::milliseconds timeout) {
    return waitUntil(
        [&] {
            const Raster shot = capture(server.display());
            const LightsSeen seen = inspectLights(shot, 96, server.monitors().front());
            int notBlack = 0;
            for (const PixelRect& other : server.monitors())
                for (Int32 y = other.top; y < other.bottom && other != server.monitors()[0]; ++y)
                    for (Int32 x = other.left; x < other.right; ++x)
                        notBlack += shot.at(x, y) != kBlack;
            return seen.litDiscs >= minimum && seen.strayPixels == 0 && notBlack == 0;
        },
        timeout);
}

std::string writeTranslucentPng(const std::string& directory) {
    const std::string path = directory + "/translucent.png";
    if (run({"convert", "-size", "300x100", "-seed", "7", "xc:", "+noise", "Random", "-alpha",
             "set", "-channel", "A", "-fx", "i/w", "+channel", "PNG32:" + path}) != 0)
        throw std::runtime_error("cannot write " + path);
    return path;
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
