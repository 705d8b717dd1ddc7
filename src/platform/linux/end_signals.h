#pragma once

#include "platform/linux/unique_fd.h"

namespace lightmatrix {

// SIGTERM and SIGINT, blocked for the process and delivered instead as
// readable data on a descriptor that an event loop waits on beside its
// window system's, so that they are handled between events like the rest.
class EndSignals {
  public:
    // Raises a Platform run-time error if the signals cannot be had so.
    EndSignals();

    int fd() const { return fd_.get(); }
    // Whether one came; reads every one that did.
    bool arrived() const;

  private:
    UniqueFd fd_;
};

}  // namespace lightmatrix
