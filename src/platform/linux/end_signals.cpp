#include "platform/linux/end_signals.h"

#include <algorithm>
#include <csignal>
#include <ctime>

#include "common/runtime_error.h"

namespace lightmatrix {

namespace {

volatile std::sig_atomic_t endRequested = 0;

void requestEnd(int) {
    endRequested = 1;
}

sigset_t endSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

}  // namespace

EndSignals::EndSignals() {
    const sigset_t signals = endSignals();
    struct sigaction action {};
    action.sa_handler = &requestEnd;
    sigemptyset(&action.sa_mask);
    if (sigprocmask(SIG_BLOCK, &signals, &waitMask_) != 0 ||
        sigaction(SIGTERM, &action, nullptr) != 0 || sigaction(SIGINT, &action, nullptr) != 0)
        raise(ErrorKind::Platform, "cannot take SIGTERM and SIGINT");
    sigdelset(&waitMask_, SIGTERM);
    sigdelset(&waitMask_, SIGINT);
}

int EndSignals::wait(pollfd* fds, nfds_t count,
                     std::optional<std::chrono::nanoseconds> timeout) const {
    timespec limit{};
    if (timeout) {
        const long long ns = std::max<long long>(timeout->count(), 0);
        limit = {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    }
    return ppoll(fds, count, timeout ? &limit : nullptr, &waitMask_);
}

// One that comes while the loop does not wait stays pending, and is taken
// at the next wait.
bool EndSignals::arrived() const {
    return endRequested != 0;
}

}  // namespace lightmatrix
