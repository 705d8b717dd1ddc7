#include "platform/win32/win32_calls.h"

#include <windows.h>

#include "platform/win32/win32_handles.h"

namespace lightmatrix::win32 {

Int32 Win32User32::GetClientRect(Int32 hwnd, Rect& rect) {
    RECT client{};
    const BOOL done = ::GetClientRect(fromInt32<HWND>(hwnd), &client);
    if (done) rect = {client.left, client.top, client.right, client.bottom};
    return done;
}

Int32 Win32User32::GetWindowLongA(Int32 hwnd, Int32 index) {
    return ::GetWindowLongA(fromInt32<HWND>(hwnd), index);
}

Int32 Win32User32::SetWindowLongA(Int32 hwnd, Int32 index, Int32 value) {
    if (index == GWLP_HWNDPARENT) {
        const LONG_PTR previous =
            ::SetWindowLongPtrA(fromInt32<HWND>(hwnd), GWLP_HWNDPARENT,
                                reinterpret_cast<LONG_PTR>(fromInt32<HWND>(value)));
        return static_cast<Int32>(previous);
    }
    return ::SetWindowLongA(fromInt32<HWND>(hwnd), index, value);
}

Int32 Win32User32::SetParent(Int32 hwnd, Int32 newParent) {
    return toInt32(::SetParent(fromInt32<HWND>(hwnd), fromInt32<HWND>(newParent)));
}

Int32 Win32User32::SetWindowPos(Int32 hwnd, Int32 insertAfter, Int32 x, Int32 y, Int32 cx, Int32 cy,
                                Int32 flags) {
    return ::SetWindowPos(fromInt32<HWND>(hwnd), fromInt32<HWND>(insertAfter), x, y, cx, cy,
                          static_cast<UINT>(flags));
}

Int32 Win32Gdi32::GetPixel(Int32 hdc, Int32 x, Int32 y) {
    const HDC dc = fromInt32<HDC>(hdc);
    // Windows answers CLR_INVALID for a point outside the clip region, a
    // hidden window's whole area included; Wine reads the pixel regardless.
    // Asking PtVisible first gives the same answer on both.
    if (!PtVisible(dc, x, y)) return static_cast<Int32>(CLR_INVALID);
    // COLORREF is 0x00BBGGRR, as a colour value is; CLR_INVALID becomes -1.
    return static_cast<Int32>(::GetPixel(dc, x, y));
}

}  // namespace lightmatrix::win32
