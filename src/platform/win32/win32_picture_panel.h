#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/framebuffer/framebuffer_panel.h"
#include "platform/loop/handler_failure.h"
#include "platform/loop/loop.h"

namespace lightmatrix {

class Win32Window;

// The picture panel as a child window of the window, without a border, at its
// design rectangle; its scale unit is the pixel. It keeps its own device
// context (CS_OWNDC), which sample() reads with GetPixel. A button pressed on
// it comes to it, not to the window, and it reports it at its place on the
// window's client area. Pictures are decoded with the Windows Imaging
// Component.
class Win32PicturePanel : public FramebufferPanel {
  public:
    Win32PicturePanel(HINSTANCE instance, Win32Window& window, HandlerFailure& failure);
    ~Win32PicturePanel() override;

    Int32 sample(Int32 x, Int32 y) override;
    void place(const PixelRect& area) override;

  private:
    template <class Owner>
    friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void changed() override;
    void paint();
    void pressed(bool left, LPARAM position);
    void released(bool left, LPARAM position);
    PixelPoint onClientArea(LPARAM position) const;

    HandlerFailure& failure_;
    InputReports& input_;
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
    std::vector<std::uint32_t> scratch_;  // what one paint sends, as a DIB
};

}  // namespace lightmatrix
