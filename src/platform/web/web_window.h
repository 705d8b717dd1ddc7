#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/common/framebuffer_panel.h"
#include "platform/common/framebuffer_window.h"

namespace lightmatrix {

class WebPicturePanel;

// The window as the page's <canvas>, which fills the page and is sized in
// device pixels. The shared framebuffer draws the lights; present() sends
// only the areas that changed, as putImageData with a dirty rectangle from an
// ImageData over a copy in the module's memory.
class WebWindow : public FramebufferWindow {
  public:
    // `dpi` is the device pixels per inch at 96 CSS pixels per inch; `closed`
    // runs when the window closes, which ends the program.
    WebWindow(double dpi, std::function<void()> closed);

    // The window always covers the canvas; maximising reads its size.
    void maximise() override;
    void show() override;
    void close() override;
    // A page has no host pane to be embedded in.
    bool embedIn(Int32) override { return false; }

    void attach(WebPicturePanel& panel) { panel_ = &panel; }
    // The canvas took a new size in device pixels, and was cleared.
    void canvasResized(Int32 width, Int32 height, double dpi);
    bool closed() const { return closed_; }

  protected:
    void present(const Raster& frame, const PixelRect& area) override;
    void fill(const PixelRect& area, Colour colour) override;

  private:
    std::function<void()> whenClosed_;
    double dpi_;
    WebPicturePanel* panel_ = nullptr;
    // The frame with the panel laid over it, each pixel opaque: what the
    // canvas gets, as RGBA bytes.
    Raster screen_;
    bool closed_ = false;
};

// The picture panel: a rectangle of the canvas without a border, drawn over
// the lights while it is shown. The browser decodes the pictures: the page
// hands their RGBA pixels over just before the program loads them.
class WebPicturePanel : public FramebufferPanel {
  public:
    explicit WebPicturePanel(WebWindow& window);

    // Where the page writes the RGBA pixels of the next picture, `width` x
    // `height`; nullptr when the panel takes no picture of that size. A
    // size of 0 tells that the browser could not decode the file.
    std::uint8_t* pictureBuffer(Int32 width, Int32 height);
    // Back at the design rectangle, after the window's DPI changed.
    void placeAt(const PixelMapping& mapping);

  private:
    void changed() override { window_.expose(area()); }
    Raster decode(const std::string& name, Colour background);

    WebWindow& window_;
    Int32 width_ = 0;
    Int32 height_ = 0;
    std::vector<std::uint8_t> rgba_;
};

}  // namespace lightmatrix
