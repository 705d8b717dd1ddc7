#include "idle/wayland_idle.h"

#include <cerrno>
#include <string>

#include "common/runtime_error.h"
#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "platform/wayland/wayland_connection.h"

namespace lightmatrix {

namespace {

WaylandIdle* idleOf(void* data) {
    return static_cast<WaylandIdle*>(data);
}

}  // namespace

WaylandIdle::WaylandIdle(wl_display* display, Listener& listener)
    : display_(display), listener_(listener) {
    registry_ = wl_display_get_registry(display_);
    static const wl_registry_listener registryListener{
        [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
           std::uint32_t) {
            WaylandIdle* self = idleOf(data);
            const std::string offered = interface;
            if (offered == wl_seat_interface.name && self->seat_ == nullptr)
                self->seat_ =
                    static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
            else if (offered == ext_idle_notifier_v1_interface.name)
                self->notifier_ = static_cast<ext_idle_notifier_v1*>(
                    wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
            else if (offered == org_kde_kwin_idle_interface.name)
                self->kdeIdle_ = static_cast<org_kde_kwin_idle*>(
                    wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
        },
        [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry_add_listener(registry_, &registryListener, this);
    roundtrip();
}

WaylandIdle::~WaylandIdle() {
    if (reading_) wl_display_cancel_read(display_);
    if (notification_ != nullptr) ext_idle_notification_v1_destroy(notification_);
    if (kdeTimeout_ != nullptr) org_kde_kwin_idle_timeout_release(kdeTimeout_);
    if (notifier_ != nullptr) ext_idle_notifier_v1_destroy(notifier_);
    if (kdeIdle_ != nullptr) wl_proxy_destroy(reinterpret_cast<wl_proxy*>(kdeIdle_));
    if (seat_ != nullptr) wl_seat_destroy(seat_);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

std::unique_ptr<WaylandIdle> WaylandIdle::connect(Listener& listener) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return nullptr;
    return std::unique_ptr<WaylandIdle>(new WaylandIdle(display, listener));
}

bool WaylandIdle::offers(IdleKind kind) const {
    if (seat_ == nullptr) return false;
    return (kind == IdleKind::ExtIdleNotify && notifier_ != nullptr) ||
           (kind == IdleKind::KdeIdle && kdeIdle_ != nullptr);
}

void WaylandIdle::watch(IdleKind kind, std::chrono::milliseconds after) {
    const auto timeout = static_cast<std::uint32_t>(after.count());
    if (kind == IdleKind::ExtIdleNotify) {
        // Not get_input_idle_notification: the inhibitors hold this one back.
        notification_ = ext_idle_notifier_v1_get_idle_notification(notifier_, timeout, seat_);
        static const ext_idle_notification_v1_listener notificationListener{
            [](void* data, ext_idle_notification_v1*) { idleOf(data)->listener_.idle(); },
            [](void* data, ext_idle_notification_v1*) { idleOf(data)->listener_.active(); }};
        ext_idle_notification_v1_add_listener(notification_, &notificationListener, this);
    } else {
        kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, timeout);
        static const org_kde_kwin_idle_timeout_listener timeoutListener{
            [](void* data, org_kde_kwin_idle_timeout*) { idleOf(data)->listener_.idle(); },
            [](void* data, org_kde_kwin_idle_timeout*) { idleOf(data)->listener_.active(); }};
        org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &timeoutListener, this);
    }
    roundtrip();
}

const char* WaylandIdle::name() const {
    return notification_ != nullptr ? ext_idle_notifier_v1_interface.name
                                    : org_kde_kwin_idle_interface.name;
}

void WaylandIdle::roundtrip() {
    if (wl_display_roundtrip(display_) < 0) fail();
}

// A read is prepared, so that the wait is on a connection with nothing left
// in libwayland's queue.
std::optional<pollfd> WaylandIdle::prepareWait() {
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) fail();
    if (wl_display_prepare_read(display_) != 0) return std::nullopt;
    reading_ = true;
    return pollfd{wl_display_get_fd(display_), POLLIN, 0};
}

void WaylandIdle::dispatch(short revents) {
    if (reading_) {
        reading_ = false;
        if (revents == 0)
            wl_display_cancel_read(display_);
        else if (wl_display_read_events(display_) < 0)
            fail();
    }
    if (wl_display_dispatch_pending(display_) < 0) fail();
}

void WaylandIdle::fail() const {
    raiseConnectionError(display_);
}

}  // namespace lightmatrix
