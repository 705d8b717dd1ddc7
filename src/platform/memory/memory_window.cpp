#include "platform/memory/memory_window.h"

#include "common/constants.h"
#include "platform/memory/memory_picture_panel.h"

namespace lightmatrix {

MemoryWindow::MemoryWindow(Int32 screenWidth, Int32 screenHeight, double dpi,
                           std::function<void()> closed)
    : FramebufferWindow(dpi, kButtonFace),
      screenSize_{screenWidth, screenHeight},
      whenClosed_(std::move(closed)) {
    screen_.resize(clientArea().width(), clientArea().height(), kButtonFace);
}

void MemoryWindow::maximise() {
    maximised_ = true;
    setClientSize(screenSize_.width, screenSize_.height);
}

void MemoryWindow::show() {
    if (!closed_) beginShowing(true);
}

void MemoryWindow::close() {
    if (closed_) return;
    closed_ = true;
    endShowing();
    whenClosed_();
}

bool MemoryWindow::embedIn(Int32 pane) {
    const auto found = panes_.find(pane);
    if (found == panes_.end()) return false;
    parent_ = pane;
    setClientSize(found->second.width, found->second.height);
    show();
    return true;
}

void MemoryWindow::setClientSize(Int32 width, Int32 height) {
    resize(width, height);
    screen_.resize(clientArea().width(), clientArea().height(), backColour());
    expose(clientArea());
}

const Raster& MemoryWindow::screen() {
    repaint();
    return screen_;
}

Int32 MemoryWindow::createPane(Int32 width, Int32 height) {
    const Int32 pane = nextPane_;
    nextPane_ += 0x10;
    panes_[pane] = {width, height};
    return pane;
}

void MemoryWindow::destroyPane(Int32 pane) {
    panes_.erase(pane);
    if (parent_ == pane) close();
}

void MemoryWindow::present(const Raster& frame, const PixelRect& area) {
    for (Int32 y = area.top; y < area.bottom; ++y)
        std::copy_n(&frame.at(area.left, y), area.width(), &screen_.at(area.left, y));
    drawPanel(area);
}

void MemoryWindow::fill(const PixelRect& area, Colour colour) {
    for (Int32 y = area.top; y < area.bottom; ++y)
        std::fill_n(&screen_.at(area.left, y), area.width(), colour);
    drawPanel(area);
}

// The panel is a child window: it lies over whatever the window draws.
void MemoryWindow::drawPanel(const PixelRect& area) {
    if (panel_ != nullptr && panel_->visible())
        panel_->drawOnto(screen_, area, panel_->area().left, panel_->area().top);
}

}  // namespace lightmatrix
