#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/common/raster.h"
#include "platform/picture_panel.h"
#include "platform/win32/handler_failure.h"

namespace lightmatrix::win32 {

class Win32Window;

// Picture1: a child window of frmMain without a border that shows its picture
// from the top-left corner, clipped to itself, on the system's button face.
// Its scale unit is the pixel. It keeps its own device context (CS_OWNDC), so
// the handle hDC() gives stays valid for GetPixel.
class Win32PicturePanel : public PicturePanel {
  public:
    Win32PicturePanel(HINSTANCE instance, Win32Window& window, HandlerFailure& failure);
    ~Win32PicturePanel() override;
    Win32PicturePanel(const Win32PicturePanel&) = delete;
    Win32PicturePanel& operator=(const Win32PicturePanel&) = delete;

    std::shared_ptr<const Picture> loadPicture(const std::string& path) override;
    void setPicture(std::shared_ptr<const Picture> picture) override;
    void setVisible(bool visible) override;
    bool visible() const override { return visible_; }
    float scaleWidth() const override;
    float scaleHeight() const override;
    Int32 hDC() const override;
    void onClick(std::function<void()> handler) override { click_ = std::move(handler); }

    // Puts the panel at its design rectangle on the window, at the mapping's DPI.
    void place(const PixelMapping& mapping);
    HWND hwnd() const { return hwnd_; }

  private:
    template <class Owner>
    friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();

    HandlerFailure& failure_;
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
    Colour face_;
    bool visible_ = false;
    bool pressed_ = false;
    std::shared_ptr<const Picture> picture_;
    std::vector<std::uint32_t> scratch_;  // what one paint sends, as a DIB
    std::function<void()> click_;
};

}  // namespace lightmatrix::win32
