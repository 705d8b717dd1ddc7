#include "platform/memory/memory_user32.h"

#include "platform/memory/memory_window.h"
#include "platform/win32_constants.h"

namespace lightmatrix {

Int32 MemoryUser32::createPane(Int32 width, Int32 height) {
    const Int32 pane = nextPane_;
    nextPane_ += 0x10;
    panes_[pane] = {width, height};
    return pane;
}

bool MemoryUser32::destroyPane(Int32 pane) {
    panes_.erase(pane);
    // Destroying a window destroys its children with it.
    if (window_.parent != pane || window_.closed()) return false;
    window_.close();
    return true;
}

bool MemoryUser32::isWindow(Int32 hwnd) const {
    return panes_.contains(hwnd) || (hwnd == window_.handle() && !window_.closed());
}

Int32 MemoryUser32::GetClientRect(Int32 hwnd, Rect& rect) {
    calls_.push_back({"GetClientRect", {hwnd}});
    if (const auto pane = panes_.find(hwnd); pane != panes_.end()) {
        rect = {0, 0, pane->second.width, pane->second.height};
        return 1;
    }
    if (hwnd == window_.handle() && !window_.closed()) {
        rect = {0, 0, window_.clientWidth(), window_.clientHeight()};
        return 1;
    }
    return 0;
}

Int32 MemoryUser32::GetWindowLongA(Int32 hwnd, Int32 index) {
    calls_.push_back({"GetWindowLongA", {hwnd, index}});
    if (hwnd != window_.handle()) return 0;
    if (index == GWL_STYLE) return window_.style;
    if (index == GWL_HWNDPARENT) return window_.owner;
    return 0;
}

Int32 MemoryUser32::SetWindowLongA(Int32 hwnd, Int32 index, Int32 value) {
    calls_.push_back({"SetWindowLongA", {hwnd, index, value}});
    if (hwnd != window_.handle()) return 0;
    Int32 previous = 0;
    if (index == GWL_STYLE) {
        previous = window_.style;
        window_.style = value;
    } else if (index == GWL_HWNDPARENT) {
        previous = window_.owner;
        window_.owner = isWindow(value) ? value : 0;
    }
    return previous;
}

Int32 MemoryUser32::SetParent(Int32 hwnd, Int32 newParent) {
    calls_.push_back({"SetParent", {hwnd, newParent}});
    if (hwnd != window_.handle() || (newParent != 0 && !isWindow(newParent))) return 0;
    const Int32 previous = window_.parent;
    window_.parent = newParent;
    return previous;
}

Int32 MemoryUser32::SetWindowPos(Int32 hwnd, Int32 insertAfter, Int32 x, Int32 y, Int32 cx,
                                 Int32 cy, Int32 flags) {
    calls_.push_back({"SetWindowPos", {hwnd, insertAfter, x, y, cx, cy, flags}});
    if (hwnd != window_.handle()) return 0;
    constexpr Int32 kNoMove = 0x0002;
    constexpr Int32 kNoSize = 0x0001;
    if ((flags & kNoMove) == 0) {
        window_.x = x;
        window_.y = y;
    }
    if ((flags & kNoSize) == 0) window_.setClientSize(cx, cy);
    if ((flags & SWP_SHOWWINDOW) != 0) window_.setVisible(true);
    return 1;
}

}  // namespace lightmatrix
