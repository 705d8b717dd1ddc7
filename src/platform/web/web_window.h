#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/common/composited_window.h"

namespace lightmatrix {

// The window as the page's <canvas>, which fills the page and is sized in
// device pixels. The shared framebuffer draws the lights; present() sends
// only the areas that changed, as putImageData with a dirty rectangle from an
// ImageData over a copy in the module's memory.
class WebWindow : public CompositedWindow {
  public:
    // `dpi` is the device pixels per inch at 96 CSS pixels per inch; `closed`
    // runs when the window closes, which ends the program.
    WebWindow(double dpi, std::function<void()> closed);

    // The window always covers the canvas; maximising reads its size.
    void maximise() override;
    // A page has no host pane to be embedded in.
    bool embedIn(Int32) override { return false; }

    // The canvas took a new size in device pixels, and was cleared.
    void canvasResized(Int32 width, Int32 height, double dpi);

  private:
    // Sends the area to the canvas, its pixels made opaque RGBA bytes.
    void screenChanged(Raster& screen, const PixelRect& area) override;

    double dpi_;
};

// The picture panel: a rectangle of the canvas without a border, drawn over
// the lights while it is shown. The browser decodes the pictures: the page
// hands their RGBA pixels over just before the program loads them.
class WebPicturePanel : public CompositedPanel {
  public:
    explicit WebPicturePanel(WebWindow& window);

    // Where the page writes the RGBA pixels of the next picture, `width` x
    // `height`; nullptr when the panel takes no picture of that size. A
    // size of 0 tells that the browser could not decode the file.
    std::uint8_t* pictureBuffer(Int32 width, Int32 height);

  private:
    Raster decode(const std::string& name, Colour background);

    Int32 width_ = 0;
    Int32 height_ = 0;
    std::vector<std::uint8_t> rgba_;
};

}  // namespace lightmatrix
