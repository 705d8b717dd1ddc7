#include "platform/wayland/wayland_backend.h"

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>

#include "common/runtime_error.h"
#include "platform/linux/local_time.h"
#include "platform/linux/pixbuf_decoder.h"

namespace lightmatrix {

WaylandBackend::WaylandBackend(std::unique_ptr<WaylandConnection> connection,
                               const EndSignals& signals)
    : Loop(0, &localTimeOfDay),
      signals_(signals),
      connection_(std::move(connection)),
      window_(*connection_, *this, [this] { end(); }),
      panel_(window_, designPanelArea(window_.mapping()), std::make_unique<PixbufDecoder>()),
      seat_(*connection_, {[this] { keyPressed(); },
                           [this](wl_surface* surface, double x, double y, bool left, bool down) {
                               const PixelPoint at = window_.pointOn(surface, x, y);
                               if (down)
                                   buttonPressed(at, left);
                               else
                                   buttonReleased(at, left);
                           }}),
      instance_(InstanceLock::Mode::Exclusive) {
    connection_->listen(this);
    // Nothing shows until the compositor has placed the matrix's surface.
    unseenFrom(now());
}

WaylandBackend::~WaylandBackend() {
    connection_->listen(nullptr);
}

void WaylandBackend::matrixSeen(bool seen) {
    if (seen)
        seenAgainAt(now());
    else
        unseenFrom(now());
}

// The compositor's time to draw: what the last round drew goes out in a new
// buffer at once, and this round's ticks draw for the next frame. The
// compositor gives the last buffer back as soon as the new one is committed,
// and its release comes while the ticks run, not as a wake of its own.
void WaylandBackend::frameDone(std::uint32_t time) {
    // Milliseconds between the compositor's frames, which wrap around.
    if (lastFrame_ && time - *lastFrame_ > kWithheldMs) {
        unseenFrom(lastFrameAt_);
        seenAgainAt(now());
    }
    lastFrame_ = time;
    lastFrameAt_ = now();
    window_.presentFrame();
    flush();
}

bool WaylandBackend::flush() {
    if (wl_display_flush(connection_->display()) >= 0) return true;
    if (errno != EAGAIN) connection_->fail();
    return false;
}

void WaylandBackend::readEvents() {
    wl_display* display = connection_->display();
    flush();
    if (wl_display_prepare_read(display) == 0) {
        pollfd readable{connection_->fd(), POLLIN, 0};
        finishRead(poll(&readable, 1, 0) > 0);
    }
    connection_->dispatch();
    if (signals_.arrived()) end();
}

bool WaylandBackend::holdsEvents() {
    wl_display* display = connection_->display();
    if (wl_display_prepare_read(display) != 0) return true;
    wl_display_cancel_read(display);
    return false;
}

void WaylandBackend::finishRead(bool readable) {
    wl_display* display = connection_->display();
    if (!readable)
        wl_display_cancel_read(display);
    else if (wl_display_read_events(display) < 0)
        connection_->fail();
}

void WaylandBackend::wait(std::optional<Instant> until) {
    wl_display* display = connection_->display();
    window_.settle();
    // Events already read are dispatched before the wait.
    if (wl_display_prepare_read(display) != 0) return;
    for (;;) {
        const bool flushed = flush();
        std::optional<Duration> timeout;
        if (!window_.waitingForFrame() && until)
            timeout = std::max(*until - now(), Duration::zero());
        pollfd fds[1] = {
            {connection_->fd(), static_cast<short>(POLLIN | (flushed ? 0 : POLLOUT)), 0}};
        const int ready = signals_.wait(fds, 1, timeout);
        if (ready < 0 && errno != EINTR) {
            wl_display_cancel_read(display);
            raise(ErrorKind::Platform, std::string("poll: ") + std::strerror(errno));
        }
        // A tick fell due: it runs at the next frame, if the surface shows.
        if (ready == 0 && !window_.waitingForFrame()) {
            window_.requestFrame();
            if (window_.waitingForFrame()) continue;
        }
        // A closed connection shows as readable too: reading then fails.
        finishRead(ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0);
        return;
    }
}

}  // namespace lightmatrix
