// lightmatrix, the screen saver on Linux: on Wayland natively, or on X11 (a
// window of its own, a preview pane, an XScreenSaver hack's window); or, with
// --idle, the watcher that starts it when the session is idle. The options
// that begin with "--" are answered first, without a display; then the saver
// runs by the Windows rules.

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "idle/idle_watcher.h"
#include "platform/linux/end_signals.h"
#include "platform/linux/process_start.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/x11/x11_backend.h"
#include "programs/linux_command_line.h"
#include "programs/window_system.h"
#include "saver/preview.h"
#include "saver/program.h"
#include "saver/run_figures.h"

namespace {

using namespace lightmatrix;

// The saver on `backend` until the program ends; its exit status.
template <class Backend>
int runOn(Backend& backend, InstanceCheck& instances, const std::string& commandLine) {
    Saver saver(backend.window(), backend.panel(), backend, backend.clock(), backend.generator());
    const int status = runProgram(saver, commandLine, instances, [&backend] { backend.run(); });
    RunFigures{saver.lightingTicks(), processStart(), backend.window().firstFrame(),
               std::chrono::steady_clock::now()}
        .write();
    return status;
}

bool isSocket(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

}  // namespace

int main(int argc, char** argv) {
    const Request request = readCommandLine(argc, argv);
    if (request.kind == Request::Kind::Answered) {
        std::fputs(request.message.c_str(), request.status == 0 ? stdout : stderr);
        return request.status;
    }
    const std::string& commandLine = request.commandLine;
    const bool preview = isPreviewCommandLine(commandLine);
    const Surroundings surroundings = surroundingsOf(preview, &std::getenv, &isSocket);
    if (request.kind == Request::Kind::IdleWatcher)
        return runIdleWatcher(request.idleAfter, surroundings.compositor);
    const auto systems = windowSystemsToTry(surroundings);
    if (!systems) {
        std::fprintf(stderr, "lightmatrix: LIGHTMATRIX_BACKEND is %s, not x11 or wayland\n",
                     std::getenv("LIGHTMATRIX_BACKEND"));
        return 2;
    }
    try {
        // Taken before anything waits on a window system, so that they end
        // the program in every moment of its run.
        const EndSignals signals;
        for (const WindowSystem system : *systems) {
            if (system == WindowSystem::Wayland) {
                auto connection = WaylandConnection::connect();
                if (!connection && system != systems->back()) continue;  // X11 next
                if (!connection)
                    raise(ErrorKind::Platform, "cannot connect to a Wayland compositor");
                WaylandBackend wayland(std::move(connection), signals);
                return runOn(wayland, wayland.instanceCheck(), commandLine);
            }
            X11Backend x11(signals, preview);
            return runOn(x11, x11.instanceLock(), commandLine);
        }
    } catch (const RuntimeError& error) {
        // The window system could not be had at all, or was lost.
        reportRuntimeError(error);
    }
    return 1;
}
