#include "platform/wayland/wayland_seat.h"

#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include "platform/wayland/wayland_connection.h"

namespace lightmatrix {

namespace {

WaylandSeat* seatOf(void* data) {
    return static_cast<WaylandSeat*>(data);
}

// A device is released with its own request from version 3 of the seat on.
template <typename Device>
void letGo(Device* device, void (*release)(Device*), void (*destroy)(Device*)) {
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(device)) >= 3)
        release(device);
    else
        destroy(device);
}

}  // namespace

WaylandSeat::WaylandSeat(WaylandConnection& connection, Handlers handlers)
    : connection_(connection), handlers_(std::move(handlers)) {
    capabilities(connection.seatCapabilities());
}

WaylandSeat::~WaylandSeat() {
    capabilities(0);
}

void WaylandSeat::forget(wl_surface* surface) {
    if (pointerSurface_ == surface) pointerSurface_ = nullptr;
    std::erase_if(touches_,
                  [surface](const auto& touch) { return touch.second.surface == surface; });
}

void WaylandSeat::capabilities(std::uint32_t capabilities) {
    wl_seat* seat = connection_.seat();
    if (seat == nullptr) capabilities = 0;

    const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (hasKeyboard && keyboard_ == nullptr) {
        keyboard_ = wl_seat_get_keyboard(seat);
        static const wl_keyboard_listener listener{
            // The keymap comes as a descriptor that is ours to close.
            [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); },
            [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
            [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
            [](void* self, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
               std::uint32_t state) {
                WaylandSeat* s = seatOf(self);
                if (state == WL_KEYBOARD_KEY_STATE_PRESSED)
                    s->connection_.guard([s] { s->handlers_.key(); });
            },
            [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
               std::uint32_t) {},
            [](void*, wl_keyboard*, std::int32_t, std::int32_t) {}};
        wl_keyboard_add_listener(keyboard_, &listener, this);
    } else if (!hasKeyboard && keyboard_ != nullptr) {
        letGo(keyboard_, &wl_keyboard_release, &wl_keyboard_destroy);
        keyboard_ = nullptr;
    }

    const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (hasPointer && pointer_ == nullptr) {
        pointer_ = wl_seat_get_pointer(seat);
        static const wl_pointer_listener listener{
            [](void* self, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x,
               wl_fixed_t y) {
                WaylandSeat* s = seatOf(self);
                s->pointerSurface_ = surface;
                s->pointerX_ = wl_fixed_to_double(x);
                s->pointerY_ = wl_fixed_to_double(y);
            },
            [](void* self, wl_pointer*, std::uint32_t, wl_surface*) {
                seatOf(self)->pointerSurface_ = nullptr;
            },
            [](void* self, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
                seatOf(self)->pointerX_ = wl_fixed_to_double(x);
                seatOf(self)->pointerY_ = wl_fixed_to_double(y);
            },
            [](void* self, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
               std::uint32_t state) {
                WaylandSeat* s = seatOf(self);
                if (s->pointerSurface_ == nullptr) return;
                s->connection_.guard([s, button, state] {
                    s->handlers_.button(s->pointerSurface_, s->pointerX_, s->pointerY_,
                                        button == BTN_LEFT,
                                        state == WL_POINTER_BUTTON_STATE_PRESSED);
                });
            },
            [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
            [](void*, wl_pointer*) {},
            [](void*, wl_pointer*, std::uint32_t) {},
            [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
            [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
            [](void*, wl_pointer*, std::uint32_t, std::int32_t) {}};
        wl_pointer_add_listener(pointer_, &listener, this);
    } else if (!hasPointer && pointer_ != nullptr) {
        letGo(pointer_, &wl_pointer_release, &wl_pointer_destroy);
        pointer_ = nullptr;
        pointerSurface_ = nullptr;
    }

    const bool hasTouch = (capabilities & WL_SEAT_CAPABILITY_TOUCH) != 0;
    if (hasTouch && touch_ == nullptr) {
        touch_ = wl_seat_get_touch(seat);
        static const wl_touch_listener listener{
            [](void* self, wl_touch*, std::uint32_t, std::uint32_t, wl_surface* surface,
               std::int32_t id, wl_fixed_t x, wl_fixed_t y) {
                WaylandSeat* s = seatOf(self);
                if (surface == nullptr) return;
                const Touch down{surface, wl_fixed_to_double(x), wl_fixed_to_double(y)};
                s->touches_[id] = down;
                s->connection_.guard(
                    [s, down] { s->handlers_.button(down.surface, down.x, down.y, true, true); });
            },
            [](void* self, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t id) {
                WaylandSeat* s = seatOf(self);
                const auto touch = s->touches_.find(id);
                if (touch == s->touches_.end()) return;
                const Touch up = touch->second;
                s->touches_.erase(touch);
                s->connection_.guard(
                    [s, up] { s->handlers_.button(up.surface, up.x, up.y, true, false); });
            },
            [](void* self, wl_touch*, std::uint32_t, std::int32_t id, wl_fixed_t x, wl_fixed_t y) {
                const auto touch = seatOf(self)->touches_.find(id);
                if (touch == seatOf(self)->touches_.end()) return;
                touch->second.x = wl_fixed_to_double(x);
                touch->second.y = wl_fixed_to_double(y);
            },
            [](void*, wl_touch*) {},
            [](void* self, wl_touch*) { seatOf(self)->touches_.clear(); },
            [](void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {},
            [](void*, wl_touch*, std::int32_t, wl_fixed_t) {}};
        wl_touch_add_listener(touch_, &listener, this);
    } else if (!hasTouch && touch_ != nullptr) {
        letGo(touch_, &wl_touch_release, &wl_touch_destroy);
        touch_ = nullptr;
        touches_.clear();
    }
}

}  // namespace lightmatrix
