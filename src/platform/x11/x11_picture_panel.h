#pragma once

#include <X11/Xlib.h>

#include "platform/common/panel_content.h"
#include "platform/common/raster.h"
#include "platform/picture_panel.h"
#include "platform/win32_calls.h"
#include "platform/x11/x11_display.h"

namespace lightmatrix {

class X11Window;

// Picture1 on X11: a borderless child window of the program's window that
// shows the loaded picture from its top-left corner. GetPixel reads the
// program's own copy of what the panel shows: CLR_INVALID outside the panel,
// outside the window's client area, and while the panel or the window is
// hidden.
class X11PicturePanel : public PicturePanel, public Gdi32 {
  public:
    // `area` is the panel's place on the window's client area, in pixels.
    X11PicturePanel(X11Display& display, X11Window& window, const PixelRect& area);
    X11PicturePanel(const X11PicturePanel&) = delete;
    X11PicturePanel& operator=(const X11PicturePanel&) = delete;
    ~X11PicturePanel() override;

    std::shared_ptr<const Picture> loadPicture(const std::string& path) override;
    void setPicture(std::shared_ptr<const Picture> picture) override;
    void setVisible(bool visible) override;
    bool visible() const override { return visible_; }
    float scaleWidth() const override;
    float scaleHeight() const override;
    Int32 hDC() const override { return static_cast<Int32>(id_); }
    void onClick(std::function<void()> handler) override { click_ = std::move(handler); }

    Int32 GetPixel(Int32 hdc, Int32 x, Int32 y) override;

    ::Window id() const { return id_; }
    void handleEvent(const XEvent& event);

    static constexpr Colour kBackground = PanelContent::kBackground;

  private:
    void draw();

    X11Display& display_;
    X11Window& window_;
    PanelContent content_;
    ::Window id_ = None;
    GC gc_ = nullptr;
    bool visible_ = false;
    std::function<void()> click_;
};

}  // namespace lightmatrix
