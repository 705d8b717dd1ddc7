#pragma once

#include <poll.h>

#include <chrono>
#include <optional>

namespace lightmatrix {

// What tells the idle watcher that nobody has used the session for a while,
// and that somebody uses it again: the desktop's own idle time, with what
// keeps the desktop awake (a video playing, a presentation) respected. It is
// woken by the desktop's own events, never by a timer of its own.
class IdleSource {
  public:
    class Listener {
      public:
        virtual ~Listener() = default;
        // Nobody has used the session for the idle time, and nothing keeps it awake.
        virtual void idle() = 0;
        // Somebody uses it again.
        virtual void active() = 0;
    };

    virtual ~IdleSource() = default;
    // How the desktop tells it, for messages ("ext-idle-notify-v1", ...).
    virtual const char* name() const = 0;
    // Sends what waits to be sent; the descriptor to wait on, and for what;
    // nothing when it holds events read already, which dispatch() tells
    // without a wait.
    virtual std::optional<pollfd> prepareWait() = 0;
    // Reads what came (`revents` of that descriptor, 0 for none) and tells
    // the listener. A desktop that went away is a Platform run-time error.
    virtual void dispatch(short revents) = 0;
};

}  // namespace lightmatrix
