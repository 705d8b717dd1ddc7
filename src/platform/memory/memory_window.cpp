#include "platform/memory/memory_window.h"

namespace lightmatrix {

MemoryWindow::MemoryWindow(Int32 screenWidth, Int32 screenHeight, double dpi,
                           std::function<void()> onClosed)
    : CompositedWindow(dpi, std::move(onClosed)), screenSize_{screenWidth, screenHeight} {}

void MemoryWindow::maximise() {
    maximised_ = true;
    setClientSize(screenSize_.width, screenSize_.height);
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
    expose(clientArea());
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

}  // namespace lightmatrix
