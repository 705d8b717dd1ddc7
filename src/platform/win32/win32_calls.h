#pragma once

#include "platform/win32_calls.h"

namespace lightmatrix::win32 {

// The user32 calls of preview embedding, made for real. The program passes
// handles as 32-bit values; they are widened as LongToHandle does.
class Win32User32 : public User32 {
  public:
    Int32 GetClientRect(Int32 hwnd, Rect& rect) override;
    Int32 GetWindowLongA(Int32 hwnd, Int32 index) override;
    // GWL_HWNDPARENT has no 32-bit form on 64-bit Windows: the owner is set
    // with SetWindowLongPtrA and GWLP_HWNDPARENT, which has the same effect.
    Int32 SetWindowLongA(Int32 hwnd, Int32 index, Int32 value) override;
    Int32 SetParent(Int32 hwnd, Int32 newParent) override;
    Int32 SetWindowPos(Int32 hwnd, Int32 insertAfter, Int32 x, Int32 y, Int32 cx, Int32 cy,
                       Int32 flags) override;
};

// GetPixel, made for real.
class Win32Gdi32 : public Gdi32 {
  public:
    Int32 GetPixel(Int32 hdc, Int32 x, Int32 y) override;
};

}  // namespace lightmatrix::win32
