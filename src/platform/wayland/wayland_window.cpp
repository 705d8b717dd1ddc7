#include "platform/wayland/wayland_window.h"

#include <algorithm>

#include "common/constants.h"

namespace lightmatrix {

WaylandWindow::Cover::Cover(WaylandConnection& connection, wl_output* on)
    : output(on),
      surface(connection, on, kWindowTitle, [this] { closed = true; }),
      buffers(connection.shm) {
    // Black, drawn once at each new size.
    surface.changed = [this] {
        const PixelSize size = surface.bufferSize();
        buffers.resize(size.width, size.height);
        if (wl_buffer* black = buffers.filled(kBackground))
            surface.show(black, {{0, 0, size.width, size.height}}, false);
    };
}

WaylandWindow::WaylandWindow(WaylandConnection& connection, std::function<void()> onClosed)
    : CompositedWindow(kStandardDpi, std::move(onClosed)),
      connection_(connection),
      buffers_(connection.shm) {
    connection.outputGoing = [this](wl_output* going) {
        std::erase_if(covers_, [going](const auto& cover) { return cover->output == going; });
    };
}

WaylandWindow::~WaylandWindow() {
    connection_.outputGoing = nullptr;
}

void WaylandWindow::maximise() {
    surface_ = std::make_unique<WaylandSurface>(connection_, nullptr, kWindowTitle, [this] {
        // The compositor closed the surface: the window goes with it.
        if (!closed()) close();
    });
    surface_->changed = [this] { fitSurface(); };
    surface_->frameDone = [this](std::uint32_t time) {
        if (frameDue) frameDue(time);
    };
    surface_->awaitSize();
    fitSurface();
}

void WaylandWindow::show() {
    CompositedWindow::show();
    presentFrame();
}

// The client area is the surface's buffer, at the density of its output.
void WaylandWindow::fitSurface() {
    if (!surface_) return;
    const PixelSize size = surface_->bufferSize();
    if (surface_->dpi() != dpi_) {
        dpi_ = surface_->dpi();
        setDpi(dpi_);
    }
    if (size != PixelSize{clientArea().width(), clientArea().height()}) {
        resize(size.width, size.height);
        buffers_.resize(size.width, size.height);
        if (shown()) expose(clientArea());
    }
    coverOutputs();
}

void WaylandWindow::outputsChanged() {
    fitSurface();
}

// Once the compositor has said which output the window is on, a cover goes
// on every other output.
void WaylandWindow::coverOutputs() {
    if (!shown() || closed() || surface_->output() == nullptr) return;
    std::erase_if(covers_,
                  [this](const auto& cover) { return cover->output == surface_->output(); });
    for (const WaylandOutput& output : connection_.outputs()) {
        if (!output.described || output.output == surface_->output()) continue;
        if (std::none_of(covers_.begin(), covers_.end(),
                         [&](const auto& cover) { return cover->output == output.output; }))
            covers_.push_back(std::make_unique<Cover>(connection_, output.output));
    }
}

void WaylandWindow::screenChanged(Raster&, const PixelRect& area) {
    buffers_.changed(area);
}

void WaylandWindow::presentFrame() {
    if (!surface_ || closed() || !buffers_.anyChange()) return;
    std::vector<PixelRect> damage;
    if (wl_buffer* buffer = buffers_.frame(screen(), damage))
        surface_->show(buffer, damage, true);
    else
        surface_->requestFrame();  // the compositor holds every buffer: later
}

void WaylandWindow::settle() {
    std::erase_if(covers_, [](const auto& cover) { return cover->closed; });
    if (surface_ && !closed() && buffers_.anyChange() && !surface_->framePending())
        surface_->requestFrame();
}

void WaylandWindow::askForFrame() {
    if (surface_ && !closed() && !surface_->framePending()) surface_->requestFrame();
}

bool WaylandWindow::waitingForFrame() const {
    return surface_ && surface_->framePending();
}

void WaylandWindow::button(wl_surface* surface, double x, double y, bool left, bool down) {
    if (surface_ && surface == surface_->surface()) {
        const auto bx = static_cast<Int32>(surface_->toBuffer(x));
        const auto by = static_cast<Int32>(surface_->toBuffer(y));
        if (down)
            mouseDown(bx, by, left);
        else
            mouseUp(bx, by, left);
        return;
    }
    const bool onCover = std::any_of(covers_.begin(), covers_.end(), [surface](const auto& c) {
        return c->surface.surface() == surface;
    });
    if (onCover && down) press();
}

}  // namespace lightmatrix
