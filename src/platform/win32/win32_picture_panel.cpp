#include "platform/win32/win32_picture_panel.h"

#include <windowsx.h>

#include "common/constants.h"
#include "platform/win32/dib_blit.h"
#include "platform/win32/owned_window.h"
#include "platform/win32/wic_decoder.h"
#include "platform/win32/win32_window.h"

namespace lightmatrix {

namespace {

constexpr const wchar_t* kClassName = L"LightmatrixPicturePanel";

}  // namespace

Win32PicturePanel::Win32PicturePanel(HINSTANCE instance, Win32Window& window,
                                     HandlerFailure& failure)
    : FramebufferPanel(window, designPanelArea(window.mapping()), std::make_unique<WicDecoder>()),
      failure_(failure),
      input_(window.input()) {
    registerOwnedClass<Win32PicturePanel>(instance, kClassName, CS_OWNDC);
    // Hidden at start.
    const PixelRect& at = area();
    CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, at.left, at.top, at.width(),
                    at.height(), window.hwnd(), nullptr, instance, this);
    if (hwnd_ == nullptr) raise(ErrorKind::Platform, "cannot create the picture panel");
    dc_ = GetDC(hwnd_);
}

Win32PicturePanel::~Win32PicturePanel() {
    if (hwnd_ == nullptr) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void Win32PicturePanel::place(const PixelRect& area) {
    FramebufferPanel::place(area);
    if (hwnd_ != nullptr)
        SetWindowPos(hwnd_, nullptr, area.left, area.top, area.width(), area.height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32PicturePanel::changed() {
    if (hwnd_ == nullptr) return;
    ShowWindow(hwnd_, visible() ? SW_SHOWNA : SW_HIDE);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

Int32 Win32PicturePanel::sample(Int32 x, Int32 y) {
    // Windows reads nothing where the panel is not seen, a hidden window's
    // whole area included; Wine reads the pixel regardless. Asking PtVisible
    // first gives the same answer on both.
    if (dc_ == nullptr || !PtVisible(dc_, x, y)) return kNoPixel;
    // COLORREF is 0x00BBGGRR, as a colour value is; CLR_INVALID is kNoPixel.
    return static_cast<Int32>(GetPixel(dc_, x, y));
}

void Win32PicturePanel::paint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(hwnd_, &paint);
    if (dc != nullptr) {
        const PixelRect dirty{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                              paint.rcPaint.bottom};
        Raster shown(area().width(), area().height(), kButtonFace);
        drawOnto(shown, dirty, 0, 0);
        blitRaster(dc, shown, dirty, scratch_);
    }
    EndPaint(hwnd_, &paint);
}

PixelPoint Win32PicturePanel::onClientArea(LPARAM position) const {
    return {area().left + GET_X_LPARAM(position), area().top + GET_Y_LPARAM(position)};
}

// A click: the left button pressed and released on the panel, the pointer
// captured in between so that the release comes here wherever it happens.
void Win32PicturePanel::pressed(bool left, LPARAM position) {
    input_.buttonPressed(onClientArea(position), left);
    if (left) SetCapture(hwnd_);
}

void Win32PicturePanel::released(bool left, LPARAM position) {
    input_.buttonReleased(onClientArea(position), left);
    if (left && GetCapture() == hwnd_) ReleaseCapture();
}

LRESULT Win32PicturePanel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            paint();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
            pressed(message == WM_LBUTTONDOWN, lParam);
            return message == WM_XBUTTONDOWN ? TRUE : 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP:
            released(message == WM_LBUTTONUP, lParam);
            return message == WM_XBUTTONUP ? TRUE : 0;
        case WM_CAPTURECHANGED:
            // Capture taken away mid-click: no click comes of it.
            if (reinterpret_cast<HWND>(lParam) != hwnd_)
                input_.buttonReleased(FramebufferWindow::kOffWindow, true);
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

}  // namespace lightmatrix
