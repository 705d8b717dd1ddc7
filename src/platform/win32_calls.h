#pragma once

#include "common/checked.h"

namespace lightmatrix {

struct Rect {
    Int32 left = 0;
    Int32 top = 0;
    Int32 right = 0;
    Int32 bottom = 0;
};

// The user32 calls that embed the window in a preview pane. Handles are
// 32-bit values; results are what the Win32 functions return.
class User32 {
  public:
    virtual ~User32() = default;
    virtual Int32 GetClientRect(Int32 hwnd, Rect& rect) = 0;
    virtual Int32 GetWindowLongA(Int32 hwnd, Int32 index) = 0;
    virtual Int32 SetWindowLongA(Int32 hwnd, Int32 index, Int32 value) = 0;
    virtual Int32 SetParent(Int32 hwnd, Int32 newParent) = 0;
    virtual Int32 SetWindowPos(Int32 hwnd, Int32 insertAfter, Int32 x, Int32 y, Int32 cx, Int32 cy,
                               Int32 flags) = 0;
};

// The gdi32 call that reads the picture panel's pixels.
class Gdi32 {
  public:
    virtual ~Gdi32() = default;
    // The colour value at logical (x, y), or CLR_INVALID outside the clip region.
    virtual Int32 GetPixel(Int32 hdc, Int32 x, Int32 y) = 0;
};

}  // namespace lightmatrix
