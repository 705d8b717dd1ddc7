#include "platform/web/web_window.h"

#include <emscripten.h>

#include <algorithm>

#include "common/constants.h"
#include "common/runtime_error.h"

namespace lightmatrix {

namespace {

// The canvas, through the page's script (page.js).
EM_JS(int, canvasWidth, (), { return lightmatrixPage.canvas.width; });
EM_JS(int, canvasHeight, (), { return lightmatrixPage.canvas.height; });
EM_JS(void, putPixels, (const void* rgba, int width, int height, int x, int y, int w, int h),
      { lightmatrixPage.putPixels(rgba, width, height, x, y, w, h); });

// A Colour holds red in its low byte and nothing in its top one; in the
// module's little-endian memory, with the top byte set, it reads as the
// canvas's R, G, B, A.
constexpr Colour kOpaque = static_cast<Colour>(0xFF000000u);

void makeOpaque(Raster& raster, const PixelRect& area) {
    for (Int32 y = area.top; y < area.bottom; ++y)
        for (Int32 x = area.left; x < area.right; ++x) raster.at(x, y) |= kOpaque;
}

int blend(int value, int alpha, int under) {
    return (value * alpha + under * (255 - alpha)) / 255;
}

}  // namespace

WebWindow::WebWindow(double dpi, std::function<void()> closed)
    : CompositedWindow(dpi, std::move(closed)), dpi_(dpi) {}

void WebWindow::maximise() {
    resize(canvasWidth(), canvasHeight());
}

void WebWindow::canvasResized(Int32 width, Int32 height, double dpi) {
    resize(width, height);
    // A page zoom, or a move to a screen of another pixel density.
    if (dpi != dpi_) {
        dpi_ = dpi;
        setDpi(dpi);
        if (panel() != nullptr) panel()->place(designPanelArea(mapping()));
    }
    expose(clientArea());
}

void WebWindow::screenChanged(Raster& screen, const PixelRect& area) {
    makeOpaque(screen, area);
    putPixels(screen.pixels.data(), screen.width, screen.height, area.left, area.top, area.width(),
              area.height());
}

WebPicturePanel::WebPicturePanel(WebWindow& window)
    : CompositedPanel(
          window, designPanelArea(window.mapping()),
          [this](const std::string& name, Colour background) { return decode(name, background); }) {
}

std::uint8_t* WebPicturePanel::pictureBuffer(Int32 width, Int32 height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    rgba_ = {};
    const long long pixels = static_cast<long long>(width_) * height_;
    if (pixels == 0 || pixels > kMaxPicturePixels) return nullptr;
    rgba_.resize(static_cast<std::size_t>(pixels) * 4);
    return rgba_.data();
}

Raster WebPicturePanel::decode(const std::string& name, Colour background) {
    if (rgba_.empty()) {
        if (width_ > 0 && height_ > 0)
            raise(ErrorKind::CannotLoadPicture, name + ": picture of " + std::to_string(width_) +
                                                    " x " + std::to_string(height_) +
                                                    " pixels is too large");
        raise(ErrorKind::CannotLoadPicture, name + ": not a picture the browser can decode");
    }
    // Transparent parts are laid over the panel's background, as on the desktop.
    Raster picture(width_, height_, kBlack);
    const std::uint8_t* p = rgba_.data();
    for (Colour& pixel : picture.pixels) {
        pixel = rgb(blend(p[0], p[3], redOf(background)), blend(p[1], p[3], greenOf(background)),
                    blend(p[2], p[3], blueOf(background)));
        p += 4;
    }
    rgba_ = {};
    return picture;
}

}  // namespace lightmatrix
