#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "common/geometry.h"
#include "platform/loop/handler_failure.h"

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct wp_fractional_scale_manager_v1;
struct wp_viewporter;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace lightmatrix {

// One output (a monitor) as the compositor describes it.
struct WaylandOutput {
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    std::uint32_t id = 0;  // its name in the registry
    std::int32_t scale = 1;
    std::int32_t transform = 0;  // WL_OUTPUT_TRANSFORM_*
    PixelSize mode;              // the current mode, in pixels, before the transform
    PixelSize logical;           // as xdg-output tells it; 0 x 0 until it does
    bool described = false;      // its description is complete

    // Its size in the compositor's logical coordinates: what xdg-output tells,
    // else the mode, turned by the transform and divided by the scale.
    PixelSize logicalSize() const;
};

// The connection to the compositor and the globals the program uses:
// wl_compositor, wl_shm, the seat and the outputs, xdg_wm_base, and the
// layer shell, the viewporter, fractional scaling and xdg-output where the
// compositor offers them. Outputs and the seat may come and go while the
// program runs; each is released when its global goes.
//
// libwayland calls the program's listeners from its C code, which an
// exception must not unwind: every listener runs its work through guard(),
// and dispatch() throws what one threw once libwayland has returned.
//
// An object that events name (a surface in a key's leave, an output in a
// surface's enter) is destroyed only once no event read already names it:
// libwayland 1.21 never frees an object destroyed while such an event waits
// in its queue.
class WaylandConnection {
  public:
    // What the connection reports up, to the one listener it has.
    class Listener {
      public:
        virtual ~Listener() = default;
        // An output was added, or its description changed (mode, scale, ...).
        virtual void outputChanged(const WaylandOutput& output) = 0;
        // An output is about to go; its objects are released right after.
        virtual void outputGoing(const WaylandOutput& output) = 0;
        // What the seat has (WL_SEAT_CAPABILITY_*) changed; 0 when it went.
        virtual void seatChanged(std::uint32_t capabilities) = 0;
    };

    // Connects to the compositor that WAYLAND_DISPLAY (or its default)
    // names; nullptr when none answers. Raises a Platform run-time error for
    // a compositor that lacks what every one offers.
    static std::unique_ptr<WaylandConnection> connect();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;
    ~WaylandConnection();

    wl_display* display() const { return display_; }
    int fd() const;
    // Sends what waits to be sent, receives and handles what came, and
    // waits for the compositor to have handled everything sent before.
    void roundtrip();
    // Handles the events read already, destroys what was retired meanwhile,
    // then throws what a listener threw.
    void dispatch();
    // Destroys `surface`, which has no role left, once the events read
    // already have been handled. Its listener must ignore a null user data.
    void retire(wl_surface* surface);
    // A Platform run-time error for a lost connection or a refused request.
    [[noreturn]] void fail() const;

    void listen(Listener* listener) { listener_ = listener; }
    // Runs `work` for one of libwayland's listeners, keeping what it throws.
    template <class Work>
    void guard(Work&& work) noexcept {
        failure_.guard(std::forward<Work>(work));
    }

    wl_compositor* compositor() const { return compositor_; }
    wl_shm* shm() const { return shm_; }
    wl_seat* seat() const { return seat_; }
    std::uint32_t seatCapabilities() const { return seatCapabilities_; }
    xdg_wm_base* wmBase() const { return wmBase_; }
    zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
    wp_viewporter* viewporter() const { return viewporter_; }
    wp_fractional_scale_manager_v1* fractionalScale() const { return fractionalScale_; }

    const std::list<WaylandOutput>& outputs() const { return outputs_; }
    const WaylandOutput* find(wl_output* output) const;

  private:
    explicit WaylandConnection(wl_display* display);
    void global(wl_registry* registry, std::uint32_t name, const std::string& interface,
                std::uint32_t version);
    void globalRemoved(std::uint32_t name);
    void addOutput(wl_output* output, std::uint32_t id);
    void describeLogically(WaylandOutput& output);
    void releaseOutput(WaylandOutput& output);
    void destroyRetired();
    void releaseSeat();
    WaylandOutput* findMutable(const wl_output* output);
    WaylandOutput* findMutable(const zxdg_output_v1* output);
    void outputDone(wl_output* output);

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    HandlerFailure failure_;
    Listener* listener_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::uint32_t seatId_ = 0;
    std::uint32_t seatCapabilities_ = 0;
    xdg_wm_base* wmBase_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    wp_viewporter* viewporter_ = nullptr;
    wp_fractional_scale_manager_v1* fractionalScale_ = nullptr;
    zxdg_output_manager_v1* xdgOutputs_ = nullptr;
    std::list<WaylandOutput> outputs_;
    std::vector<std::function<void()>> retired_;  // destroyed at the next dispatch()
};

// A Platform run-time error for a connection that was lost, or on which the
// compositor refused a request.
[[noreturn]] void raiseConnectionError(wl_display* display);

}  // namespace lightmatrix
