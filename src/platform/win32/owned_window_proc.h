#pragma once

#include <windows.h>

namespace lightmatrix::win32 {

// The window procedure of a class whose every window belongs to one Owner. The
// owner arrives as the creation parameter and is kept in GWLP_USERDATA; it gets
// every message in handleMessage() until the window's last, WM_NCDESTROY,
// which lets go of the window and its device context. An exception from a handler must not unwind
// through the system's code, so it is kept in the owner's failure_ for the
// message loop to throw again.
template <class Owner>
LRESULT CALLBACK ownedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* owner =
            static_cast<Owner*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        owner->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (owner == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        owner->hwnd_ = nullptr;
        owner->dc_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        return owner->handleMessage(message, wParam, lParam);
    } catch (...) {
        owner->failure_.capture();
        return 0;
    }
}

}  // namespace lightmatrix::win32
