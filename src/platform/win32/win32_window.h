#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/framebuffer/framebuffer_window.h"
#include "platform/loop/handler_failure.h"
#include "platform/loop/loop.h"
#include "platform/win32/win32_cover.h"

namespace lightmatrix {

// The window as a native window: top-level, without a frame, made hidden at
// its design client size, drawn at its own DPI. Maximised, it covers the
// primary monitor, and a black cover each other one. It keeps its own device
// context (CS_OWNDC), which every presented area goes through; WM_PAINT
// presents what the system asks for again.
//
// It also tells whether it can be seen: not while the display is off (the
// system's console display state, told as a power setting), nor while it is
// minimised, nor, in a preview pane, while the pane is hidden or its dialog
// minimised, which no message to the window tells.
class Win32Window : public FramebufferWindow {
  public:
    // Keys and buttons pressed on it and its covers go to `input`;
    // `onClosed` runs when the native window goes: closed by the program, or
    // destroyed with the preview pane that holds it.
    Win32Window(HINSTANCE instance, HandlerFailure& failure, InputReports& input,
                std::function<void()> onClosed);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    void maximise() override;
    void show() override;
    void close() override;
    bool embedIn(Int32 pane) override;

    HWND hwnd() const { return hwnd_; }
    bool embedded() const { return embedded_; }
    // Whether the display is on and the window not minimised: both told by
    // messages.
    bool shownAsTold() const { return displayOn_ && !minimised_; }
    InputReports& input() const { return input_; }
    // Whether the pane the window is embedded in shows, asked of the system:
    // shown, and its top-level window not minimised.
    bool paneShown() const;
    // When the program asked the window to close: taking the window down can
    // take Wine a second or two.
    std::optional<std::chrono::steady_clock::time_point> closeTime() const { return closeTime_; }

  protected:
    void present(const Raster& frame, const PixelRect& area) override;
    void fill(const PixelRect& area, Colour colour) override;

  private:
    template <class Owner>
    friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void paint();
    void limitMaximisedSize(MINMAXINFO& info) const;

    HINSTANCE instance_;
    HandlerFailure& failure_;
    InputReports& input_;
    std::function<void()> onClosed_;
    std::vector<std::unique_ptr<Win32Cover>> covers_;
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;  // CS_OWNDC: one device context for the window's life
    bool maximised_ = false;
    bool embedded_ = false;
    bool displayOn_ = true;
    bool minimised_ = false;
    HPOWERNOTIFY displayNotification_ = nullptr;
    std::vector<std::uint32_t> scratch_;  // one area in the DIB's byte order
    std::optional<std::chrono::steady_clock::time_point> closeTime_;
};

}  // namespace lightmatrix
