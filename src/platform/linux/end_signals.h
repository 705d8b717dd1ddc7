#pragma once

#include <poll.h>
#include <signal.h>

#include <chrono>
#include <optional>

namespace lightmatrix {

// SIGTERM and SIGINT, blocked for the process but for the moments its event
// loop waits (ppoll with waitMask()), so that they are handled between events
// like the rest: one that came during a wait interrupts it.
class EndSignals {
  public:
    // Raises a Platform run-time error if the signals cannot be had so.
    EndSignals();

    // Waits until one of `fds` is ready, `timeout` has passed (nothing:
    // until then) or one of the signals came; what ppoll returns, with
    // errno set. A signal that came before waits as pending and ends the wait
    // at once.
    int wait(pollfd* fds, nfds_t count, std::optional<std::chrono::nanoseconds> timeout) const;
    // Whether one came.
    bool arrived() const;

  private:
    sigset_t waitMask_;
};

}  // namespace lightmatrix
