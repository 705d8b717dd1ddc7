#include "platform/linux/end_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "common/runtime_error.h"

namespace lightmatrix {

EndSignals::EndSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0)
        raise(ErrorKind::Platform, "cannot block SIGTERM and SIGINT");
    fd_.reset(signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!fd_) raise(ErrorKind::Platform, std::string("signalfd: ") + std::strerror(errno));
}

bool EndSignals::arrived() const {
    bool any = false;
    signalfd_siginfo info{};
    while (read(fd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) any = true;
    return any;
}

}  // namespace lightmatrix
