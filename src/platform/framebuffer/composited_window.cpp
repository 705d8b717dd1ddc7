#include "platform/framebuffer/composited_window.h"

#include <algorithm>

#include "common/constants.h"

namespace lightmatrix {

CompositedWindow::CompositedWindow(double dpi, std::function<void()> onClosed)
    : FramebufferWindow(dpi, kButtonFace), onClosed_(std::move(onClosed)) {
    fitScreen();
}

void CompositedWindow::show() {
    if (!closed_) beginShowing(true);
}

void CompositedWindow::close() {
    if (closed_) return;
    closed_ = true;
    endShowing();
    onClosed_();
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
    if (panel() != nullptr && panel()->visible())
        panel()->drawOnto(screen_, area, panel()->area().left, panel()->area().top);
    screenChanged(screen_, area);
}

void CompositedPanel::place(const PixelRect& area) {
    const PixelRect before = this->area();
    FramebufferPanel::place(area);
    if (visible()) {
        window().expose(before);
        window().expose(area);
    }
}

}  // namespace lightmatrix
