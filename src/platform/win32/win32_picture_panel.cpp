#include "platform/win32/win32_picture_panel.h"

#include <algorithm>
#include <utility>

#include "common/constants.h"
#include "platform/win32/owned_window_proc.h"
#include "platform/win32/wic_picture_file.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_window.h"

namespace lightmatrix::win32 {

namespace {

constexpr const wchar_t* kClassName = L"LightmatrixPicture";

void registerClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        raise(ErrorKind::Platform, "cannot register the picture panel's class");
}

}  // namespace

Win32PicturePanel::Win32PicturePanel(HINSTANCE instance, Win32Window& window,
                                     HandlerFailure& failure)
    : failure_(failure), face_(static_cast<Colour>(GetSysColor(COLOR_BTNFACE))) {
    registerClass(instance, ownedWindowProc<Win32PicturePanel>);
    // Hidden at start; window.connect() puts it in place.
    CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, window.hwnd(),
                    nullptr, instance, this);
    if (hwnd_ == nullptr) raise(ErrorKind::Platform, "cannot create the picture panel");
    dc_ = GetDC(hwnd_);
}

Win32PicturePanel::~Win32PicturePanel() {
    if (hwnd_ == nullptr) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void Win32PicturePanel::place(const PixelMapping& mapping) {
    if (hwnd_ == nullptr) return;
    const PixelRect area = designPanelArea(mapping);
    SetWindowPos(hwnd_, nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::shared_ptr<const Picture> Win32PicturePanel::loadPicture(const std::string& path) {
    return std::make_shared<const Picture>(loadPictureWithWic(path, face_));
}

void Win32PicturePanel::setPicture(std::shared_ptr<const Picture> picture) {
    picture_ = std::move(picture);
    if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32PicturePanel::setVisible(bool visible) {
    visible_ = visible;
    if (hwnd_ != nullptr) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

float Win32PicturePanel::scaleWidth() const {
    RECT client{};
    if (hwnd_ != nullptr) GetClientRect(hwnd_, &client);
    return static_cast<float>(client.right);
}

float Win32PicturePanel::scaleHeight() const {
    RECT client{};
    if (hwnd_ != nullptr) GetClientRect(hwnd_, &client);
    return static_cast<float>(client.bottom);
}

Int32 Win32PicturePanel::hDC() const {
    return toInt32(dc_);
}

void Win32PicturePanel::paint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(hwnd_, &paint);
    if (dc != nullptr) {
        // The picture from the top-left corner, the button face where it does
        // not reach.
        RECT client{};
        GetClientRect(hwnd_, &client);
        Raster shown;
        shown.resize(client.right, client.bottom, face_);
        if (picture_)
            for (Int32 y = 0; y < std::min(shown.height, picture_->height); ++y)
                for (Int32 x = 0; x < std::min(shown.width, picture_->width); ++x)
                    shown.at(x, y) = picture_->at(x, y);
        blitArea(dc, shown,
                 {paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom},
                 scratch_);
    }
    EndPaint(hwnd_, &paint);
}

LRESULT Win32PicturePanel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            paint();
            return 0;
        // A click: the left button pressed and released on the panel. The
        // press is the panel's, so the window's mouse-down handler never sees it.
        case WM_LBUTTONDOWN:
            pressed_ = true;
            SetCapture(hwnd_);
            return 0;
        case WM_LBUTTONUP: {
            const bool wasPressed = std::exchange(pressed_, false);
            ReleaseCapture();
            RECT client{};
            GetClientRect(hwnd_, &client);
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            const std::function<void()> handler = click_;
            if (wasPressed && PtInRect(&client, at) && handler) handler();
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

}  // namespace lightmatrix::win32
