#include "platform/linux/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace lightmatrix {

InstanceLock::InstanceLock(Mode mode) : mode_(mode) {}

std::string InstanceLock::defaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/lightmatrix.lock";
    return "/tmp/lightmatrix-" + std::to_string(getuid()) + ".lock";
}

bool InstanceLock::anotherInstanceRunning() {
    if (held_) return false;  // this process holds it already
    // Not following a link, and only a file of our own: in a shared /tmp,
    // someone else's file must neither be written nor keep us from running.
    UniqueFd file(open(defaultPath().c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file) return false;
    struct stat info {};
    if (fstat(file.get(), &info) != 0 || info.st_uid != getuid() || !S_ISREG(info.st_mode))
        return false;
    if (mode_ == Mode::DaemonHack) {
        // Shared if it can be had; never a reason to refuse.
        if (flock(file.get(), LOCK_SH | LOCK_NB) == 0) held_ = std::move(file);
        return false;
    }
    if (flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        // Only a lock held elsewhere means another instance; any other failure
        // is no reason to keep the screen saver from running.
        return errno == EWOULDBLOCK;
    }
    held_ = std::move(file);
    return false;
}

}  // namespace lightmatrix
