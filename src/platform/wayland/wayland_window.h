#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/common/composited_window.h"
#include "platform/wayland/shm_buffers.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_surface.h"

namespace lightmatrix {

// The window on Wayland: a surface over the output the compositor chooses,
// drawn at that output's density, with the picture panel drawn over the
// lights, and a black cover over every other output, one that appears
// included. The compositor paces it: the changes reach the screen in a new
// buffer only in answer to a frame callback, and a frame is asked for only
// when something changed.
class WaylandWindow : public CompositedWindow {
  public:
    // `onClosed` runs when the window closes: by the program, or by the
    // compositor closing its surface.
    WaylandWindow(WaylandConnection& connection, std::function<void()> onClosed);
    ~WaylandWindow() override;

    // Makes the full-screen surface and waits for its size.
    void maximise() override;
    // Shows the first frame.
    void show() override;
    bool embedIn(Int32) override { return false; }

    // The compositor's frame callback came, with the frame's time in
    // milliseconds on the compositor's clock.
    std::function<void(std::uint32_t time)> frameDue;
    // Puts what changed since the last frame on the screen, asking for the
    // next frame callback.
    void presentFrame();
    // Asks for a frame callback if something waits to be shown; drops the
    // covers the compositor closed.
    void settle();
    bool waitingForFrame() const;
    // Asks for a frame callback, for the ticks that fell due.
    void askForFrame();

    // A mouse button or a touch on one of the window's surfaces, at (x, y)
    // in the surface's coordinates.
    void button(wl_surface* surface, double x, double y, bool left, bool down);
    // The outputs changed: the density, and the covers, follow.
    void outputsChanged();

  private:
    struct Cover {
        Cover(WaylandConnection& connection, wl_output* on);
        wl_output* output;
        WaylandSurface surface;
        ShmBuffers buffers;
        bool closed = false;
    };

    void screenChanged(Raster& screen, const PixelRect& area) override;
    void fitSurface();
    void coverOutputs();

    WaylandConnection& connection_;
    std::unique_ptr<WaylandSurface> surface_;
    ShmBuffers buffers_;
    std::vector<std::unique_ptr<Cover>> covers_;
    double dpi_ = 0;
};

}  // namespace lightmatrix
