#include "platform/common/composited_window.h"

#include <algorithm>

#include "common/constants.h"

namespace lightmatrix {

CompositedWindow::CompositedWindow(double dpi, std::function<void()> closed)
    : FramebufferWindow(dpi, kButtonFace), whenClosed_(std::move(closed)) {
    fitScreen();
}

void CompositedWindow::show() {
    if (!closed_) beginShowing(true);
}

void CompositedWindow::close() {
    if (closed_) return;
    closed_ = true;
    endShowing();
    whenClosed_();
}

void CompositedWindow::keyDown() {
    press();
    repaint();
}

void CompositedWindow::mouseDown(Int32 x, Int32 y) {
    if (panel_ != nullptr && panel_->visible() && panel_->area().contains(x, y))
        panel_->click();
    else
        press();
    repaint();
}

void CompositedWindow::present(const Raster& frame, const PixelRect& area) {
    fitScreen();
    for (Int32 y = area.top; y < area.bottom; ++y)
        std::copy_n(&frame.at(area.left, y), area.width(), &screen_.at(area.left, y));
    drawPanel(area);
}

void CompositedWindow::fill(const PixelRect& area, Colour colour) {
    fitScreen();
    for (Int32 y = area.top; y < area.bottom; ++y)
        std::fill_n(&screen_.at(area.left, y), area.width(), colour);
    drawPanel(area);
}

// The screen follows the client area's size; a new one shows the background
// until it is presented.
void CompositedWindow::fitScreen() {
    const PixelRect client = clientArea();
    if (screen_.width != client.width() || screen_.height != client.height())
        screen_.resize(client.width(), client.height(), backColour());
}

// The panel is a child window: it lies over whatever the window draws.
void CompositedWindow::drawPanel(const PixelRect& area) {
    if (panel_ != nullptr && panel_->visible())
        panel_->drawOnto(screen_, area, panel_->area().left, panel_->area().top);
    screenChanged(screen_, area);
}

CompositedPanel::CompositedPanel(CompositedWindow& window, const PixelRect& area, Decoder decode)
    : FramebufferPanel(window, area, std::move(decode)), window_(window) {
    window.attach(*this);
}

}  // namespace lightmatrix
