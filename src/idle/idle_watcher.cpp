#include "idle/idle_watcher.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "common/runtime_error.h"
#include "idle/gnome_idle.h"
#include "idle/idle_choice.h"
#include "idle/wayland_idle.h"
#include "idle/x11_idle.h"
#include "platform/linux/end_signals.h"
#include "platform/linux/unique_fd.h"
#include "saver/program.h"

namespace lightmatrix {

namespace {

// glibc 2.36 declares these without C linkage, so they are called as the
// system calls they are.
int openPidfd(pid_t pid) {
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

void signalPidfd(int pidfd, int sig) {
    syscall(SYS_pidfd_send_signal, pidfd, sig, nullptr, 0);
}

// The screen saver, run as this program is, with no argument: full screen,
// on the window system it finds. It ends with the watcher, however that ends.
class SaverProcess {
  public:
    SaverProcess() {
        std::error_code unknown;
        const std::string program = std::filesystem::read_symlink("/proc/self/exe", unknown);
        pid_ = fork();
        if (pid_ < 0) raise(ErrorKind::Platform, std::string("fork: ") + std::strerror(errno));
        if (pid_ == 0) {
            // The end signals, blocked for the watcher's loop, are the saver's own again.
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            char name[] = "lightmatrix";
            char* const argv[] = {name, nullptr};
            // By its path, so that it goes by its own name (a new version,
            // where one has taken that path); else the file this one runs.
            if (!program.empty()) execv(program.c_str(), argv);
            execv("/proc/self/exe", argv);
            std::fprintf(stderr, "lightmatrix: cannot start the screen saver: %s\n",
                         std::strerror(errno));
            _exit(1);
        }
        ended_.reset(openPidfd(pid_));
        if (!ended_) {
            const std::string why = std::strerror(errno);
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            raise(ErrorKind::Platform, "pidfd_open: " + why);
        }
    }
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;
    ~SaverProcess() {
        signalPidfd(ended_.get(), SIGTERM);
        waitpid(pid_, nullptr, 0);
    }

    // Readable once the process has ended; it stays a zombie, its number
    // not given to another, until this object goes.
    int endedFd() const { return ended_.get(); }

  private:
    pid_t pid_ = -1;
    UniqueFd ended_;
};

// Sources are asked in the order they are taken, each only while none before it offered.
std::unique_ptr<IdleSource> openIdleSource(std::chrono::milliseconds after, bool compositor,
                                           IdleSource::Listener& listener) {
    IdleOffers offers;
    std::unique_ptr<WaylandIdle> wayland;
    if (compositor) wayland = WaylandIdle::connect(listener);
    std::unique_ptr<GnomeIdle> gnome;
    std::unique_ptr<X11Idle> x11;
    if (wayland) {
        offers.extIdleNotify = wayland->offers(IdleKind::ExtIdleNotify);
        offers.kdeIdle = wayland->offers(IdleKind::KdeIdle);
    }
    if (!offers.extIdleNotify && !offers.kdeIdle) {
        gnome = GnomeIdle::connect(listener);
        offers.gnomeIdleMonitor = gnome != nullptr;
    }
    if (!offers.extIdleNotify && !offers.kdeIdle && !offers.gnomeIdleMonitor) {
        x11 = X11Idle::connect(listener);
        offers.xsync = x11 != nullptr;
    }
    const std::optional<IdleKind> kind = chooseIdleSource(offers);
    if (!kind) return nullptr;
    switch (*kind) {
        case IdleKind::ExtIdleNotify:
        case IdleKind::KdeIdle:
            wayland->watch(*kind, after);
            return wayland;
        case IdleKind::GnomeIdleMonitor:
            gnome->watch(after);
            return gnome;
        case IdleKind::XSync:
            x11->watch(after);
            return x11;
    }
    return nullptr;
}

class IdleWatcher : public IdleSource::Listener {
  public:
    explicit IdleWatcher(const EndSignals& signals) : signals_(signals) {}

    // Until a signal comes.
    void run(IdleSource& source) {
        while (!signals_.arrived()) {
            // Events the source holds already are told without a wait.
            const std::optional<pollfd> wait = source.prepareWait();
            pollfd fds[2] = {wait.value_or(pollfd{-1, 0, 0}), {-1, POLLIN, 0}};
            if (saver_) fds[1].fd = saver_->endedFd();
            const int ready = signals_.wait(
                fds, 2, wait ? std::nullopt : std::optional(std::chrono::nanoseconds(0)));
            if (ready < 0 && errno != EINTR)
                raise(ErrorKind::Platform, std::string("ppoll: ") + std::strerror(errno));
            source.dispatch(ready > 0 ? fds[0].revents : 0);
            if (saver_ && ready > 0 && fds[1].revents != 0) saver_.reset();
            // Idle while no saver of its own runs: one starts.
            if (std::exchange(idle_, false) && !saver_ && !signals_.arrived()) saver_.emplace();
        }
    }

  private:
    void idle() override { idle_ = true; }
    void active() override { idle_ = false; }

    const EndSignals& signals_;
    std::optional<SaverProcess> saver_;
    bool idle_ = false;  // told idle since the last wait
};

}  // namespace

int runIdleWatcher(std::chrono::seconds after, bool compositor) {
    try {
        // Taken before anything waits on the session, so that they end the
        // watcher in every moment of its run.
        const EndSignals signals;
        IdleWatcher watcher(signals);
        const std::unique_ptr<IdleSource> source = openIdleSource(after, compositor, watcher);
        if (!source) {
            std::fputs(
                "lightmatrix: the session tells no idle time: no Wayland compositor with "
                "ext-idle-notify-v1 or org_kde_kwin_idle, no GNOME idle monitor on the session "
                "bus, no X server with XSync\n",
                stderr);
            return 1;
        }
        watcher.run(*source);
        return 0;
    } catch (const RuntimeError& error) {
        reportRuntimeError(error);
        return 1;
    }
}

}  // namespace lightmatrix
