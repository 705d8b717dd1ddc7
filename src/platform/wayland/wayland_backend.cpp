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
    : BackendLoop(0, &localTimeOfDay),
      signals_(signals),
      connection_(std::move(connection)),
      window_(*connection_, *this, [this] { end(); }),
      panel_(window_, designPanelArea(window_.mapping()), std::make_unique<PixbufDecoder>()),
      seat_(*connection_, {[this] {
                               if (!ended()) window_.keyDown();
                           },
                           [this](wl_surface* surface, double x, double y, bool left, bool down) {
                               if (!ended()) window_.button(surface, x, y, left, down);
                               window_.repaint();
                           }}),
      instance_(InstanceLock::Mode::Exclusive) {
    connection_->listen(this);
    // Nothing shows until the compositor has placed the matrix's surface.
    setSeen(false);
}

WaylandBackend::~WaylandBackend() {
    connection_->listen(nullptr);
}

// The compositor's time to draw: first what changed since the last frame,
// in a new buffer, then every tick due by now, drawn for the next frame. The
// compositor gives the last buffer back as soon as the new one is committed,
// and its release comes while the ticks run, not as a wake of its own.
void WaylandBackend::frameDue(std::uint32_t time) {
    if (ended()) return;
    // Milliseconds between the compositor's frames, which wrap around.
    const std::uint32_t since = lastFrame_ ? time - *lastFrame_ : 0;
    lastFrame_ = time;
    if (since > DeadlineTimers::kMaxCatchUp.count()) {
        setSeen(false);
        setSeen(true);
    }
    window_.presentFrame();
    flush();
    wakeTimers();
    window_.repaint();
}

bool WaylandBackend::flush() {
    if (wl_display_flush(connection_->display()) >= 0) return true;
    if (errno != EAGAIN) connection_->fail();
    return false;
}

void WaylandBackend::handleWaitingEvents() {
    wl_display* display = connection_->display();
    flush();
    if (wl_display_prepare_read(display) == 0) {
        pollfd readable{connection_->fd(), POLLIN, 0};
        finishRead(poll(&readable, 1, 0) > 0);
    }
    dispatchRead();
}

void WaylandBackend::finishRead(bool readable) {
    wl_display* display = connection_->display();
    if (!readable)
        wl_display_cancel_read(display);
    else if (wl_display_read_events(display) < 0)
        connection_->fail();
}

void WaylandBackend::dispatchRead() {
    connection_->dispatch();
    if (signals_.arrived()) end();
}

void WaylandBackend::run() {
    wl_display* display = connection_->display();
    while (!ended()) {
        window_.settle();
        const bool flushed = flush();
        // Events already read are handled before the next wait.
        if (wl_display_prepare_read(display) != 0) {
            dispatchRead();
            continue;
        }
        // Waiting for a frame, nothing else is due; else the next tick is.
        std::optional<DeadlineTimers::Duration> timeout;
        if (!window_.waitingForFrame()) timeout = timeToNextWake();
        pollfd fds[1] = {
            {connection_->fd(), static_cast<short>(POLLIN | (flushed ? 0 : POLLOUT)), 0}};
        const int ready = signals_.wait(fds, 1, timeout);
        if (ready < 0 && errno != EINTR) {
            wl_display_cancel_read(display);
            raise(ErrorKind::Platform, std::string("poll: ") + std::strerror(errno));
        }
        // A closed connection shows as readable too: reading then fails.
        finishRead(ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0);
        dispatchRead();
        // A tick fell due: it runs at the next frame.
        if (ready == 0 && !window_.waitingForFrame()) window_.askForFrame();
    }
}

}  // namespace lightmatrix
