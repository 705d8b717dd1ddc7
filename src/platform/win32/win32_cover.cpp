#include "platform/win32/win32_cover.h"

#include "common/runtime_error.h"
#include "platform/win32/owned_window.h"

namespace lightmatrix {

namespace {
constexpr const wchar_t* kClassName = L"LightmatrixCover";
}  // namespace

Win32Cover::Win32Cover(HINSTANCE instance, const RECT& monitor, Colour colour,
                       HandlerFailure& failure, InputReports& input)
    : colour_(colour), failure_(failure), input_(input) {
    registerOwnedClass<Win32Cover>(instance, kClassName);
    // Topmost and without a task-bar button, as the window over its monitor.
    CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, monitor.left,
                    monitor.top, monitor.right - monitor.left, monitor.bottom - monitor.top,
                    nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) raise(ErrorKind::Platform, "cannot cover a monitor");
}

Win32Cover::~Win32Cover() {
    if (hwnd_ == nullptr) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void Win32Cover::show() {
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

LRESULT Win32Cover::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (isPressMessage(message)) {
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
            input_.keyPressed();
        else
            input_.buttonPressed(FramebufferWindow::kOffWindow, message == WM_LBUTTONDOWN);
        return message == WM_XBUTTONDOWN ? TRUE : 0;
    }
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(hwnd_, &client);
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetDCBrushColor(dc, static_cast<COLORREF>(colour_));  // COLORREF is 0x00BBGGRR too
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            return 1;
        }
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

}  // namespace lightmatrix
