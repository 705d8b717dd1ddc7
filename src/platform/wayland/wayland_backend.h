#pragma once

#include <memory>

#include "platform/linux/end_signals.h"
#include "platform/linux/instance_lock.h"
#include "platform/loop/backend_loop.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_seat.h"
#include "platform/wayland/wayland_window.h"

namespace lightmatrix {

// The window system on Wayland, through libwayland-client alone, and its
// event loop: one thread that waits on the compositor's connection and on
// SIGTERM and SIGINT and handles one thing at a time. While the matrix has
// no output to show on, the loop sleeps until one comes. The compositor paces
// the timers: their ticks run when a frame callback comes, every tick due by
// then, and what they changed goes to the screen at the next one; a frame is
// asked for when a tick falls due or something changed. While the compositor
// sends no frame callbacks (the surface is not shown: the output is off, the
// screen locked, the surface hidden) the loop sleeps: no tick runs and
// nothing is drawn. A frame that the compositor's clock puts long after the
// one before ends such a time: every tick that fell due meanwhile runs, each
// at its own due time, before the frame is drawn. A frame sent in time but
// read late (the process was stopped) keeps the rule that drops the ticks it
// missed.
class WaylandBackend : public BackendLoop,
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

    // Handles events until the program ends: closed, or a signal. A lost
    // connection is a run-time error.
    void run();

  private:
    // What the connection holds already, each event to its end, then the signals.
    void handleWaitingEvents() override;
    // Ends a read prepared with wl_display_prepare_read: reads what the
    // connection holds when it is readable, else cancels the read.
    void finishRead(bool readable);
    // Handles every event read, then the handlers' errors and the signals.
    void dispatchRead();
    // Sends what waits to be sent; false while the connection is full.
    bool flush();

    void outputChanged(const WaylandOutput& output) override { window_.outputChanged(output); }
    void outputGoing(const WaylandOutput& output) override { window_.outputGoing(output); }
    void seatChanged(std::uint32_t capabilities) override { seat_.capabilities(capabilities); }
    void frameDue(std::uint32_t time) override;
    void matrixSeen(bool seen) override { setSeen(seen); }
    void surfaceGone(wl_surface* surface) override { seat_.forget(surface); }

    const EndSignals& signals_;
    std::unique_ptr<WaylandConnection> connection_;
    WaylandWindow window_;
    CompositedPanel panel_;
    WaylandSeat seat_;
    InstanceLock instance_;
    std::optional<std::uint32_t> lastFrame_;  // on the compositor's clock, in milliseconds
};

}  // namespace lightmatrix
