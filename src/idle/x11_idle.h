#pragma once

#include <chrono>
#include <memory>

#include "idle/idle_source.h"

namespace lightmatrix {

// The X server's idle time: the XSync extension's IDLETIME counter, watched
// with two alarms, one when it passes the idle time and one when input sets
// it back. An application that calls XResetScreenSaver (video players do)
// sets it back too, and so keeps the watcher from being told idle.
class X11Idle : public IdleSource {
  public:
    // The X server that DISPLAY names, with XSync and its IDLETIME counter;
    // nullptr where none answers or it lacks them.
    static std::unique_ptr<X11Idle> connect(Listener& listener);
    ~X11Idle() override;

    // Watches for `after` of idle time.
    void watch(std::chrono::milliseconds after);

    const char* name() const override { return "the XSync IDLETIME counter"; }
    std::optional<pollfd> prepareWait() override;
    void dispatch(short revents) override;

  private:
    struct Server;
    X11Idle(std::unique_ptr<Server> server, Listener& listener);

    std::unique_ptr<Server> server_;
    Listener& listener_;
};

}  // namespace lightmatrix
