#include "platform/wayland/wayland_connection.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/runtime_error.h"
#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace lightmatrix {

namespace {

template <typename Proxy>
Proxy* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
            std::uint32_t offered, std::uint32_t wanted) {
    return static_cast<Proxy*>(
        wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

}  // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return nullptr;
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    // The globals, then what the outputs and the seat tell of themselves.
    connection->roundtrip();
    connection->roundtrip();
    if (connection->compositor == nullptr || connection->shm == nullptr ||
        (connection->layerShell == nullptr && connection->wmBase == nullptr))
        raise(ErrorKind::Platform,
              "the Wayland compositor offers no wl_compositor 4, wl_shm or shell to show a window");
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {
    registry_ = wl_display_get_registry(display_);
    static const wl_registry_listener listener{
        [](void* self, wl_registry* registry, std::uint32_t name, const char* interface,
           std::uint32_t version) {
            static_cast<WaylandConnection*>(self)->global(registry, name, interface, version);
        },
        [](void* self, wl_registry*, std::uint32_t name) {
            static_cast<WaylandConnection*>(self)->globalRemoved(name);
        }};
    wl_registry_add_listener(registry_, &listener, this);
}

WaylandConnection::~WaylandConnection() {
    for (const WaylandOutput& output : outputs_) wl_output_destroy(output.output);
    if (fractionalScale != nullptr) wp_fractional_scale_manager_v1_destroy(fractionalScale);
    if (viewporter != nullptr) wp_viewporter_destroy(viewporter);
    if (layerShell != nullptr) zwlr_layer_shell_v1_destroy(layerShell);
    if (wmBase != nullptr) xdg_wm_base_destroy(wmBase);
    if (seat != nullptr) wl_seat_destroy(seat);
    if (shm != nullptr) wl_shm_destroy(shm);
    if (compositor != nullptr) wl_compositor_destroy(compositor);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

int WaylandConnection::fd() const {
    return wl_display_get_fd(display_);
}

void WaylandConnection::roundtrip() {
    if (wl_display_roundtrip(display_) < 0) fail();
}

void WaylandConnection::fail() const {
    const int error = wl_display_get_error(display_);
    std::uint32_t id = 0;
    const wl_interface* interface = nullptr;
    const std::uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
    if (error == EPROTO)
        raise(ErrorKind::Platform, std::string("the Wayland compositor refused a request of ") +
                                       (interface ? interface->name : "an object") + " (error " +
                                       std::to_string(code) + ")");
    raise(ErrorKind::Platform, std::string("lost the connection to the Wayland compositor") +
                                   (error != 0 ? std::string(": ") + std::strerror(error) : ""));
}

void WaylandConnection::global(wl_registry* registry, std::uint32_t name,
                               const std::string& interface, std::uint32_t version) {
    if (interface == wl_compositor_interface.name && version >= 4)
        compositor = bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
    else if (interface == wl_shm_interface.name)
        shm = bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
    else if (interface == wl_seat_interface.name && seat == nullptr) {
        seat = bind<wl_seat>(registry, name, wl_seat_interface, version, 5);
        static const wl_seat_listener listener{
            [](void* self, wl_seat*, std::uint32_t capabilities) {
                auto* connection = static_cast<WaylandConnection*>(self);
                connection->seatCapabilities = capabilities;
                if (connection->seatChanged) connection->seatChanged();
            },
            [](void*, wl_seat*, const char*) {}};
        wl_seat_add_listener(seat, &listener, this);
    } else if (interface == wl_output_interface.name && version >= 2)
        addOutput(bind<wl_output>(registry, name, wl_output_interface, version, 3), name);
    else if (interface == xdg_wm_base_interface.name) {
        wmBase = bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 2);
        static const xdg_wm_base_listener listener{
            [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
        xdg_wm_base_add_listener(wmBase, &listener, nullptr);
    } else if (interface == zwlr_layer_shell_v1_interface.name)
        layerShell =
            bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version, 4);
    else if (interface == wp_viewporter_interface.name)
        viewporter = bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1);
    else if (interface == wp_fractional_scale_manager_v1_interface.name)
        fractionalScale = bind<wp_fractional_scale_manager_v1>(
            registry, name, wp_fractional_scale_manager_v1_interface, version, 1);
}

void WaylandConnection::addOutput(wl_output* output, std::uint32_t id) {
    outputs_.push_back({output, id});
    static const wl_output_listener listener{
        [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
           const char*, const char*, std::int32_t) {},
        [](void* self, wl_output* changed, std::uint32_t flags, std::int32_t width,
           std::int32_t height, std::int32_t) {
            if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
            for (WaylandOutput& o : static_cast<WaylandConnection*>(self)->outputs_)
                if (o.output == changed) o.width = width, o.height = height;
        },
        &WaylandConnection::describedOutput,
        [](void* self, wl_output* changed, std::int32_t factor) {
            for (WaylandOutput& o : static_cast<WaylandConnection*>(self)->outputs_)
                if (o.output == changed) o.scale = std::max(factor, 1);
        },
        [](void*, wl_output*, const char*) {},
        [](void*, wl_output*, const char*) {}};
    wl_output_add_listener(output, &listener, this);
}

// An output's description ends with `done`: new, or with a new scale.
void WaylandConnection::describedOutput(void* self, wl_output* output) {
    auto* connection = static_cast<WaylandConnection*>(self);
    for (WaylandOutput& o : connection->outputs_)
        if (o.output == output) o.described = true;
    if (connection->outputsChanged) connection->outputsChanged();
}

void WaylandConnection::globalRemoved(std::uint32_t name) {
    const auto gone = std::find_if(outputs_.begin(), outputs_.end(),
                                   [name](const WaylandOutput& o) { return o.id == name; });
    if (gone == outputs_.end()) return;
    if (outputGoing) outputGoing(gone->output);
    wl_output_destroy(gone->output);
    outputs_.erase(gone);
    if (outputsChanged) outputsChanged();
}

const WaylandOutput* WaylandConnection::find(wl_output* output) const {
    for (const WaylandOutput& o : outputs_)
        if (o.output == output) return &o;
    return nullptr;
}

}  // namespace lightmatrix
