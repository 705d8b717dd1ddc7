#include "platform/wayland/wayland_surface.h"

#include <wayland-client.h>

#include <algorithm>
#include <cmath>

#include "common/constants.h"
#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace lightmatrix {

namespace {

WaylandSurface* surfaceOf(void* data) {
    return static_cast<WaylandSurface*>(data);
}

constexpr std::int32_t kWhole = 120;  // a scale of 1, in the 120ths fractional scales come in

}  // namespace

WaylandSurface::WaylandSurface(WaylandConnection& connection, Owner& owner, wl_output* output,
                               const char* title, bool takesKeyboard)
    : connection_(connection), owner_(owner), madeFor_(output) {
    surface_ = wl_compositor_create_surface(connection.compositor());
    static const wl_surface_listener surfaceListener{
        // A surface retired by its destructor has no user data.
        [](void* self, wl_surface*, wl_output* on) {
            if (self != nullptr)
                surfaceOf(self)->connection_.guard([=] { surfaceOf(self)->entered(on); });
        },
        [](void* self, wl_surface*, wl_output* on) {
            if (self != nullptr)
                surfaceOf(self)->connection_.guard([=] { surfaceOf(self)->left(on); });
        }};
    wl_surface_add_listener(surface_, &surfaceListener, this);

    if (connection.viewporter() != nullptr)
        viewport_ = wp_viewporter_get_viewport(connection.viewporter(), surface_);
    if (connection.fractionalScale() != nullptr && viewport_ != nullptr) {
        fractional_ = wp_fractional_scale_manager_v1_get_fractional_scale(
            connection.fractionalScale(), surface_);
        static const wp_fractional_scale_v1_listener listener{
            [](void* self, wp_fractional_scale_v1*, std::uint32_t scale) {
                surfaceOf(self)->connection_.guard([=] {
                    surfaceOf(self)->preferred120_ = static_cast<std::int32_t>(scale);
                    surfaceOf(self)->owner_.surfaceChanged(*surfaceOf(self));
                });
            }};
        wp_fractional_scale_v1_add_listener(fractional_, &listener, this);
    }

    if (connection.layerShell() != nullptr) {
        layer_ =
            zwlr_layer_shell_v1_get_layer_surface(connection.layerShell(), surface_, output,
                                                  ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "lightmatrix");
        zwlr_layer_surface_v1_set_anchor(
            layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                        ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            layer_, takesKeyboard ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                  : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
        static const zwlr_layer_surface_v1_listener listener{
            [](void* self, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
               std::uint32_t height) {
                zwlr_layer_surface_v1_ack_configure(layer, serial);
                surfaceOf(self)->connection_.guard([=] {
                    surfaceOf(self)->configured(static_cast<Int32>(width),
                                                static_cast<Int32>(height));
                });
            },
            [](void* self, zwlr_layer_surface_v1*) {
                WaylandSurface* s = surfaceOf(self);
                s->connection_.guard([s] { s->owner_.surfaceClosed(*s); });
            }};
        zwlr_layer_surface_v1_add_listener(layer_, &listener, this);
    } else {
        xdgSurface_ = xdg_wm_base_get_xdg_surface(connection.wmBase(), surface_);
        toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
        xdg_toplevel_set_title(toplevel_, title);
        xdg_toplevel_set_app_id(toplevel_, "lightmatrix");
        xdg_toplevel_set_fullscreen(toplevel_, output);
        static const xdg_toplevel_listener toplevelListener{
            [](void* self, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
                surfaceOf(self)->toplevelSize_ = {width, height};
            },
            [](void* self, xdg_toplevel*) {
                WaylandSurface* s = surfaceOf(self);
                s->connection_.guard([s] { s->owner_.surfaceClosed(*s); });
            },
            [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
            [](void*, xdg_toplevel*, wl_array*) {}};
        xdg_toplevel_add_listener(toplevel_, &toplevelListener, this);
        static const xdg_surface_listener surfaceRoleListener{
            [](void* self, xdg_surface* role, std::uint32_t serial) {
                xdg_surface_ack_configure(role, serial);
                WaylandSurface* s = surfaceOf(self);
                s->connection_.guard(
                    [s] { s->configured(s->toplevelSize_.width, s->toplevelSize_.height); });
            }};
        xdg_surface_add_listener(xdgSurface_, &surfaceRoleListener, this);
    }
    // The first commit, with no buffer, asks for the first configure.
    wl_surface_commit(surface_);
}

WaylandSurface::~WaylandSurface() {
    if (frame_ != nullptr) wl_callback_destroy(frame_);
    if (fractional_ != nullptr) wp_fractional_scale_v1_destroy(fractional_);
    if (viewport_ != nullptr) wp_viewport_destroy(viewport_);
    if (layer_ != nullptr) zwlr_layer_surface_v1_destroy(layer_);
    if (toplevel_ != nullptr) xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_ != nullptr) xdg_surface_destroy(xdgSurface_);
    connection_.retire(surface_);
}

// A size of 0 leaves it to the client: that of the output, in the
// compositor's logical coordinates.
void WaylandSurface::configured(Int32 width, Int32 height) {
    if (width <= 0 || height <= 0) {
        const WaylandOutput* on = connection_.find(output());
        if (on == nullptr && !connection_.outputs().empty()) on = &connection_.outputs().front();
        const PixelSize size = on ? on->logicalSize() : PixelSize{1, 1};
        width = std::max(size.width, 1);
        height = std::max(size.height, 1);
    }
    const bool first = !configured_;
    configured_ = true;
    if (!first && logical_ == PixelSize{width, height}) return;
    logical_ = {width, height};
    owner_.surfaceChanged(*this);
}

void WaylandSurface::entered(wl_output* output) {
    // An output the program has let go of already arrives as nullptr.
    if (output == nullptr || connection_.find(output) == nullptr) return;
    std::erase(entered_, output);
    entered_.push_back(output);
    owner_.surfaceChanged(*this);
}

void WaylandSurface::left(wl_output* output) {
    if (output == nullptr || std::erase(entered_, output) == 0) return;
    owner_.surfaceChanged(*this);
}

void WaylandSurface::forget(wl_output* output) {
    std::erase(entered_, output);
    if (madeFor_ == output) madeFor_ = nullptr;
}

wl_output* WaylandSurface::output() const {
    return entered_.empty() ? madeFor_ : entered_.back();
}

// Before the compositor says which output the surface is on, the largest
// scale of those it may be on: a buffer too fine rather than too coarse.
std::int32_t WaylandSurface::scale120() const {
    if (fractional_ != nullptr && preferred120_ > 0) return preferred120_;
    if (const WaylandOutput* on = connection_.find(output())) return on->scale * kWhole;
    std::int32_t largest = 1;
    for (const WaylandOutput& o : connection_.outputs()) largest = std::max(largest, o.scale);
    return largest * kWhole;
}

PixelSize WaylandSurface::bufferSize() const {
    const double scale = scale120() / static_cast<double>(kWhole);
    return {static_cast<Int32>(std::lround(logical_.width * scale)),
            static_cast<Int32>(std::lround(logical_.height * scale))};
}

double WaylandSurface::dpi() const {
    return kStandardDpi * scale120() / kWhole;
}

double WaylandSurface::toBuffer(double surfaceCoordinate) const {
    return surfaceCoordinate * scale120() / kWhole;
}

void WaylandSurface::show(wl_buffer* buffer, const std::vector<PixelRect>& damage, bool frame) {
    const std::int32_t scale = scale120();
    // A fractional scale draws the buffer to the surface's size through the
    // viewport; an integer one tells the compositor the buffer's scale.
    if (fractional_ != nullptr && preferred120_ > 0) {
        wp_viewport_set_destination(viewport_, logical_.width, logical_.height);
        wl_surface_set_buffer_scale(surface_, 1);
    } else {
        wl_surface_set_buffer_scale(surface_, scale / kWhole);
    }
    wl_surface_attach(surface_, buffer, 0, 0);
    for (const PixelRect& area : damage)
        wl_surface_damage_buffer(surface_, area.left, area.top, area.width(), area.height());
    if (frame) addFrameCallback();
    wl_surface_commit(surface_);
    mapped_ = true;
}

void WaylandSurface::stretch(wl_buffer* pixel) {
    wp_viewport_set_destination(viewport_, logical_.width, logical_.height);
    wl_surface_set_buffer_scale(surface_, 1);
    wl_surface_attach(surface_, pixel, 0, 0);
    wl_surface_damage_buffer(surface_, 0, 0, 1, 1);
    wl_surface_commit(surface_);
    mapped_ = true;
}

void WaylandSurface::requestFrame() {
    addFrameCallback();
    wl_surface_commit(surface_);
}

void WaylandSurface::addFrameCallback() {
    if (frame_ != nullptr) return;
    frame_ = wl_surface_frame(surface_);
    static const wl_callback_listener listener{
        [](void* self, wl_callback* callback, std::uint32_t time) {
            wl_callback_destroy(callback);
            WaylandSurface* s = surfaceOf(self);
            s->frame_ = nullptr;
            s->connection_.guard([s, time] { s->owner_.frameDone(*s, time); });
        }};
    wl_callback_add_listener(frame_, &listener, this);
}

}  // namespace lightmatrix
