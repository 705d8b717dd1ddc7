#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/common/rasteriser.h"
#include "platform/picture_panel.h"
#include "platform/win32/handler_failure.h"

namespace lightmatrix::win32 {

class Win32Window;

// The picture panel as a child window of the window, without a border, at its
// design rectangle. It shows its picture from the top-left corner, clipped to
// itself, on the system's button face; its scale unit is the pixel. It keeps
// its own device context (CS_OWNDC), which sample() reads from. A click on it
// is its own: the window never sees the press.
class Win32PicturePanel : public PicturePanel {
  public:
    Win32PicturePanel(HINSTANCE instance, Win32Window& window, HandlerFailure& failure);
    ~Win32PicturePanel() override;
    Win32PicturePanel(const Win32PicturePanel&) = delete;
    Win32PicturePanel& operator=(const Win32PicturePanel&) = delete;

    Picture load(const std::string& path) override;
    void setPicture(Picture picture) override;
    void setVisible(bool visible) override;
    bool visible() const override { return visible_; }
    float innerWidth() const override { return static_cast<float>(clientSize().right); }
    float innerHeight() const override { return static_cast<float>(clientSize().bottom); }
    Int32 sample(Int32 x, Int32 y) override;
    void onClick(std::function<void()> handler) override { click_ = std::move(handler); }

    // Puts the panel at its design rectangle on the window, at the mapping's DPI.
    void place(const PixelMapping& mapping);

  private:
    template <class Owner>
    friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    RECT clientSize() const;
    void paint();
    void buttonUp(LPARAM position);

    HandlerFailure& failure_;
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
    Colour face_;
    bool visible_ = false;
    bool pressed_ = false;
    Picture picture_;
    std::vector<std::uint32_t> scratch_;  // what one paint sends, as a DIB
    std::function<void()> click_;
};

}  // namespace lightmatrix::win32
