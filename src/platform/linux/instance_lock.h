#pragma once

#include <string>

#include "platform/instance_check.h"
#include "platform/linux/unique_fd.h"

namespace lightmatrix {

// One instance per user session, through a lock file held with flock() for as
// long as the process lives: $XDG_RUNTIME_DIR/lightmatrix.lock, or
// /tmp/lightmatrix-<uid>.lock where that directory is not set. The kernel
// drops the lock when the process ends, however it ends.
//
// A screen-saver daemon's hack is never refused: the daemon decides what runs,
// starting one hack per screen and the next one while the last may still be
// ending. It takes the lock shared, so that hacks never exclude each other
// while a full-screen or preview instance started by hand still sees them.
class InstanceLock : public InstanceCheck {
  public:
    enum class Mode { Exclusive, DaemonHack };

    explicit InstanceLock(Mode mode);

    bool anotherInstanceRunning() override;

    static std::string defaultPath();

  private:
    Mode mode_;
    UniqueFd held_;
};

}  // namespace lightmatrix
