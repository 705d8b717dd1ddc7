#pragma once

#include "platform/common/dirty_areas.h"
#include "platform/common/raster.h"
#include "platform/common/scene_lights.h"
#include "platform/program.h"
#include "platform/window.h"

namespace lightmatrix {

class MemoryPicturePanel;

// A window that lives in memory: its client area is a raster of pixels at a
// logical DPI, redrawn from the light scene wherever something changed. As in
// a real window, a change only marks its cell; the marked cells are drawn
// before anyone looks at the pixels.
class MemoryWindow : public Window, public RepaintSink {
  public:
    MemoryWindow(Int32 handle, Int32 screenWidth, Int32 screenHeight, double dpi, Program& program);

    void connect(const LightScene& scene, MemoryPicturePanel& panel);

    // Window
    void setBackColor(Colour colour) override;
    Colour backColor() const override { return backColour_; }
    void setMaximized() override;
    void show() override;
    void close() override;
    Int32 handle() const override { return handle_; }
    void onKeyDown(KeyDownHandler handler) override { keyDown_ = std::move(handler); }
    void onMouseDown(MouseDownHandler handler) override { mouseDown_ = std::move(handler); }

    // RepaintSink
    void invalidate(const TwipsRect& area) override;
    // Redraws a part of the client area given in pixels, now.
    void repaintPixels(const PixelRect& area);

    // Input, delivered as the window system would. A press on the shown panel
    // goes to the panel.
    void pressKey(Int16 keyCode, Int16 shift);
    void pressMouse(Int16 button, Int16 shift, Int32 x, Int32 y);

    // The native side: what the user32 calls see and change.
    Int32 style =
        0x16CF0000;  // WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
    Int32 parent = 0;
    Int32 owner = 0;
    Int32 x = 0;
    Int32 y = 0;
    void setClientSize(Int32 width, Int32 height);
    void setVisible(bool visible);

    bool shown() const { return shown_; }
    bool maximized() const { return maximized_; }
    bool closed() const { return closed_; }
    Int32 clientWidth() const { return raster_.width; }
    Int32 clientHeight() const { return raster_.height; }
    const PixelMapping& mapping() const { return mapping_; }
    // Draws what changed since the last time, as a message loop does between
    // two messages.
    void paint() const;
    // The client area's pixels, with every pending change drawn.
    const Raster& raster() const;

  private:
    void draw(const PixelRect& area) const;

    Int32 handle_;
    Int32 screenWidth_;
    Int32 screenHeight_;
    PixelMapping mapping_;
    Program& program_;
    const LightScene* scene_ = nullptr;
    MemoryPicturePanel* panel_ = nullptr;
    // Drawing what is marked changes no state anyone else sees: the pixels
    // are drawn on the way to being read.
    mutable Raster raster_;
    mutable DirtyAreas dirty_;
    Colour backColour_ = 0x00F0F0F0;  // the system's button face until the load step sets it
    bool shown_ = false;
    bool maximized_ = false;
    bool closed_ = false;
    KeyDownHandler keyDown_;
    MouseDownHandler mouseDown_;
};

}  // namespace lightmatrix
