#pragma once

#include <functional>
#include <map>

#include "platform/common/framebuffer_window.h"

namespace lightmatrix {

class MemoryPicturePanel;

// A window in memory, on a screen of a given size and DPI. What the user would
// see is a raster of its client area, the picture panel laid over the lights.
// Preview panes are windows of a host that a test makes and destroys.
class MemoryWindow : public FramebufferWindow {
  public:
    // `closed` runs when the window closes, or goes with its pane.
    MemoryWindow(Int32 screenWidth, Int32 screenHeight, double dpi, std::function<void()> closed);

    void maximise() override;
    void show() override;
    void close() override;
    bool embedIn(Int32 pane) override;

    void attach(const MemoryPicturePanel& panel) { panel_ = &panel; }
    // What the client area shows, every change drawn.
    const Raster& screen();

    // A host's window of `width` x `height` pixels; returns its handle.
    Int32 createPane(Int32 width, Int32 height);
    // Destroying a pane destroys the window with it when it is the pane's child.
    void destroyPane(Int32 pane);

    bool maximised() const { return maximised_; }
    bool closed() const { return closed_; }
    // The pane the window is a child of, or 0.
    Int32 parent() const { return parent_; }

  protected:
    void present(const Raster& frame, const PixelRect& area) override;
    void fill(const PixelRect& area, Colour colour) override;

  private:
    void setClientSize(Int32 width, Int32 height);
    void drawPanel(const PixelRect& area);

    struct Size {
        Int32 width;
        Int32 height;
    };
    Size screenSize_;
    std::function<void()> whenClosed_;
    const MemoryPicturePanel* panel_ = nullptr;
    Raster screen_;
    std::map<Int32, Size> panes_;
    Int32 nextPane_ = 0x0002'0010;
    Int32 parent_ = 0;
    bool maximised_ = false;
    bool closed_ = false;
};

}  // namespace lightmatrix
