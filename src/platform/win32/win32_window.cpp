#include "platform/win32/win32_window.h"

#include <cstring>
#include <string>

#include "common/constants.h"
#include "lightmatrix_resources.h"
#include "platform/win32/dib_blit.h"
#include "platform/win32/optional_function.h"
#include "platform/win32/owned_window.h"
#include "platform/win32/win32_handles.h"

namespace lightmatrix {

namespace {

constexpr const wchar_t* kClassName = L"LightmatrixWindow";

double dpiOf(HWND hwnd) {
    // Windows 10 knows each window's DPI; before it, the screen's is all there is.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        optionalFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(hwnd); dpi != 0) return dpi;
    }
    const HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}

// The power setting that tells whether the console's display is off (0), on
// (1) or dimmed (2); defined here, for the headers declare it only where a
// program defines INITGUID.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

}  // namespace

Win32Window::Win32Window(HINSTANCE instance, HandlerFailure& failure, InputReports& input,
                         std::function<void()> onClosed)
    : FramebufferWindow(96, static_cast<Colour>(GetSysColor(COLOR_BTNFACE))),
      instance_(instance),
      failure_(failure),
      input_(input),
      onClosed_(std::move(onClosed)) {
    // CS_OWNDC: every area presented on a tick goes through one device context.
    registerOwnedClass<Win32Window>(
        instance, kClassName, CS_OWNDC | CS_HREDRAW | CS_VREDRAW,
        static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(IDI_LIGHTMATRIX), IMAGE_ICON, 32, 32, LR_SHARED)),
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_LIGHTMATRIX), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                      LR_SHARED)));
    // Created hidden; the load step shows it.
    const std::wstring title(kWindowTitle, kWindowTitle + std::strlen(kWindowTitle));
    CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPED | WS_CLIPCHILDREN, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) raise(ErrorKind::Platform, "cannot create the window");
    dc_ = GetDC(hwnd_);  // the class's own: valid as long as the window is
    // Without it the window is simply never told the display went off.
    displayNotification_ =
        RegisterPowerSettingNotification(hwnd_, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);

    // A top-level window always gets a caption when it is created. This one
    // has no frame at all, so that its client area is the whole window and, as
    // a child of a preview pane, it is a plain child window.
    const LONG framed = GetWindowLongW(hwnd_, GWL_STYLE);
    SetWindowLongW(hwnd_, GWL_STYLE,
                   framed & ~static_cast<LONG>(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                               WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    setDpi(dpiOf(hwnd_));
    const PixelRect design = designClientArea(mapping());
    SetWindowPos(hwnd_, nullptr, 0, 0, design.right, design.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

Win32Window::~Win32Window() {
    if (displayNotification_ != nullptr) UnregisterPowerSettingNotification(displayNotification_);
    if (hwnd_ == nullptr) return;
    // The program is over: nothing that happens to the window now reaches it.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void Win32Window::maximise() {
    maximised_ = true;
    if (shown() && hwnd_ != nullptr) ShowWindow(hwnd_, SW_MAXIMIZE);
    // Every monitor but the primary one, which the window itself covers.
    std::vector<RECT> others;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM found) {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY))
                reinterpret_cast<std::vector<RECT>*>(found)->push_back(info.rcMonitor);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&others));
    for (const RECT& monitor : others)
        covers_.push_back(
            std::make_unique<Win32Cover>(instance_, monitor, backColour(), failure_, input_));
}

void Win32Window::show() {
    if (hwnd_ == nullptr) return;
    beginShowing(false);
    for (const auto& cover : covers_) cover->show();
    ShowWindow(hwnd_, maximised_ ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(hwnd_);  // the first frame, drawn now rather than when the loop runs
    SetForegroundWindow(hwnd_);
}

void Win32Window::close() {
    if (hwnd_ == nullptr) return;
    if (!closeTime_) closeTime_ = std::chrono::steady_clock::now();
    endShowing();
    covers_.clear();
    if (!DestroyWindow(hwnd_)) raise(ErrorKind::Platform, "cannot close the window");
}

bool Win32Window::embedIn(Int32 pane) {
    const auto host = handleFromInt32<HWND>(pane);
    RECT rect{};
    // A failed GetClientRect is the sign of a handle that names no window.
    if (!GetClientRect(host, &rect)) return false;
    const LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
    SetWindowLongA(hwnd_, GWL_STYLE, style | WS_CHILD);
    SetParent(hwnd_, host);
    // The owner: GWL_HWNDPARENT has no 32-bit form on 64-bit Windows.
    SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(host));
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, rect.right, rect.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    covers_.clear();  // in the pane, the window covers no monitor
    embedded_ = true;
    return true;
}

bool Win32Window::paneShown() const {
    return hwnd_ != nullptr && IsWindowVisible(hwnd_) && !IsIconic(GetAncestor(hwnd_, GA_ROOT));
}

void Win32Window::present(const Raster& frame, const PixelRect& area) {
    blitRaster(dc_, frame, area, scratch_);
}

void Win32Window::fill(const PixelRect& area, Colour colour) {
    const RECT rect{area.left, area.top, area.right, area.bottom};
    SetDCBrushColor(dc_, static_cast<COLORREF>(colour));  // COLORREF is 0x00BBGGRR too
    FillRect(dc_, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// What the system asks to be painted is presented at the loop's next repaint.
void Win32Window::paint() {
    PAINTSTRUCT paint{};
    if (BeginPaint(hwnd_, &paint) != nullptr)
        expose({paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom});
    EndPaint(hwnd_, &paint);
}

void Win32Window::limitMaximisedSize(MINMAXINFO& info) const {
    // Maximised, a top-level window covers the whole monitor, task bar
    // included. The sizes are given for the primary monitor; Windows scales
    // them to the monitor the window is on.
    if ((GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) != 0) return;
    info.ptMaxPosition = {0, 0};
    info.ptMaxSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (info.ptMaxTrackSize.x < info.ptMaxSize.x) info.ptMaxTrackSize.x = info.ptMaxSize.x;
    if (info.ptMaxTrackSize.y < info.ptMaxSize.y) info.ptMaxTrackSize.y = info.ptMaxSize.y;
}

LRESULT Win32Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (isPressMessage(message)) {
        reportPress(input_, message, lParam);
        return message == WM_XBUTTONDOWN ? TRUE : 0;
    }
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // painting covers every pixel
        case WM_PAINT:
            paint();
            return 0;
        case WM_SIZE:
            minimised_ = wParam == SIZE_MINIMIZED;
            resize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_POWERSETTINGCHANGE) {
                const auto& setting = *reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
                if (setting.PowerSetting == kConsoleDisplayState &&
                    setting.DataLength >= sizeof(DWORD)) {
                    DWORD state = 0;
                    std::memcpy(&state, setting.Data, sizeof state);
                    displayOn_ = state != 0;
                }
            }
            return TRUE;
        case WM_GETMINMAXINFO:
            limitMaximisedSize(*reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_DPICHANGED: {
            setDpi(HIWORD(wParam));
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                         suggested.right - suggested.left, suggested.bottom - suggested.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DPICHANGED_AFTERPARENT:
            setDpi(dpiOf(hwnd_));
            return 0;
        case WM_DESTROY: {
            // Closed by the program, or destroyed with the preview pane that
            // holds it: either way the program ends.
            endShowing();
            const std::function<void()> onClosed = onClosed_;
            if (onClosed) onClosed();
            return 0;
        }
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

}  // namespace lightmatrix
