#include "platform/x11/x11_user32.h"

#include "platform/win32_constants.h"
#include "platform/x11/x11_window.h"

namespace lightmatrix {

namespace {
constexpr Int32 SWP_NOSIZE = 0x0001;
constexpr Int32 SWP_NOMOVE = 0x0002;

::Window xid(Int32 hwnd) {
    return static_cast<::Window>(static_cast<std::uint32_t>(hwnd));
}
}  // namespace

bool X11User32::isOurs(Int32 hwnd) const {
    return hwnd == window_.handle();
}

Int32 X11User32::GetClientRect(Int32 hwnd, Rect& rect) {
    XWindowAttributes attributes{};
    ErrorTrap trap(display_);
    // A handle that names no window, or not an X window id at all.
    if (hwnd <= 0 || !XGetWindowAttributes(display_.get(), xid(hwnd), &attributes) || trap.failed())
        return 0;
    rect = {0, 0, attributes.width, attributes.height};
    return 1;
}

Int32 X11User32::GetWindowLongA(Int32 hwnd, Int32 index) {
    if (!isOurs(hwnd)) return 0;
    if (index == GWL_STYLE) return window_.style;
    if (index == GWL_HWNDPARENT) return window_.owner;
    return 0;
}

Int32 X11User32::SetWindowLongA(Int32 hwnd, Int32 index, Int32 value) {
    if (!isOurs(hwnd)) return 0;
    Int32 previous = 0;
    if (index == GWL_STYLE) {
        previous = window_.style;
        window_.style = value;
        window_.setChild((value & WS_CHILD) != 0);
    } else if (index == GWL_HWNDPARENT) {
        previous = window_.owner;
        window_.owner = value;
        window_.setOwner(xid(value));
    }
    return previous;
}

Int32 X11User32::SetParent(Int32 hwnd, Int32 newParent) {
    if (!isOurs(hwnd) || newParent < 0) return 0;
    if (!window_.reparent(xid(newParent))) return 0;
    const Int32 previous = parent_;
    parent_ = newParent;
    return previous;
}

Int32 X11User32::SetWindowPos(Int32 hwnd, Int32 /*insertAfter*/, Int32 x, Int32 y, Int32 cx,
                              Int32 cy, Int32 flags) {
    if (!isOurs(hwnd)) return 0;
    // The window is neither raised (SWP_NOZORDER) nor given the keyboard
    // (SWP_NOACTIVATE) here: a preview takes nothing from its host.
    const bool move = (flags & SWP_NOMOVE) == 0;
    const bool size = (flags & SWP_NOSIZE) == 0;
    if (move || size) window_.place(move, x, y, size, cx, cy);
    if ((flags & SWP_SHOWWINDOW) != 0) window_.map();
    return 1;
}

}  // namespace lightmatrix
