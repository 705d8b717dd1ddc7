#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/raster.h"
#include "platform/framebuffer/framebuffer_window.h"
#include "platform/picture_decoder.h"
#include "platform/picture_panel.h"

namespace lightmatrix {

// A picture panel whose pixels the program keeps itself: the picture from the
// top-left corner of the panel's area, the button face where it does not
// reach. sample() reads that copy, clipped as the window system would clip
// the panel: to itself and to the window's client area, and nothing while the
// panel or the window is hidden. A backend supplies how the panel reaches its
// screen, and reports up the mouse buttons on it and the pictures handed to it.
class FramebufferPanel : public PicturePanel {
  public:
    // `area` is the panel's place on the window's client area, in pixels.
    FramebufferPanel(FramebufferWindow& window, const PixelRect& area,
                     std::unique_ptr<PictureDecoder> decoder);
    FramebufferPanel(const FramebufferPanel&) = delete;
    FramebufferPanel& operator=(const FramebufferPanel&) = delete;
    ~FramebufferPanel() override;

    Picture load(const std::string& path) override;
    void setPicture(Picture picture) override;
    void setVisible(bool visible) override;
    bool visible() const override { return visible_; }
    float innerWidth() const override { return static_cast<float>(area_.width()); }
    float innerHeight() const override { return static_cast<float>(area_.height()); }
    Int32 sample(Int32 x, Int32 y) override;
    void onClick(std::function<void()> handler) override { click_ = std::move(handler); }
    void onPictureChosen(std::function<void(const std::string&)> handler) override {
        chosen_ = std::move(handler);
    }

    // A mouse button went down on the shown panel; the left one may begin a click.
    void buttonDown(bool left);
    // A mouse button went up after going down on the panel; `inside` tells
    // whether it went up on the panel. The left one there completes a click.
    void buttonUp(bool left, bool inside);
    // The user handed the panel a picture file.
    void choose(const std::string& path);

    const PixelRect& area() const { return area_; }
    // Moves the panel, as when the window's DPI changed.
    virtual void place(const PixelRect& area);
    // What the panel shows at (x, y) of its own area.
    Colour shownAt(Int32 x, Int32 y) const;
    // Draws the panel, its top-left corner at (left, top) of `raster`, within `clip`.
    void drawOnto(Raster& raster, const PixelRect& clip, Int32 left, Int32 top) const;

  protected:
    // The panel was shown or hidden, or shows another picture while shown.
    virtual void changed() = 0;
    FramebufferWindow& window() const { return window_; }

  private:
    FramebufferWindow& window_;
    PixelRect area_;
    std::unique_ptr<PictureDecoder> decoder_;
    Picture picture_;
    bool visible_ = false;
    bool leftDown_ = false;
    std::function<void()> click_;
    std::function<void(const std::string&)> chosen_;
};

}  // namespace lightmatrix
