#include "platform/wayland/wayland_window.h"

#include <algorithm>

#include "common/constants.h"

namespace lightmatrix {

WaylandWindow::Cover::Cover(WaylandConnection& connection, Owner& owner, wl_output* on)
    : surface(connection, owner, on, kWindowTitle, false), buffers(connection.shm()) {}

WaylandWindow::WaylandWindow(WaylandConnection& connection, Listener& listener,
                             std::function<void()> onClosed)
    : CompositedWindow(kStandardDpi, std::move(onClosed)),
      connection_(connection),
      listener_(listener) {}

WaylandWindow::~WaylandWindow() = default;

void WaylandWindow::maximise() {
    placeMatrix(nullptr);
}

void WaylandWindow::show() {
    CompositedWindow::show();
    fitMatrix();
}

// A new surface for the matrix, on `on` or, for none, on the output the
// compositor chooses; its buffers start afresh.
void WaylandWindow::placeMatrix(wl_output* on) {
    waitingForOutputs_ = false;
    Owner& owner = *this;
    matrix_ = std::make_unique<WaylandSurface>(connection_, owner, on, kWindowTitle, true);
    buffers_ = std::make_unique<ShmBuffers>(connection_.shm());
}

void WaylandWindow::dropMatrix() {
    if (!matrix_) return;
    const bool wasSeen = matrix_->mapped();
    listener_.surfaceGone(matrix_->surface());
    matrix_.reset();
    buffers_.reset();
    if (wasSeen) listener_.matrixSeen(false);
}

// The client area is the surface's buffer, at the density of its output.
void WaylandWindow::fitMatrix() {
    if (!matrix_ || !matrix_->configured()) return;
    if (matrix_->dpi() != dpi_) {
        dpi_ = matrix_->dpi();
        setDpi(dpi_);
    }
    const PixelSize size = matrix_->bufferSize();
    if (size != PixelSize{clientArea().width(), clientArea().height()}) {
        resize(size.width, size.height);
        if (shown()) expose(clientArea());
    }
    buffers_->resize(size.width, size.height);
    // The first buffer maps the surface; frame callbacks pace the rest.
    if (shown() && !matrix_->mapped()) presentFrame();
}

void WaylandWindow::surfaceChanged(WaylandSurface& surface) {
    if (&surface == matrix_.get()) {
        fitMatrix();
    } else {
        for (const auto& cover : covers_)
            if (&cover->surface == &surface) paint(*cover);
    }
    coverOutputs();
}

// A layer surface closed by the compositor is gone for good: its output
// went, or the compositor will not show it. A toplevel is asked to close by
// the user, and the window closes.
void WaylandWindow::surfaceClosed(WaylandSurface& surface) {
    if (!surface.layered()) {
        close();
        return;
    }
    if (&surface == matrix_.get()) {
        const bool wasShown = surface.mapped();
        dropMatrix();
        // Where it showed, it moves to an output that remains; where it
        // never showed, it waits for the outputs to change.
        if (!wasShown || closed()) {
            waitingForOutputs_ = true;
        } else if (!covers_.empty()) {
            placeMatrix(covers_.front()->surface.madeFor());
        } else {
            placeMatrix(nullptr);
        }
        return;
    }
    if (surface.madeFor() != nullptr) refused_.push_back(surface.madeFor());
    dropCovers([&surface](const Cover& cover) { return &cover.surface == &surface; });
}

void WaylandWindow::frameDone(WaylandSurface& surface, std::uint32_t time) {
    if (&surface == matrix_.get()) listener_.frameDone(time);
}

void WaylandWindow::outputChanged(const WaylandOutput& output) {
    std::erase(refused_, output.output);
    if (!matrix_ && waitingForOutputs_ && !closed()) placeMatrix(output.output);
    // Its scale may be the matrix's.
    fitMatrix();
    coverOutputs();
}

void WaylandWindow::outputGoing(const WaylandOutput& output) {
    std::erase(refused_, output.output);
    dropCovers([&output](const Cover& cover) { return cover.surface.madeFor() == output.output; });
    if (matrix_) matrix_->forget(output.output);
}

// Once the matrix shows on an output, and the compositor has said which, a
// cover goes on every other one.
void WaylandWindow::coverOutputs() {
    wl_output* home = matrixShows() ? matrix_->output() : nullptr;
    if (home == nullptr) return;
    Owner& owner = *this;
    dropCovers([home](const Cover& cover) {
        return cover.surface.madeFor() == home || cover.surface.output() == home;
    });
    for (const WaylandOutput& output : connection_.outputs()) {
        if (!output.described || output.output == home ||
            std::find(refused_.begin(), refused_.end(), output.output) != refused_.end())
            continue;
        if (std::none_of(covers_.begin(), covers_.end(), [&](const auto& cover) {
                return cover->surface.madeFor() == output.output;
            }))
            covers_.push_back(std::make_unique<Cover>(connection_, owner, output.output));
    }
}

void WaylandWindow::dropCovers(const std::function<bool(const Cover&)>& which) {
    std::erase_if(covers_, [&](const auto& cover) {
        if (!which(*cover)) return false;
        listener_.surfaceGone(cover->surface.surface());
        return true;
    });
}

// A cover is one colour, drawn once: where the compositor has a viewporter,
// as one pixel that it stretches over the output, else as a buffer of the
// output's size, drawn anew only when that size changes.
void WaylandWindow::paint(Cover& cover) {
    WaylandSurface& surface = cover.surface;
    if (!surface.configured()) return;
    const PixelSize size = surface.bufferSize();
    if (connection_.viewporter() != nullptr) {
        if (cover.pixel == nullptr) {
            cover.buffers.resize(1, 1);
            cover.pixel = cover.buffers.filled(backColour());
        }
        if (cover.pixel != nullptr && surface.logicalSize() != cover.shownSize) {
            surface.stretch(cover.pixel);
            cover.shownSize = surface.logicalSize();
        }
        return;
    }
    if (size == cover.shownSize && surface.dpi() == cover.shownDpi) return;
    cover.buffers.resize(size.width, size.height);
    if (wl_buffer* filled = cover.buffers.filled(backColour())) {
        surface.show(filled, {{0, 0, size.width, size.height}}, false);
        cover.shownSize = size;
        cover.shownDpi = surface.dpi();
    }
}

void WaylandWindow::screenChanged(Raster&, const PixelRect& area) {
    if (buffers_) buffers_->changed(area);
}

void WaylandWindow::presentFrame() {
    if (!matrix_ || !matrix_->configured() || closed() || !buffers_->anyChange()) return;
    std::vector<PixelRect> damage;
    wl_buffer* buffer = buffers_->frame(screen(), damage);
    if (buffer == nullptr) {
        matrix_->requestFrame();  // the compositor holds every buffer: later
        return;
    }
    const bool first = !matrix_->mapped();
    matrix_->show(buffer, damage, true);
    if (first) {
        coverOutputs();
        listener_.matrixSeen(true);
    }
}

void WaylandWindow::settle() {
    if (matrixShows() && buffers_->anyChange() && !matrix_->framePending()) matrix_->requestFrame();
}

void WaylandWindow::requestFrame() {
    if (matrixShows() && !matrix_->framePending()) matrix_->requestFrame();
}

bool WaylandWindow::waitingForFrame() const {
    return matrix_ && matrix_->framePending();
}

PixelPoint WaylandWindow::pointOn(wl_surface* surface, double x, double y) const {
    if (!matrix_ || surface != matrix_->surface()) return FramebufferWindow::kOffWindow;
    return {static_cast<Int32>(matrix_->toBuffer(x)), static_cast<Int32>(matrix_->toBuffer(y))};
}

}  // namespace lightmatrix
