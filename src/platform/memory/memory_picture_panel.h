#pragma once

#include "platform/common/panel_content.h"
#include "platform/common/raster.h"
#include "platform/picture_panel.h"
#include "platform/win32_calls.h"

namespace lightmatrix {

class MemoryWindow;

// Picture1 in memory: a child rectangle of the window with no border, whose
// pixels GetPixel reads. Outside the panel, or while it or the window is
// hidden, a read gives CLR_INVALID.
class MemoryPicturePanel : public PicturePanel, public Gdi32 {
  public:
    // `area` is the panel's place on the window's client area, in pixels.
    MemoryPicturePanel(MemoryWindow& window, const PixelRect& area);

    std::shared_ptr<const Picture> loadPicture(const std::string& path) override;
    void setPicture(std::shared_ptr<const Picture> picture) override;
    void setVisible(bool visible) override;
    bool visible() const override { return visible_; }
    float scaleWidth() const override;
    float scaleHeight() const override;
    Int32 hDC() const override { return kDeviceContext; }
    void onClick(std::function<void()> handler) override { click_ = std::move(handler); }

    Int32 GetPixel(Int32 hdc, Int32 x, Int32 y) override;

    const PixelRect& area() const { return content_.area(); }
    bool contains(Int32 windowX, Int32 windowY) const;
    void click();
    // Draws what the panel shows within `clip` onto the window's raster.
    void drawOnto(Raster& raster, const PixelRect& clip) const;
    std::int64_t pixelReads() const { return pixelReads_; }

    static constexpr Colour kBackground = PanelContent::kBackground;

  private:
    static constexpr Int32 kDeviceContext = 0x0101'0042;

    MemoryWindow& window_;
    PanelContent content_;
    bool visible_ = false;
    std::function<void()> click_;
    std::int64_t pixelReads_ = 0;
};

}  // namespace lightmatrix
