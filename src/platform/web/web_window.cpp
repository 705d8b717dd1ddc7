#include "platform/web/web_window.h"

#include <emscripten.h>

#include "common/runtime_error.h"

namespace lightmatrix {

namespace {

// The canvas and the picture the page holds, through the page's script (page.js).
EM_JS(int, canvasWidth, (), { return lightmatrixPage.canvas.width; });
EM_JS(int, canvasHeight, (), { return lightmatrixPage.canvas.height; });
EM_JS(void, putPixels, (const void* rgba, int width, int height, int x, int y, int w, int h),
      { lightmatrixPage.putPixels(rgba, width, height, x, y, w, h); });
EM_JS(int, pictureWidth, (), { return lightmatrixPage.pictureSize()[0]; });
EM_JS(int, pictureHeight, (), { return lightmatrixPage.pictureSize()[1]; });
EM_JS(void, copyPicture, (void* rgba), { lightmatrixPage.copyPicture(rgba); });

// A Colour holds red in its low byte and nothing in its top one; in the
// module's little-endian memory, with the top byte set, it reads as the
// canvas's R, G, B, A.
constexpr Colour kOpaque = static_cast<Colour>(0xFF000000u);

void makeOpaque(Raster& raster, const PixelRect& area) {
    for (Int32 y = area.top; y < area.bottom; ++y)
        for (Int32 x = area.left; x < area.right; ++x) raster.at(x, y) |= kOpaque;
}

}  // namespace

WebWindow::WebWindow(double dpi, std::function<void()> onClosed)
    : CompositedWindow(dpi, std::move(onClosed)), dpi_(dpi) {}

void WebWindow::maximise() {
    resize(canvasWidth(), canvasHeight());
}

void WebWindow::canvasResized(Int32 width, Int32 height, double dpi) {
    resize(width, height);
    if (dpi != dpi_) {
        dpi_ = dpi;
        setDpi(dpi);
    }
    expose(clientArea());
}

void WebWindow::screenChanged(Raster& screen, const PixelRect& area) {
    makeOpaque(screen, area);
    putPixels(screen.pixels.data(), screen.width, screen.height, area.left, area.top, area.width(),
              area.height());
}

PixelSize BrowserDecoder::measure(const std::string& name) {
    const PixelSize size{pictureWidth(), pictureHeight()};
    if (size.width <= 0 || size.height <= 0)
        raise(ErrorKind::CannotLoadPicture, name + ": not a picture the browser can decode");
    return size;
}

RgbaPicture BrowserDecoder::decode(const std::string&) {
    RgbaPicture picture{pictureWidth(), pictureHeight(), {}};
    picture.rgba.resize(static_cast<std::size_t>(picture.width) *
                        static_cast<std::size_t>(picture.height) * 4);
    copyPicture(picture.rgba.data());
    return picture;
}

}  // namespace lightmatrix
