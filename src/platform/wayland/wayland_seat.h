#pragma once

#include <cstdint>
#include <functional>
#include <map>

struct wl_keyboard;
struct wl_pointer;
struct wl_surface;
struct wl_touch;

namespace lightmatrix {

class WaylandConnection;

// The keyboard, the pointer and the touch screen of the compositor's seat,
// as they come and go, reported up: a key pressed, and a mouse button or a
// touch going down or up at a place on a surface. The pointer's motion is
// only followed, never reported.
class WaylandSeat {
  public:
    struct Handlers {
        std::function<void()> key;
        // A button (the left one, or another) or a touch (left) went down or
        // up at (x, y) of `surface`, in the surface's own coordinates.
        std::function<void(wl_surface* surface, double x, double y, bool left, bool down)> button;
    };

    WaylandSeat(WaylandConnection& connection, Handlers handlers);
    WaylandSeat(const WaylandSeat&) = delete;
    WaylandSeat& operator=(const WaylandSeat&) = delete;
    ~WaylandSeat();

    // Takes up the devices the seat has now, and lets go of those it lost;
    // 0 when the seat went.
    void capabilities(std::uint32_t capabilities);
    // `surface` is gone: the pointer and the touches no longer rest on it.
    void forget(wl_surface* surface);

  private:
    struct Touch {
        wl_surface* surface;
        double x;
        double y;
    };

    WaylandConnection& connection_;
    Handlers handlers_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_touch* touch_ = nullptr;
    wl_surface* pointerSurface_ = nullptr;
    double pointerX_ = 0;
    double pointerY_ = 0;
    std::map<std::int32_t, Touch> touches_;
};

}  // namespace lightmatrix
