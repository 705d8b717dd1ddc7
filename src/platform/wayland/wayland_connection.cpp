#include "platform/wayland/wayland_connection.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/runtime_error.h"
#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace lightmatrix {

namespace {

template <typename Proxy>
Proxy* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
            std::uint32_t offered, std::uint32_t wanted) {
    return static_cast<Proxy*>(
        wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

WaylandConnection* connectionOf(void* data) {
    return static_cast<WaylandConnection*>(data);
}

std::uint32_t versionOf(void* proxy) {
    return wl_proxy_get_version(static_cast<wl_proxy*>(proxy));
}

}  // namespace

PixelSize WaylandOutput::logicalSize() const {
    if (logical.width > 0 && logical.height > 0) return logical;
    // The odd transforms (90, 270 and their flips) turn the mode on its side.
    const bool onItsSide = (transform & 1) != 0;
    const PixelSize turned = onItsSide ? PixelSize{mode.height, mode.width} : mode;
    return {turned.width / scale, turned.height / scale};
}

std::unique_ptr<WaylandConnection> WaylandConnection::connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return nullptr;
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    // The globals, then what the outputs and the seat tell of themselves.
    connection->roundtrip();
    connection->roundtrip();
    if (connection->compositor_ == nullptr || connection->shm_ == nullptr ||
        (connection->layerShell_ == nullptr && connection->wmBase_ == nullptr))
        raise(ErrorKind::Platform,
              "the Wayland compositor offers no wl_compositor 4, wl_shm or shell to show a window");
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {
    registry_ = wl_display_get_registry(display_);
    static const wl_registry_listener listener{
        [](void* self, wl_registry* registry, std::uint32_t name, const char* interface,
           std::uint32_t version) {
            connectionOf(self)->guard(
                [=] { connectionOf(self)->global(registry, name, interface, version); });
        },
        [](void* self, wl_registry*, std::uint32_t name) {
            connectionOf(self)->guard([=] { connectionOf(self)->globalRemoved(name); });
        }};
    wl_registry_add_listener(registry_, &listener, this);
}

WaylandConnection::~WaylandConnection() {
    for (WaylandOutput& output : outputs_) releaseOutput(output);
    releaseSeat();
    // Disconnecting, libwayland frees right what its queue still names.
    destroyRetired();
    if (xdgOutputs_ != nullptr) zxdg_output_manager_v1_destroy(xdgOutputs_);
    if (fractionalScale_ != nullptr) wp_fractional_scale_manager_v1_destroy(fractionalScale_);
    if (viewporter_ != nullptr) wp_viewporter_destroy(viewporter_);
    if (layerShell_ != nullptr) zwlr_layer_shell_v1_destroy(layerShell_);
    if (wmBase_ != nullptr) xdg_wm_base_destroy(wmBase_);
    if (shm_ != nullptr) wl_shm_destroy(shm_);
    if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

int WaylandConnection::fd() const {
    return wl_display_get_fd(display_);
}

void WaylandConnection::roundtrip() {
    if (wl_display_roundtrip(display_) < 0) fail();
    failure_.rethrowIfAny();
}

void WaylandConnection::dispatch() {
    if (wl_display_dispatch_pending(display_) < 0) fail();
    destroyRetired();  // the queue is empty now
    failure_.rethrowIfAny();
}

void WaylandConnection::retire(wl_surface* surface) {
    wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(surface), nullptr);
    retired_.emplace_back([surface] { wl_surface_destroy(surface); });
}

void WaylandConnection::destroyRetired() {
    for (const auto& destroy : retired_) destroy();
    retired_.clear();
}

void WaylandConnection::fail() const {
    raiseConnectionError(display_);
}

void raiseConnectionError(wl_display* display) {
    const int error = wl_display_get_error(display);
    std::uint32_t id = 0;
    const wl_interface* interface = nullptr;
    const std::uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
    if (error == EPROTO)
        raise(ErrorKind::Platform, std::string("the Wayland compositor refused a request of ") +
                                       (interface ? interface->name : "an object") + " (error " +
                                       std::to_string(code) + ")");
    raise(ErrorKind::Platform, std::string("lost the connection to the Wayland compositor") +
                                   (error != 0 ? std::string(": ") + std::strerror(error) : ""));
}

void WaylandConnection::global(wl_registry* registry, std::uint32_t name,
                               const std::string& interface, std::uint32_t version) {
    if (interface == wl_compositor_interface.name && version >= 4) {
        compositor_ = bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
    } else if (interface == wl_shm_interface.name) {
        shm_ = bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
    } else if (interface == wl_seat_interface.name && seat_ == nullptr) {
        seat_ = bind<wl_seat>(registry, name, wl_seat_interface, version, 5);
        seatId_ = name;
        static const wl_seat_listener listener{
            [](void* self, wl_seat*, std::uint32_t capabilities) {
                connectionOf(self)->guard([=] {
                    WaylandConnection* connection = connectionOf(self);
                    connection->seatCapabilities_ = capabilities;
                    if (connection->listener_) connection->listener_->seatChanged(capabilities);
                });
            },
            [](void*, wl_seat*, const char*) {}};
        wl_seat_add_listener(seat_, &listener, this);
    } else if (interface == wl_output_interface.name && version >= 2) {
        addOutput(bind<wl_output>(registry, name, wl_output_interface, version, 3), name);
    } else if (interface == xdg_wm_base_interface.name) {
        wmBase_ = bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 2);
        static const xdg_wm_base_listener listener{
            [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
        xdg_wm_base_add_listener(wmBase_, &listener, nullptr);
    } else if (interface == zwlr_layer_shell_v1_interface.name) {
        layerShell_ =
            bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version, 4);
    } else if (interface == wp_viewporter_interface.name) {
        viewporter_ = bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1);
    } else if (interface == wp_fractional_scale_manager_v1_interface.name) {
        fractionalScale_ = bind<wp_fractional_scale_manager_v1>(
            registry, name, wp_fractional_scale_manager_v1_interface, version, 1);
    } else if (interface == zxdg_output_manager_v1_interface.name && xdgOutputs_ == nullptr) {
        xdgOutputs_ = bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface,
                                                   version, 3);
        for (WaylandOutput& output : outputs_) describeLogically(output);
    }
}

void WaylandConnection::addOutput(wl_output* output, std::uint32_t id) {
    WaylandOutput& added = outputs_.emplace_back();
    added.output = output;
    added.id = id;
    static const wl_output_listener listener{
        [](void* self, wl_output* changed, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
           std::int32_t, const char*, const char*, std::int32_t transform) {
            if (WaylandOutput* o = connectionOf(self)->findMutable(changed))
                o->transform = transform;
        },
        [](void* self, wl_output* changed, std::uint32_t flags, std::int32_t width,
           std::int32_t height, std::int32_t) {
            WaylandOutput* o = connectionOf(self)->findMutable(changed);
            if (o != nullptr && (flags & WL_OUTPUT_MODE_CURRENT) != 0) o->mode = {width, height};
        },
        [](void* self, wl_output* changed) {
            connectionOf(self)->guard([=] { connectionOf(self)->outputDone(changed); });
        },
        [](void* self, wl_output* changed, std::int32_t factor) {
            if (WaylandOutput* o = connectionOf(self)->findMutable(changed))
                o->scale = std::max(factor, 1);
        },
        [](void*, wl_output*, const char*) {},
        [](void*, wl_output*, const char*) {}};
    wl_output_add_listener(output, &listener, this);
    describeLogically(added);
}

// xdg-output tells an output's size in the compositor's logical coordinates,
// which a fractional scale or a transform makes differ from its mode.
void WaylandConnection::describeLogically(WaylandOutput& output) {
    if (xdgOutputs_ == nullptr || output.xdgOutput != nullptr) return;
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputs_, output.output);
    static const zxdg_output_v1_listener listener{
        [](void*, zxdg_output_v1*, std::int32_t, std::int32_t) {},
        [](void* self, zxdg_output_v1* changed, std::int32_t width, std::int32_t height) {
            if (WaylandOutput* o = connectionOf(self)->findMutable(changed))
                o->logical = {width, height};
        },
        // From version 3 on, wl_output.done ends the description instead.
        [](void* self, zxdg_output_v1* changed) {
            connectionOf(self)->guard([=] {
                if (WaylandOutput* o = connectionOf(self)->findMutable(changed))
                    connectionOf(self)->outputDone(o->output);
            });
        },
        [](void*, zxdg_output_v1*, const char*) {}, [](void*, zxdg_output_v1*, const char*) {}};
    zxdg_output_v1_add_listener(output.xdgOutput, &listener, this);
}

// An output's description ends with `done`: new, or with a new mode, scale or transform.
void WaylandConnection::outputDone(wl_output* output) {
    WaylandOutput* o = findMutable(output);
    if (o == nullptr) return;
    o->described = true;
    if (listener_) listener_->outputChanged(*o);
}

void WaylandConnection::globalRemoved(std::uint32_t name) {
    if (name == seatId_ && seat_ != nullptr) {
        if (listener_) listener_->seatChanged(0);
        releaseSeat();
        return;
    }
    const auto gone = std::find_if(outputs_.begin(), outputs_.end(),
                                   [name](const WaylandOutput& o) { return o.id == name; });
    if (gone == outputs_.end()) return;
    // The output leaves the list even if a listener throws.
    std::list<WaylandOutput> going;
    going.splice(going.end(), outputs_, gone);
    struct Release {
        WaylandConnection& connection;
        WaylandOutput& output;
        ~Release() { connection.releaseOutput(output); }
    } release{*this, going.front()};
    if (listener_) listener_->outputGoing(going.front());
}

void WaylandConnection::releaseOutput(WaylandOutput& output) {
    if (output.xdgOutput != nullptr) zxdg_output_v1_destroy(output.xdgOutput);
    wl_output* const gone = output.output;
    retired_.emplace_back([gone] {
        if (versionOf(gone) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
            wl_output_release(gone);
        else
            wl_output_destroy(gone);
    });
    output = {};
}

void WaylandConnection::releaseSeat() {
    if (seat_ == nullptr) return;
    if (versionOf(seat_) >= WL_SEAT_RELEASE_SINCE_VERSION)
        wl_seat_release(seat_);
    else
        wl_seat_destroy(seat_);
    seat_ = nullptr;
    seatId_ = 0;
    seatCapabilities_ = 0;
}

WaylandOutput* WaylandConnection::findMutable(const wl_output* output) {
    for (WaylandOutput& o : outputs_)
        if (o.output == output) return &o;
    return nullptr;
}

WaylandOutput* WaylandConnection::findMutable(const zxdg_output_v1* output) {
    for (WaylandOutput& o : outputs_)
        if (o.xdgOutput == output) return &o;
    return nullptr;
}

const WaylandOutput* WaylandConnection::find(wl_output* output) const {
    if (output == nullptr) return nullptr;
    for (const WaylandOutput& o : outputs_)
        if (o.output == output) return &o;
    return nullptr;
}

}  // namespace lightmatrix
