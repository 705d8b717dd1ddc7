#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "idle/idle_source.h"
#include "platform/loop/handler_failure.h"

namespace lightmatrix {

// GNOME's idle time: mutter's idle monitor (org.gnome.Mutter.IdleMonitor) on
// the session bus, under GNOME on Wayland and on X11 alike. The session
// manager's inhibitors of idling (org.gnome.SessionManager, flag 8: a video
// playing, a presentation) keep the watcher from being told idle.
class GnomeIdle : public IdleSource {
  public:
    // The session bus, where the idle monitor is on it; nullptr where there
    // is no session bus or no idle monitor.
    static std::unique_ptr<GnomeIdle> connect(Listener& listener);
    ~GnomeIdle() override;

    // Watches for `after` of idle time.
    void watch(std::chrono::milliseconds after);

    const char* name() const override { return "org.gnome.Mutter.IdleMonitor"; }
    std::optional<pollfd> prepareWait() override;
    void dispatch(short revents) override;

  private:
    struct Bus;
    // Active: input since the idle time last passed (or it has not passed).
    // HeldBack: idle, until the session manager says that nothing holds
    // idling back. Idle: the listener was told.
    enum class State { Active, HeldBack, Idle };

    GnomeIdle(std::unique_ptr<Bus> bus, Listener& listener);
    bool findMonitor();
    void watchFired(std::uint32_t id);
    void awaitInput();
    void holdBack();
    void askInhibited();
    void release(State state);
    [[noreturn]] static void lost();
    [[noreturn]] static void refused(const char* why);

    std::unique_ptr<Bus> bus_;
    Listener& listener_;
    State state_ = State::Active;
    std::uint32_t idleWatch_ = 0;
    std::uint32_t activeWatch_ = 0;  // 0: none added yet
    HandlerFailure failure_;         // thrown by a handler, for dispatch() to throw
};

}  // namespace lightmatrix
