#pragma once

#include <cstdint>
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
// offers the layer shell, else a full-screen xdg toplevel. It goes on the
// output it is made for, or, for none, on the one the compositor chooses. A
// layer surface that takes the keyboard takes it from every other surface;
// one that does not takes none.
//
// Its buffers are at the output's density: the output's integer scale, or,
// where the compositor offers fractional scaling and a viewporter, the
// fractional scale it prefers for the surface.
class WaylandSurface {
  public:
    // What a surface reports up. Each runs inside one of libwayland's
    // listeners, through the connection's guard.
    class Owner {
      public:
        virtual ~Owner() = default;
        // Its size, the output it is on or its scale changed.
        virtual void surfaceChanged(WaylandSurface& surface) = 0;
        // The compositor closed it for good (a layer surface whose output
        // went or that it will not show), or was asked to close it (a
        // toplevel). The owner may destroy it here.
        virtual void surfaceClosed(WaylandSurface& surface) = 0;
        // The frame callback asked for came: a good time to draw. With the
        // frame's time in milliseconds, on the compositor's clock.
        virtual void frameDone(WaylandSurface& surface, std::uint32_t time) = 0;
    };

    WaylandSurface(WaylandConnection& connection, Owner& owner, wl_output* output,
                   const char* title, bool takesKeyboard);
    WaylandSurface(const WaylandSurface&) = delete;
    WaylandSurface& operator=(const WaylandSurface&) = delete;
    ~WaylandSurface();

    wl_surface* surface() const { return surface_; }
    // A layer surface, or else a toplevel.
    bool layered() const { return layer_ != nullptr; }
    // The compositor has given it its size; it shows a buffer.
    bool configured() const { return configured_; }
    bool mapped() const { return mapped_; }
    // The size in the surface's coordinates and in buffer pixels, and the
    // scale as pixels per logical inch.
    PixelSize logicalSize() const { return logical_; }
    PixelSize bufferSize() const;
    double dpi() const;
    // A position in the surface's coordinates, in buffer pixels.
    double toBuffer(double surfaceCoordinate) const;
    // The output it is on (the one it entered last and has not left), else
    // the one it was made for; nullptr when neither is known.
    wl_output* output() const;
    wl_output* madeFor() const { return madeFor_; }
    // `output` goes: the surface no longer refers to it.
    void forget(wl_output* output);

    // Shows `buffer` (of bufferSize()), whose `damage` changed, and asks
    // for a frame callback if `frame`.
    void show(wl_buffer* buffer, const std::vector<PixelRect>& damage, bool frame);
    // Shows `pixel`, a buffer of one pixel, stretched over the whole surface
    // by the viewporter, which the compositor must offer.
    void stretch(wl_buffer* pixel);
    // Asks for a frame callback, the buffer shown as it is.
    void requestFrame();
    bool framePending() const { return frame_ != nullptr; }

  private:
    void configured(Int32 width, Int32 height);
    void entered(wl_output* output);
    void left(wl_output* output);
    std::int32_t scale120() const;
    void addFrameCallback();

    WaylandConnection& connection_;
    Owner& owner_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    wp_viewport* viewport_ = nullptr;
    wp_fractional_scale_v1* fractional_ = nullptr;
    wl_callback* frame_ = nullptr;
    wl_output* madeFor_;
    std::vector<wl_output*> entered_;  // in the order entered
    // What the compositor said: the size in surface coordinates, the
    // preferred fractional scale in 120ths (0: none).
    PixelSize logical_;
    PixelSize toplevelSize_;
    std::int32_t preferred120_ = 0;
    bool configured_ = false;
    bool mapped_ = false;
};

}  // namespace lightmatrix
