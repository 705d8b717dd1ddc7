#include "platform/win32/win32_picture_panel.h"

#include <algorithm>
#include <utility>

#include "platform/win32/dib_blit.h"
#include "platform/win32/owned_window.h"
#include "platform/win32/wic_picture_file.h"
#include "platform/win32/win32_window.h"

namespace lightmatrix::win32 {

namespace {

constexpr const wchar_t* kClassName = L"LightmatrixPicturePanel";

}  // namespace

Win32PicturePanel::Win32PicturePanel(HINSTANCE instance, Win32Window& window,
                                     HandlerFailure& failure)
    : failure_(failure), face_(static_cast<Colour>(GetSysColor(COLOR_BTNFACE))) {
    registerOwnedClass<Win32PicturePanel>(instance, kClassName, CS_OWNDC);
    // Hidden at start, at no size until the window places it.
    CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, window.hwnd(),
                    nullptr, instance, this);
    if (hwnd_ == nullptr) raise(ErrorKind::Platform, "cannot create the picture panel");
    dc_ = GetDC(hwnd_);
    window.attach(*this);
}

Win32PicturePanel::~Win32PicturePanel() {
    if (hwnd_ == nullptr) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void Win32PicturePanel::place(const PixelMapping& mapping) {
    if (hwnd_ == nullptr) return;
    const PixelRect area = designPanelArea(mapping);
    SetWindowPos(hwnd_, nullptr, area.left, area.top, area.width(), area.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

Picture Win32PicturePanel::load(const std::string& path) {
    return std::make_shared<const Raster>(loadPictureWithWic(path, face_));
}

void Win32PicturePanel::setPicture(Picture picture) {
    picture_ = std::move(picture);
    if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32PicturePanel::setVisible(bool visible) {
    visible_ = visible;
    if (hwnd_ != nullptr) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

RECT Win32PicturePanel::clientSize() const {
    RECT client{};
    if (hwnd_ != nullptr) GetClientRect(hwnd_, &client);
    return client;
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
        // The picture from the top-left corner, the button face where it does
        // not reach.
        const RECT client = clientSize();
        Raster shown(client.right, client.bottom, face_);
        if (picture_)
            for (Int32 y = 0; y < std::min(shown.height, picture_->height); ++y)
                for (Int32 x = 0; x < std::min(shown.width, picture_->width); ++x)
                    shown.at(x, y) = picture_->at(x, y);
        blitRaster(
            dc, shown,
            {paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom},
            scratch_);
    }
    EndPaint(hwnd_, &paint);
}

void Win32PicturePanel::buttonUp(LPARAM position) {
    const bool wasPressed = std::exchange(pressed_, false);
    ReleaseCapture();
    const RECT client = clientSize();
    const POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    const std::function<void()> handler = click_;
    if (wasPressed && PtInRect(&client, at) && handler) handler();
}

LRESULT Win32PicturePanel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            paint();
            return 0;
        // A click: the left button pressed and released on the panel.
        case WM_LBUTTONDOWN:
            pressed_ = true;
            SetCapture(hwnd_);
            return 0;
        case WM_LBUTTONUP:
            buttonUp(lParam);
            return 0;
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

}  // namespace lightmatrix::win32
