#pragma once

#include "platform/win32_calls.h"
#include "platform/x11/x11_display.h"

namespace lightmatrix {

class X11Window;

// The five user32 calls of preview embedding, carried out on X11 windows:
// the client rectangle from the window's attributes, the child flag, X
// reparenting, the owner as WM_TRANSIENT_FOR, then move, resize and map.
// A handle is an X window id.
class X11User32 : public User32 {
  public:
    X11User32(X11Display& display, X11Window& window) : display_(display), window_(window) {}

    Int32 GetClientRect(Int32 hwnd, Rect& rect) override;
    Int32 GetWindowLongA(Int32 hwnd, Int32 index) override;
    Int32 SetWindowLongA(Int32 hwnd, Int32 index, Int32 value) override;
    Int32 SetParent(Int32 hwnd, Int32 newParent) override;
    Int32 SetWindowPos(Int32 hwnd, Int32 insertAfter, Int32 x, Int32 y, Int32 cx, Int32 cy,
                       Int32 flags) override;

  private:
    bool isOurs(Int32 hwnd) const;

    X11Display& display_;
    X11Window& window_;
    Int32 parent_ = 0;
};

}  // namespace lightmatrix
