#pragma once

#include <windows.h>
#include <windowsx.h>

#include "common/runtime_error.h"
#include "platform/loop/loop.h"

namespace lightmatrix {

// The window procedure of a class whose every window belongs to one Owner. The
// owner arrives as the creation parameter and is kept in GWLP_USERDATA; it gets
// every message in handleMessage() until the window's last, WM_NCDESTROY,
// which lets go of the window and its device context. An exception from a
// handler must not unwind through the system's code, so it is kept in the
// owner's failure_ for the message loop to throw again.
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

// Registers the window class `name`, whose every window belongs to an Owner,
// unless this process did already.
template <class Owner>
void registerOwnedClass(HINSTANCE instance, const wchar_t* name, UINT style = 0,
                        HICON icon = nullptr, HICON smallIcon = nullptr) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = ownedWindowProc<Owner>;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        raise(ErrorKind::Platform, "cannot register a window class");
}

// Whether the message is a key or a mouse button going down, Alt and F10
// (which come as system keys) and the side buttons included.
inline bool isPressMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_LBUTTONDOWN ||
           message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_XBUTTONDOWN;
}

// Reports a key, or a button at the point a press message gives in the
// window's client area.
inline void reportPress(InputReports& input, UINT message, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        input.keyPressed();
    else
        input.buttonPressed({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)},
                            message == WM_LBUTTONDOWN);
}

}  // namespace lightmatrix
