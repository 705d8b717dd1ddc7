#pragma once

#include <functional>
#include <memory>

#include "platform/framebuffer/framebuffer_panel.h"
#include "platform/framebuffer/framebuffer_window.h"

namespace lightmatrix {

// A framebuffer window whose screen is a raster the program keeps itself, with
// the picture panel drawn over the lights: the window of a backend that has no
// window system to lay the panel's own window over it (in memory, and on the
// page's canvas). As a window system would, it gives a button pressed on the
// shown panel, and its release, to the panel, and any other press to the
// window.
class CompositedWindow : public FramebufferWindow {
  public:
    // `onClosed` runs when the window closes.
    CompositedWindow(double dpi, std::function<void()> onClosed);

    void show() override;
    void close() override;
    bool closed() const { return closed_; }

    // A key went down, or a mouse button (the left one, or another) went down
    // or up at (x, y) of the client area; what the handler changed is drawn.
    void keyDown();
    void mouseDown(Int32 x, Int32 y, bool left);
    void mouseUp(Int32 x, Int32 y, bool left);

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
    bool onPanel(Int32 x, Int32 y) const;

    std::function<void()> onClosed_;
    Raster screen_;
    bool closed_ = false;
    // A button went down on the panel, which gets its release too.
    bool panelHoldsButton_ = false;
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
