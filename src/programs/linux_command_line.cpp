#include "programs/linux_command_line.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/parse_integer.h"

namespace lightmatrix {

namespace {

constexpr const char* kUsage =
    "Usage: lightmatrix [/p WINDOW-ID]\n"
    "       lightmatrix --idle SECONDS\n"
    "       lightmatrix --help | --version\n"
    "A screen saver: a matrix of small round lights that take random colours.\n"
    "\n"
    "  (nothing)       full screen, on every monitor; any key or mouse button ends it\n"
    "  /p WINDOW-ID    inside the X window WINDOW-ID (decimal), as a preview\n"
    "  --idle SECONDS  stay in the session and start the screen saver whenever\n"
    "                  nobody has used it for SECONDS (1 to 86400); SIGTERM ends it\n"
    "  --help          print this help and exit\n"
    "  --version       print the version and exit\n"
    "Any other argument (--root, /s) runs full screen as well.\n"
    "\n"
    "It runs natively on Wayland where a compositor answers (WAYLAND_DISPLAY),\n"
    "else on X11 ($DISPLAY). LIGHTMATRIX_BACKEND=x11 asks for X11 (under\n"
    "XWayland), LIGHTMATRIX_BACKEND=wayland for Wayland alone. With\n"
    "XSCREENSAVER_WINDOW set to a window id (hex or decimal), as XScreenSaver\n"
    "starts its hacks, it draws in that X window instead of one of its own.\n"
    "The idle time comes from the compositor (ext-idle-notify-v1 or\n"
    "org_kde_kwin_idle), GNOME's idle monitor, or the X server (XSync), the first\n"
    "the session offers; what keeps the desktop awake keeps the saver away.\n"
    "\n"
    "Exit status: 0 when it ends normally, or at once when another instance runs;\n"
    "1 on a run-time error (a WINDOW-ID that names no window, no display, no idle\n"
    "time to watch); 2 on a usage error, or a LIGHTMATRIX_BACKEND that names no\n"
    "window system.\n"
    "See lightmatrix(6).\n";

constexpr std::int64_t kMostIdleSeconds = 86400;

Request answered(int status, std::string message) {
    Request request;
    request.kind = Request::Kind::Answered;
    request.status = status;
    request.message = std::move(message);
    return request;
}

Request usageError(const std::string& what) {
    return answered(2,
                    "lightmatrix: " + what + "\nTry 'lightmatrix --help' for more information.\n");
}

// --idle at `at`, its seconds after it or after '='; nothing else may stand
// on the command line.
Request idleWatcher(const std::vector<std::string_view>& arguments, std::size_t at) {
    const std::string_view option = arguments[at];
    std::size_t next = at + 1;
    std::string_view seconds;
    if (option.starts_with("--idle=")) {
        seconds = option.substr(7);
    } else if (next < arguments.size()) {
        seconds = arguments[next++];
    } else {
        return usageError("--idle needs a number of seconds from 1 to 86400");
    }
    std::int64_t value = 0;
    if (parseInteger(seconds, value) != Parsed::Number || value < 1 || value > kMostIdleSeconds)
        return usageError("--idle needs a number of seconds from 1 to 86400, not '" +
                          std::string(seconds) + "'");
    for (std::size_t i = 0; i < arguments.size(); ++i)
        if (i != at && i + 1 != next)
            return usageError("--idle takes no other argument, not '" + std::string(arguments[i]) +
                              "'");
    Request request;
    request.kind = Request::Kind::IdleWatcher;
    request.idleAfter = std::chrono::seconds(value);
    return request;
}

}  // namespace

Request readCommandLine(int argc, const char* const* argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (!argument.starts_with("--") || argument == "--root") continue;
        if (argument == "--help") return answered(0, kUsage);
        if (argument == "--version") return answered(0, "lightmatrix " LIGHTMATRIX_VERSION "\n");
        if (argument == "--idle" || argument.starts_with("--idle="))
            return idleWatcher(arguments, i);
        return usageError("unknown option '" + std::string(argument) + "'");
    }
    Request request;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) request.commandLine += ' ';
        request.commandLine += arguments[i];
    }
    return request;
}

}  // namespace lightmatrix
