#pragma once

#include <functional>
#include <string>

#include "platform/framebuffer/composited_window.h"
#include "platform/picture_decoder.h"

namespace lightmatrix {

// The window as the page's <canvas>, which fills the page and is sized in
// device pixels. The shared framebuffer draws the lights; present() sends
// only the areas that changed, as putImageData with a dirty rectangle from an
// ImageData over a copy in the module's memory.
class WebWindow : public CompositedWindow {
  public:
    // `dpi` is the device pixels per inch at 96 CSS pixels per inch;
    // `onClosed` runs when the window closes, which ends the program.
    WebWindow(double dpi, std::function<void()> onClosed);

    // The window always covers the canvas; maximising reads its size.
    void maximise() override;
    // A page has no host pane to be embedded in.
    bool embedIn(Int32) override { return false; }

    // The canvas took a new size in device pixels, and was cleared; a page
    // zoom, or a move to a screen of another density, changes `dpi` too.
    void canvasResized(Int32 width, Int32 height, double dpi);

  private:
    // Sends the area to the canvas, its pixels made opaque RGBA bytes.
    void screenChanged(Raster& screen, const PixelRect& area) override;

    double dpi_;
};

// The browser as a picture decoder: the page decodes the file it was handed
// and holds the picture while the program loads it.
class BrowserDecoder : public PictureDecoder {
  public:
    PixelSize measure(const std::string& name) override;
    RgbaPicture decode(const std::string& name) override;
};

}  // namespace lightmatrix
