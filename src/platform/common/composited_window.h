#pragma once

#include <functional>

#include "platform/common/framebuffer_panel.h"
#include "platform/common/framebuffer_window.h"

namespace lightmatrix {

class CompositedPanel;

// A framebuffer window whose screen is a raster the program keeps itself, with
// the picture panel drawn over the lights: the window of a backend that has no
// window system to lay the panel's own window over it (in memory, and on the
// page's canvas). As a window system would, it gives a press on the shown
// panel to the panel and any other to the window.
class CompositedWindow : public FramebufferWindow {
  public:
    // `closed` runs when the window closes.
    CompositedWindow(double dpi, std::function<void()> closed);

    void show() override;
    void close() override;
    bool closed() const { return closed_; }

    void attach(CompositedPanel& panel) { panel_ = &panel; }
    // A key went down, or a mouse button at (x, y) of the client area; what
    // the handler changed is drawn.
    void keyDown();
    void mouseDown(Int32 x, Int32 y);

  protected:
    // The client area as the screen shows it, as far as it was presented.
    const Raster& screen() {
        fitScreen();
        return screen_;
    }
    CompositedPanel* panel() const { return panel_; }
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

    std::function<void()> whenClosed_;
    CompositedPanel* panel_ = nullptr;
    Raster screen_;
    bool closed_ = false;
};

// The picture panel of a composited window: a rectangle of the window without
// a border, drawn over the lights while it is shown.
class CompositedPanel : public FramebufferPanel {
  public:
    CompositedPanel(CompositedWindow& window, const PixelRect& area, Decoder decode);

  private:
    void changed() override { window_.expose(area()); }

    CompositedWindow& window_;
};

}  // namespace lightmatrix
