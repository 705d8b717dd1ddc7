#include "platform/framebuffer/framebuffer_window.h"

#include "matrix/rasteriser.h"
#include "platform/framebuffer/framebuffer_panel.h"

namespace lightmatrix {

FramebufferWindow::FramebufferWindow(double dpi, Colour background)
    : mapping_(dpi),
      background_(background),
      lights_([this](const TwipsRect& cell) { cellChanged(cell); }) {
    const PixelRect design = designClientArea(mapping_);
    clientWidth_ = design.right;
    clientHeight_ = design.bottom;
}

void FramebufferWindow::setBackColour(Colour colour) {
    background_ = colour;
    redrawFrame();
    // Everything on the screen changes.
    dirty_.coverAll(clientArea());
}

void FramebufferWindow::press() {
    // A copy: the handler may close the window, and with it this one.
    const std::function<void()> handler = press_;
    if (handler) handler();
}

void FramebufferWindow::buttonDown(PixelPoint at, bool left) {
    if (panel_ != nullptr && panel_->visible() && panel_->area().contains(at)) {
        panelHoldsButton_ = true;
        panel_->buttonDown(left);
    } else {
        press();
    }
}

void FramebufferWindow::buttonUp(PixelPoint at, bool left) {
    if (!panelHoldsButton_ || panel_ == nullptr) return;
    panelHoldsButton_ = false;
    panel_->buttonUp(left, panel_->visible() && panel_->area().contains(at));
}

void FramebufferWindow::cellChanged(const TwipsRect& cell) {
    // A hidden window draws nothing; showing it draws it whole.
    if (!shown_) return;
    const PixelRect pixels = mapping_.toPixels(cell).intersect(clientArea());
    if (pixels.empty()) return;
    if (pixels.right > extent_.right || pixels.bottom > extent_.bottom) {
        // Something now stands beyond the copy: widen it, which redraws it all.
        extent_ = extent_.around(pixels);
        fitFrame();
        dirty_.coverAll(frame_.bounds());
        return;
    }
    dirty_.add(pixels);
}

void FramebufferWindow::repaint() {
    if (shown_) {
        for (const PixelRect& area : dirty_.areas()) {
            renderArea(lights_, background_, mapping_, area, frame_);
            presentArea(area);
        }
        for (const PixelRect& area : exposed_.areas()) presentArea(area.intersect(clientArea()));
    }
    dirty_.clear();
    exposed_.clear();
}

void FramebufferWindow::expose(const PixelRect& area) {
    if (shown_) exposed_.add(area);
}

void FramebufferWindow::presentArea(const PixelRect& area) {
    const PixelRect inside = area.intersect(frame_.bounds());
    if (!inside.empty()) {
        present(frame_, inside);
        if (!firstFrame_) firstFrame_ = std::chrono::steady_clock::now();
    }
    const PixelRect right = area.intersect({frame_.width, 0, clientWidth_, clientHeight_});
    const PixelRect below = area.intersect({0, frame_.height, frame_.width, clientHeight_});
    for (const PixelRect& part : {right, below})
        if (!part.empty()) fill(part, background_);
}

void FramebufferWindow::resize(Int32 width, Int32 height) {
    clientWidth_ = std::max(width, 0);
    clientHeight_ = std::max(height, 0);
    fitFrame();
}

void FramebufferWindow::setDpi(double dpi) {
    mapping_ = PixelMapping(dpi);
    if (panel_ != nullptr) panel_->place(designPanelArea(mapping_));
    if (!shown_) return;
    measureExtent();
    if (!fitFrame()) redrawFrame();
    dirty_.coverAll(clientArea());
}

void FramebufferWindow::beginShowing(bool presentNow) {
    shown_ = true;
    measureExtent();
    if (!fitFrame()) redrawFrame();
    dirty_.clear();
    if (presentNow) presentArea(clientArea());
}

void FramebufferWindow::endShowing() {
    shown_ = false;
    dirty_.clear();
    exposed_.clear();
}

void FramebufferWindow::measureExtent() {
    extent_ = {};
    for (Int32 i = 0; i < lights_.indexLimit(); ++i)
        if (const Light* light = lights_.find(static_cast<Int16>(i)))
            extent_ = extent_.around(mapping_.toPixels(light->cell));
    extent_.left = extent_.top = 0;
}

bool FramebufferWindow::fitFrame() {
    const Int32 width = std::max(0, std::min(clientWidth_, extent_.right));
    const Int32 height = std::max(0, std::min(clientHeight_, extent_.bottom));
    if (width == frame_.width && height == frame_.height) return false;
    frame_.resize(width, height, background_);
    redrawFrame();
    return true;
}

void FramebufferWindow::redrawFrame() {
    if (shown_) renderArea(lights_, background_, mapping_, frame_.bounds(), frame_);
}

}  // namespace lightmatrix
