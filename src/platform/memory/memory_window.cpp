#include "platform/memory/memory_window.h"

#include <cmath>

#include "common/constants.h"
#include "platform/memory/memory_picture_panel.h"

namespace lightmatrix {

MemoryWindow::MemoryWindow(Int32 handle, Int32 screenWidth, Int32 screenHeight, double dpi,
                           Program& program)
    : handle_(handle),
      screenWidth_(screenWidth),
      screenHeight_(screenHeight),
      mapping_(dpi),
      program_(program) {
    const PixelRect design = designClientArea(mapping_);
    raster_.resize(design.right, design.bottom, backColour_);
}

void MemoryWindow::connect(const LightScene& scene, MemoryPicturePanel& panel) {
    scene_ = &scene;
    panel_ = &panel;
}

void MemoryWindow::setBackColor(Colour colour) {
    backColour_ = colour;
    repaintPixels(raster_.bounds());
}

void MemoryWindow::setMaximized() {
    maximized_ = true;
    setClientSize(screenWidth_, screenHeight_);
}

void MemoryWindow::setClientSize(Int32 width, Int32 height) {
    raster_.resize(width, height, backColour_);
    repaintPixels(raster_.bounds());
}

void MemoryWindow::show() {
    setVisible(true);
}

void MemoryWindow::setVisible(bool visible) {
    const bool wasShown = shown_;
    shown_ = visible && !closed_;
    if (shown_ && !wasShown) repaintPixels(raster_.bounds());
}

void MemoryWindow::close() {
    closed_ = true;
    shown_ = false;
    program_.end();
}

void MemoryWindow::invalidate(const TwipsRect& area) {
    // A hidden window draws nothing; showing it draws it whole.
    if (!shown_ || scene_ == nullptr) return;
    dirty_.add(mapping_.toPixels(area).intersect(raster_.bounds()));
}

void MemoryWindow::repaintPixels(const PixelRect& area) {
    if (!shown_ || scene_ == nullptr) return;
    draw(area);
    const PixelRect all = raster_.bounds();
    if (area.left <= 0 && area.top <= 0 && area.right >= all.right && area.bottom >= all.bottom)
        dirty_.clear();  // nothing marked is left undrawn
}

void MemoryWindow::paint() const {
    for (const PixelRect& area : dirty_.areas()) draw(area);
    dirty_.clear();
}

const Raster& MemoryWindow::raster() const {
    paint();
    return raster_;
}

void MemoryWindow::draw(const PixelRect& area) const {
    renderArea(*scene_, backColour_, mapping_, area, raster_);
    if (panel_ != nullptr && panel_->visible()) panel_->drawOnto(raster_, area);
}

void MemoryWindow::pressKey(Int16 keyCode, Int16 shift) {
    if (!closed_ && keyDown_) keyDown_(keyCode, shift);
}

void MemoryWindow::pressMouse(Int16 button, Int16 shift, Int32 px, Int32 py) {
    if (closed_) return;
    if (panel_ != nullptr && panel_->visible() && panel_->contains(px, py)) {
        panel_->click();
        return;
    }
    if (mouseDown_)
        mouseDown_(button, shift, static_cast<float>(mapping_.toTwips(px)),
                   static_cast<float>(mapping_.toTwips(py)));
}

}  // namespace lightmatrix
