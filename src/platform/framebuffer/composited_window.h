#pragma once

#include <functional>
#include <memory>

#include "platform/framebuffer/framebuffer_panel.h"
#include "platform/framebuffer/framebuffer_window.h"

namespace lightmatrix {

// A framebuffer window whose screen is a raster the program keeps itself, with
// the picture panel drawn over the lights: the window of a backend that has no
// window system to lay the panel's own window over it (in memory, on the
// page's canvas, and on a Wayland surface).
class CompositedWindow : public FramebufferWindow {
  public:
    // `onClosed` runs when the window closes.
    CompositedWindow(double dpi, std::function<void()> onClosed);

    void show() override;
    void close() override;
    bool closed() const { return closed_; }

  protected:
    // The client area as the screen shows it, as far as it was presented.
    const Raster& screen() {
        fitScreen();
        return screen_;
    }
    // `area` of `screen` changed; the backend may show it, and mark its pixels.
    virtual void screenChanged(Raster& screen, const PixelRect& area) {
        (void)screen;
        (void)area;
    }

    void present(const Raster& frame, const PixelRect& area) override;
    void fill(const PixelRect& area, Colour colour) override;

  private:
    void fitScreen();
    void drawPanel(const PixelRect& area);

    std::function<void()> onClosed_;
    Raster screen_;
    bool closed_ = false;
};

// The picture panel of a composited window: a rectangle of the window without
// a border, drawn over the lights while it is shown.
class CompositedPanel : public FramebufferPanel {
  public:
    CompositedPanel(CompositedWindow& window, const PixelRect& area,
                    std::unique_ptr<PictureDecoder> decoder)
        : FramebufferPanel(window, area, std::move(decoder)) {}

    void place(const PixelRect& area) override;

  private:
    void changed() override { window().expose(area()); }
};

}  // namespace lightmatrix
