#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wp_fractional_scale_manager_v1;
struct wp_viewporter;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;

namespace lightmatrix {

// One output (a monitor) as the compositor describes it.
struct WaylandOutput {
    wl_output* output = nullptr;
    std::uint32_t id = 0;  // its name in the registry
    std::int32_t scale = 1;
    // Its current mode, in pixels.
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool described = false;  // its description is complete
};

// The connection to the compositor and the globals the program uses:
// wl_compositor, wl_shm, wl_seat and the outputs, xdg_wm_base, and the layer
// shell, the viewporter and fractional scaling where the compositor offers
// them. Outputs may come and go while the program runs.
class WaylandConnection {
  public:
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
    // A Platform run-time error for a lost connection or a refused request.
    [[noreturn]] void fail() const;

    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    xdg_wm_base* wmBase = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScale = nullptr;

    // What the seat has (WL_SEAT_CAPABILITY_*), and what runs when that changes.
    std::uint32_t seatCapabilities = 0;
    std::function<void()> seatChanged;

    const std::list<WaylandOutput>& outputs() const { return outputs_; }
    const WaylandOutput* find(wl_output* output) const;
    // Runs whenever an output is added, takes another scale, or goes.
    std::function<void()> outputsChanged;
    // Runs with an output that is about to go, before it is destroyed.
    std::function<void(wl_output*)> outputGoing;

  private:
    explicit WaylandConnection(wl_display* display);
    void global(wl_registry* registry, std::uint32_t name, const std::string& interface,
                std::uint32_t version);
    void globalRemoved(std::uint32_t name);
    void addOutput(wl_output* output, std::uint32_t id);
    static void describedOutput(void* connection, wl_output* output);

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    std::list<WaylandOutput> outputs_;
};

}  // namespace lightmatrix
