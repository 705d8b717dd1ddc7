#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "common/geometry.h"
#include "platform/wayland/wayland_connection.h"

struct wl_buffer;
struct wl_callback;
struct wl_surface;
struct wp_fractional_scale_v1;
struct wp_viewport;
struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_surface_v1;

namespace lightmatrix {

// A surface that covers one output from edge to edge, above everything: an
// overlay layer surface, anchored to all four edges, where the compositor
// offers the layer shell, else a full-screen xdg toplevel. It goes on
// `output`, or, for none, on the output the compositor chooses.
//
// Its buffers are at the output's density: the output's integer scale, or,
// where the compositor offers fractional scaling and a viewporter, the
// fractional scale it prefers for the surface.
class WaylandSurface {
  public:
    // `closed` runs when the compositor closes the surface.
    WaylandSurface(WaylandConnection& connection, wl_output* output, const char* title,
                   std::function<void()> closed);
    WaylandSurface(const WaylandSurface&) = delete;
    WaylandSurface& operator=(const WaylandSurface&) = delete;
    ~WaylandSurface();

    wl_surface* surface() const { return surface_; }
    // Round trips until the compositor has given the surface its size.
    void awaitSize();
    // The size in buffer pixels, and the scale as pixels per logical inch.
    PixelSize bufferSize() const;
    double dpi() const;
    // A position in the surface's coordinates, in buffer pixels.
    double toBuffer(double surfaceCoordinate) const;
    // The output it is on; nullptr until the compositor tells.
    wl_output* output() const { return output_; }

    // Shows `buffer` (of bufferSize()), whose `damage` changed, and asks
    // for a frame callback if `frame`.
    void show(wl_buffer* buffer, const std::vector<PixelRect>& damage, bool frame);
    // Asks for a frame callback, the buffer shown as it is.
    void requestFrame();
    bool framePending() const { return frame_ != nullptr; }

    // The compositor's frame callback came: a good time to draw. With the
    // frame's time in milliseconds, on the compositor's clock.
    std::function<void(std::uint32_t time)> frameDone;
    // Its size, its output or its scale changed.
    std::function<void()> changed;

  private:
    void configured(Int32 width, Int32 height);
    std::int32_t scale120() const;
    void askForFrame();

    WaylandConnection& connection_;
    std::function<void()> closed_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    wp_viewport* viewport_ = nullptr;
    wp_fractional_scale_v1* fractional_ = nullptr;
    wl_callback* frame_ = nullptr;
    wl_output* wanted_;
    wl_output* output_ = nullptr;
    // What the compositor said: the size in surface coordinates, the
    // preferred fractional scale in 120ths (0: none).
    PixelSize logical_;
    PixelSize toplevelSize_;
    std::int32_t preferred120_ = 0;
    bool configured_ = false;
};

}  // namespace lightmatrix
