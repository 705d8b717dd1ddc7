#include "platform/win32/win32_window.h"

#include <windowsx.h>

#include <cmath>

#include "common/constants.h"
#include "lightmatrix_resources.h"
#include "platform/win32/owned_window_proc.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_picture_panel.h"

namespace lightmatrix::win32 {

namespace {

constexpr const wchar_t* kClassName = L"LightmatrixForm";

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

double dpiOf(HWND hwnd) {
    // Windows 10 knows each window's DPI; before it, the screen's is all there is.
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

Int16 shiftState() {
    Int16 shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

void registerClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // CS_OWNDC: every light drawn on a tick reuses one device context.
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_LIGHTMATRIX), IMAGE_ICON, 32, 32, LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_LIGHTMATRIX),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        raise(ErrorKind::Platform, "cannot register the window class");
}

}  // namespace

std::int64_t fileTimeNow() {
    using GetTimeFunction = void(WINAPI*)(FILETIME*);
    static const auto precise =
        optionalFunction<GetTimeFunction>(L"kernel32.dll", "GetSystemTimePreciseAsFileTime");
    FILETIME now{};
    if (precise != nullptr)
        precise(&now);
    else
        GetSystemTimeAsFileTime(&now);
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) |
                                     now.dwLowDateTime);
}

void blitArea(HDC dc, const Raster& raster, const PixelRect& area,
              std::vector<std::uint32_t>& scratch) {
    const PixelRect clip = area.intersect(raster.bounds());
    if (clip.empty()) return;
    const Int32 width = clip.right - clip.left;
    const Int32 height = clip.bottom - clip.top;
    scratch.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t* out = scratch.data();
    for (Int32 y = clip.top; y < clip.bottom; ++y) {
        for (Int32 x = clip.left; x < clip.right; ++x) {
            *out++ = toXrgb(raster.at(x, y));
        }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, clip.left, clip.top, static_cast<DWORD>(width),
                      static_cast<DWORD>(height), 0, 0, 0, static_cast<UINT>(height),
                      scratch.data(), &info, DIB_RGB_COLORS);
}

Win32Window::Win32Window(HINSTANCE instance, Program& program, HandlerFailure& failure)
    : instance_(instance),
      program_(program),
      failure_(failure),
      background_(static_cast<Colour>(GetSysColor(COLOR_BTNFACE))) {
    registerClass(instance, ownedWindowProc<Win32Window>);
    // Created hidden; the load step shows it.
    CreateWindowExW(0, kClassName, L"Form1", WS_OVERLAPPED | WS_CLIPCHILDREN, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) raise(ErrorKind::Platform, "cannot create the window");
    dc_ = GetDC(hwnd_);  // the class's own: valid as long as the window is

    // A top-level window always gets a caption when it is created. This one
    // has no frame at all, so that its client area is the whole window and, as
    // a child of a preview pane, it is a plain child window.
    const LONG framed = GetWindowLongW(hwnd_, GWL_STYLE);
    SetWindowLongW(hwnd_, GWL_STYLE,
                   framed & ~static_cast<LONG>(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                               WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    updateDpi();
    const PixelRect design = designClientArea(mapping_);
    SetWindowPos(hwnd_, nullptr, 0, 0, design.right, design.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

Win32Window::~Win32Window() {
    if (hwnd_ == nullptr) return;
    // The program is over: nothing that happens to the window now reaches it.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void Win32Window::connect(const LightScene& scene, Win32PicturePanel& panel) {
    scene_ = &scene;
    panel_ = &panel;
    panel.place(mapping_);
}

Int32 Win32Window::handle() const {
    return toInt32(hwnd_);
}

void Win32Window::setBackColor(Colour colour) {
    background_ = colour;
    if (drawable()) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32Window::setMaximized() {
    maximized_ = true;
    if (shown_ && hwnd_ != nullptr) ShowWindow(hwnd_, SW_MAXIMIZE);
}

void Win32Window::show() {
    if (hwnd_ == nullptr) return;
    shown_ = true;
    ShowWindow(hwnd_, maximized_ ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(hwnd_);  // the first frame, drawn now rather than when the loop runs
    SetForegroundWindow(hwnd_);
}

void Win32Window::close() {
    if (hwnd_ == nullptr) return;
    if (closeTime_ == 0) closeTime_ = fileTimeNow();
    dirty_.clear();
    if (!DestroyWindow(hwnd_)) raise(ErrorKind::Platform, "cannot close the window");
}

bool Win32Window::drawable() const {
    return hwnd_ != nullptr && shown_ && IsWindowVisible(hwnd_);
}

void Win32Window::invalidate(const TwipsRect& area) {
    // Showing the window paints it whole; whether it can be seen is asked
    // once per flush, not once per light.
    if (hwnd_ == nullptr || !shown_) return;
    dirty_.add(mapping_.toPixels(area).intersect(frame_.bounds()));
}

void Win32Window::flush() {
    if (dirty_.empty()) return;
    if (drawable())
        for (const PixelRect& area : dirty_.areas()) drawArea(dc_, area);
    dirty_.clear();
}

void Win32Window::drawArea(HDC dc, const PixelRect& area) {
    const PixelRect clip = area.intersect(frame_.bounds());
    if (clip.empty() || scene_ == nullptr) return;  // connected before the loop runs
    renderArea(*scene_, background_, mapping_, clip, frame_);
    blitArea(dc, frame_, clip, scratch_);
    if (firstFrameTime_ == 0) firstFrameTime_ = fileTimeNow();
}

void Win32Window::paint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(hwnd_, &paint);
    if (dc != nullptr)
        drawArea(
            dc, {paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom});
    EndPaint(hwnd_, &paint);
}

void Win32Window::updateDpi() {
    dpi_ = dpiOf(hwnd_);
    mapping_ = PixelMapping(dpi_);
    if (panel_ != nullptr) panel_->place(mapping_);
    if (drawable()) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32Window::limitMaximizedSize(MINMAXINFO& info) const {
    // Maximised, a top-level window covers the whole monitor, task bar
    // included. The sizes are given for the primary monitor; Windows scales
    // them to the monitor the window is on.
    if ((GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) != 0) return;
    info.ptMaxPosition = {0, 0};
    info.ptMaxSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (info.ptMaxTrackSize.x < info.ptMaxSize.x) info.ptMaxTrackSize.x = info.ptMaxSize.x;
    if (info.ptMaxTrackSize.y < info.ptMaxSize.y) info.ptMaxTrackSize.y = info.ptMaxSize.y;
}

void Win32Window::keyDown(WPARAM key) {
    const KeyDownHandler handler = keyDown_;
    if (handler) handler(static_cast<Int16>(key), shiftState());
}

void Win32Window::mouseDown(Int16 button, LPARAM position) {
    const MouseDownHandler handler = mouseDown_;
    if (!handler) return;
    const double x = GET_X_LPARAM(position);
    const double y = GET_Y_LPARAM(position);
    handler(button, shiftState(), static_cast<float>(mapping_.toTwips(x)),
            static_cast<float>(mapping_.toTwips(y)));
}

LRESULT Win32Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        // Every key, the ones that arrive as system keys (Alt, F10) included.
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            keyDown(wParam);
            return 0;
        case WM_LBUTTONDOWN:
            mouseDown(1, lParam);
            return 0;
        case WM_RBUTTONDOWN:
            mouseDown(2, lParam);
            return 0;
        case WM_MBUTTONDOWN:
            mouseDown(4, lParam);
            return 0;
        case WM_XBUTTONDOWN:
            mouseDown(GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? 8 : 16, lParam);
            return TRUE;
        case WM_ERASEBKGND:
            return 1;  // painting covers every pixel
        case WM_PAINT:
            paint();
            return 0;
        case WM_SIZE:
            frame_.resize(LOWORD(lParam), HIWORD(lParam), background_);
            return 0;
        case WM_GETMINMAXINFO:
            limitMaximizedSize(*reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_DPICHANGED: {
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            updateDpi();
            SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                         suggested.right - suggested.left, suggested.bottom - suggested.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DPICHANGED_AFTERPARENT:
            updateDpi();
            return 0;
        case WM_DESTROY:
            // Closed by the program, or destroyed with the preview pane that
            // holds it: either way the program ends.
            program_.end();
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

}  // namespace lightmatrix::win32
