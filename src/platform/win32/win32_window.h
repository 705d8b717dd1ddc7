#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/common/dirty_areas.h"
#include "platform/common/raster.h"
#include "platform/common/scene_lights.h"
#include "platform/program.h"
#include "platform/win32/handler_failure.h"
#include "platform/window.h"

namespace lightmatrix::win32 {

class Win32PicturePanel;

// frmMain's native window: a top-level window without a frame whose client
// area the light scene fills, drawn at the window's own DPI. It keeps a copy of
// its client area as colour values. A changed light marks its cell; the event
// loop has the marked cells drawn into the copy and sent to the screen once
// the handler that changed them returns (flush), and WM_PAINT sends whatever
// was exposed.
class Win32Window : public Window, public RepaintSink {
  public:
    Win32Window(HINSTANCE instance, Program& program, HandlerFailure& failure);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    void connect(const LightScene& scene, Win32PicturePanel& panel);

    // Window
    void setBackColor(Colour colour) override;
    Colour backColor() const override { return background_; }
    void setMaximized() override;
    void show() override;
    void close() override;
    Int32 handle() const override;
    void onKeyDown(KeyDownHandler handler) override { keyDown_ = std::move(handler); }
    void onMouseDown(MouseDownHandler handler) override { mouseDown_ = std::move(handler); }

    // RepaintSink
    void invalidate(const TwipsRect& area) override;
    // Draws and sends the cells marked since the last time.
    void flush();

    HWND hwnd() const { return hwnd_; }
    const PixelMapping& mapping() const { return mapping_; }
    double dpi() const { return dpi_; }
    bool destroyed() const { return hwnd_ == nullptr; }
    // When the first frame reached the screen, and when the program asked the
    // window to close, as FILETIME counts; 0 before.
    std::int64_t firstFrameTime() const { return firstFrameTime_; }
    std::int64_t closeTime() const { return closeTime_; }

  private:
    template <class Owner>
    friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void keyDown(WPARAM key);
    void mouseDown(Int16 button, LPARAM position);
    void paint();
    // Draws `area` of the client area from the scene and copies it to `dc`.
    void drawArea(HDC dc, const PixelRect& area);
    bool drawable() const;
    void updateDpi();
    void limitMaximizedSize(MINMAXINFO& info) const;

    HINSTANCE instance_;
    Program& program_;
    HandlerFailure& failure_;
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;  // CS_OWNDC: one device context for the window's life
    double dpi_ = 96;
    PixelMapping mapping_;
    const LightScene* scene_ = nullptr;
    Win32PicturePanel* panel_ = nullptr;
    Colour background_;
    bool maximized_ = false;
    bool shown_ = false;
    Raster frame_;
    std::vector<std::uint32_t> scratch_;  // one area in the DIB's byte order
    DirtyAreas dirty_;
    std::int64_t firstFrameTime_ = 0;
    std::int64_t closeTime_ = 0;
    KeyDownHandler keyDown_;
    MouseDownHandler mouseDown_;
};

// Copies `area` of `raster` to `dc` at the same place: the colour values are
// turned into a top-down 32-bit DIB, blue in the low byte.
void blitArea(HDC dc, const Raster& raster, const PixelRect& area,
              std::vector<std::uint32_t>& scratch);

// The system's time as a FILETIME count (100 ns since 1601).
std::int64_t fileTimeNow();

}  // namespace lightmatrix::win32
