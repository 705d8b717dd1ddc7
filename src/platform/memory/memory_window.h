#pragma once

#include <functional>
#include <map>

#include "platform/framebuffer/composited_window.h"

namespace lightmatrix {

// A window in memory, on a screen of a given size and DPI. What the user would
// see is a raster of its client area, the picture panel laid over the lights.
// Preview panes are windows of a host that a test makes and destroys.
class MemoryWindow : public CompositedWindow {
  public:
    // `onClosed` runs when the window closes, or goes with its pane.
    MemoryWindow(Int32 screenWidth, Int32 screenHeight, double dpi, std::function<void()> onClosed);

    void maximise() override;
    bool embedIn(Int32 pane) override;

    // What the client area shows: what was presented to it.
    using CompositedWindow::screen;

    // A host's window of `width` x `height` pixels; returns its handle.
    Int32 createPane(Int32 width, Int32 height);
    // Destroying a pane destroys the window with it when it is the pane's child.
    void destroyPane(Int32 pane);

    bool maximised() const { return maximised_; }
    // The pane the window is a child of, or 0.
    Int32 parent() const { return parent_; }

  private:
    void setClientSize(Int32 width, Int32 height);

    struct Size {
        Int32 width;
        Int32 height;
    };
    Size screenSize_;
    std::map<Int32, Size> panes_;
    Int32 nextPane_ = 0x0002'0010;
    Int32 parent_ = 0;
    bool maximised_ = false;
};

}  // namespace lightmatrix
