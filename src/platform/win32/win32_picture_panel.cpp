#include "platform/win32/win32_picture_panel.h"

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

void fill(HDC dc, LONG left, LONG top, LONG right, LONG bottom, HBRUSH brush) {
    if (right <= left || bottom <= top) return;
    const RECT area{left, top, right, bottom};
    FillRect(dc, &area, brush);
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
    const PixelRect area =
        mapping.toPixels({kPanelLeftTwips, kPanelTopTwips, kPanelLeftTwips + kPanelWidthTwips,
                          kPanelTopTwips + kPanelHeightTwips});
    SetWindowPos(hwnd_, nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::shared_ptr<const Picture> Win32PicturePanel::loadPicture(const std::string& path) {
    return std::make_shared<const Picture>(loadPictureWithWic(path, face_));
}

void Win32PicturePanel::setPicture(std::shared_ptr<const Picture> picture) {
    pictureWidth_ = picture ? picture->width : 0;
    pictureHeight_ = picture ? picture->height : 0;
    pictureBits_.resize(picture ? picture->pixels.size() : 0);
    for (std::size_t i = 0; i < pictureBits_.size(); ++i) {
        const auto c = static_cast<std::uint32_t>(picture->pixels[i]);
        pictureBits_[i] = ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }
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
        RECT client{};
        GetClientRect(hwnd_, &client);
        if (!pictureBits_.empty()) {
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            info.bmiHeader.biWidth = pictureWidth_;
            info.bmiHeader.biHeight = -pictureHeight_;  // top-down
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(pictureWidth_),
                              static_cast<DWORD>(pictureHeight_), 0, 0, 0,
                              static_cast<UINT>(pictureHeight_), pictureBits_.data(), &info,
                              DIB_RGB_COLORS);
        }
        // The button face where the picture does not reach.
        const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
        fill(dc, pictureWidth_, 0, client.right, client.bottom, face);
        fill(dc, 0, pictureHeight_, std::min<LONG>(pictureWidth_, client.right), client.bottom,
             face);
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
        case WM_NCDESTROY: {
            const HWND hwnd = std::exchange(hwnd_, nullptr);
            dc_ = nullptr;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

}  // namespace lightmatrix::win32
