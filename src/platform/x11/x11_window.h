#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "platform/common/dirty_areas.h"
#include "platform/common/raster.h"
#include "platform/common/scene_lights.h"
#include "platform/program.h"
#include "platform/window.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_image.h"

namespace lightmatrix {

class X11PicturePanel;

// The program's window on X11. It keeps its own copy of what it shows, a
// raster drawn from the light scene over the part of the window that the
// lights cover, and sends the server only the cells that changed; on Expose
// it sends the exposed part again from that copy.
//
// Either a window of its own (full screen, or moved into a preview pane), or
// a window given by a screen-saver daemon. The daemon owns input on its
// window, so there the window asks for no key or button events.
class X11Window : public Window, public RepaintSink {
  public:
    // `given` is the daemon's window; None makes a window of our own.
    X11Window(X11Display& display, Program& program, ::Window given);
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;
    ~X11Window() override;

    void connect(const LightScene& scene);

    // Window
    void setBackColor(Colour colour) override;
    Colour backColor() const override { return backColour_; }
    void setMaximized() override;
    void show() override;
    void close() override;
    Int32 handle() const override { return static_cast<Int32>(id_); }
    void onKeyDown(KeyDownHandler handler) override { keyDown_ = std::move(handler); }
    void onMouseDown(MouseDownHandler handler) override { mouseDown_ = std::move(handler); }

    // RepaintSink: remembers the area; flush() draws and sends it.
    void invalidate(const TwipsRect& area) override;
    void flush();

    // The native side, as the preview embedding changes it.
    void setChild(bool child);
    // False when the server refused (a pane that is gone, or on another screen).
    bool reparent(::Window parent);
    void setOwner(::Window ownerWindow);
    // Moves to (x, y) and sizes to width x height, either or both.
    void place(bool move, int x, int y, bool size, int width, int height);
    void map();
    Int32 style;
    Int32 owner = 0;

    void handleEvent(const XEvent& event);

    ::Window id() const { return id_; }
    bool given() const { return given_; }
    bool shown() const { return shown_; }
    int screen() const { return screen_; }
    Visual* visual() const { return visual_; }
    int depth() const { return depth_; }
    // Puts pixels on this window and the windows inside it (same visual).
    PixelWriter& writer() { return *writer_; }
    Int32 clientWidth() const { return clientWidth_; }
    Int32 clientHeight() const { return clientHeight_; }
    const PixelMapping& mapping() const { return mapping_; }
    // When the window first showed its lights on the screen.
    std::optional<std::chrono::steady_clock::time_point> firstFrame() const { return firstFrame_; }

  private:
    void setProperties();
    void setClientSize(int width, int height);
    // Sizes the copy to the client area as far as the lights reach; true if
    // that changed its size (and drew it anew).
    bool fitRaster();
    void redrawAll();
    void fillBackground(const PixelRect& area);
    bool managedByWindowManager();
    void waitForWindowManager(bool managed);
    bool correctEmbedding(const XEvent& event);

    X11Display& display_;
    Program& program_;
    bool given_;
    ::Window id_ = None;
    int screen_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    bool windowManager_ = false;
    PixelMapping mapping_;
    std::unique_ptr<PixelWriter> writer_;
    GC gc_ = nullptr;
    const LightScene* scene_ = nullptr;
    Int32 clientWidth_ = 0;
    Int32 clientHeight_ = 0;
    // The copy covers the client area only as far as lights reach: beyond
    // them the window shows nothing but its background.
    PixelRect extent_;
    Raster raster_;
    Colour backColour_;
    DirtyAreas dirty_;
    bool shown_ = false;
    std::optional<std::chrono::steady_clock::time_point> firstFrame_;
    bool child_ = false;
    // Where the preview put the window. A window manager letting go of it may
    // still move, resize or reparent it a moment later; it goes back.
    ::Window pane_ = None;
    XRectangle placed_{};
    bool placedSet_ = false;
    int corrections_ = 0;
    bool closed_ = false;
    KeyDownHandler keyDown_;
    MouseDownHandler mouseDown_;
};

}  // namespace lightmatrix
