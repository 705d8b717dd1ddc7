#pragma once

#include <memory>

#include "platform/linux/end_signals.h"
#include "platform/linux/instance_lock.h"
#include "platform/loop/loop.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_seat.h"
#include "platform/wayland/wayland_window.h"

namespace lightmatrix {

// The window system on Wayland, through libwayland-client alone, and its part
// of the event loop: it reads and dispatches the compositor's events and
// waits on the connection and on SIGTERM and SIGINT. The compositor paces the
// loop: when a tick falls due, a frame is asked for, and the wait goes on
// until the frame callback comes; that frame shows what the round before it
// drew, and its round runs every tick due by then. While the compositor sends
// no frame callbacks (the surface is not shown: the output is off, the screen
// locked, the surface hidden) the loop sleeps with them. A frame that the
// compositor's clock puts long after the one before tells that the surface
// went unseen at the first and is seen again at the second; the loop then
// catches up. While the matrix has no output to show on, the loop sleeps
// until one comes.
class WaylandBackend : public Loop,
                       private WaylandConnection::Listener,
                       private WaylandWindow::Listener {
  public:
    // `signals` are those that end the program, taken before the connection
    // was made.
    WaylandBackend(std::unique_ptr<WaylandConnection> connection, const EndSignals& signals);
    WaylandBackend(const WaylandBackend&) = delete;
    WaylandBackend& operator=(const WaylandBackend&) = delete;
    ~WaylandBackend() override;

    WaylandWindow& window() override { return window_; }
    CompositedPanel& panel() { return panel_; }
    InstanceCheck& instanceCheck() { return instance_; }

  private:
    // A gap between frames, on the compositor's clock, that tells that it
    // withheld them: a few of them at any refresh rate.
    static constexpr std::uint32_t kWithheldMs = 100;

    // What the connection holds, dispatched; then the signals.
    void readEvents() override;
    bool holdsEvents() override;
    // Asks for a frame when something changed, sends what waits to be sent,
    // and waits for the compositor or a signal: without limit while a frame
    // is asked for, else until `until`, when a frame is asked for the ticks
    // then due.
    void wait(std::optional<Instant> until) override;
    // Ends a read prepared with wl_display_prepare_read: reads what the
    // connection holds when it is readable, else cancels the read.
    void finishRead(bool readable);
    // Sends what waits to be sent; false while the connection is full.
    bool flush();

    void outputChanged(const WaylandOutput& output) override { window_.outputChanged(output); }
    void outputGoing(const WaylandOutput& output) override { window_.outputGoing(output); }
    void seatChanged(std::uint32_t capabilities) override { seat_.capabilities(capabilities); }
    void frameDone(std::uint32_t time) override;
    void matrixSeen(bool seen) override;
    void surfaceGone(wl_surface* surface) override { seat_.forget(surface); }

    const EndSignals& signals_;
    std::unique_ptr<WaylandConnection> connection_;
    WaylandWindow window_;
    CompositedPanel panel_;
    WaylandSeat seat_;
    InstanceLock instance_;
    // The last frame, on the compositor's clock in milliseconds, and when it came.
    std::optional<std::uint32_t> lastFrame_;
    Instant lastFrameAt_;
};

}  // namespace lightmatrix
