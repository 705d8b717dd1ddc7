#include "programs/linux_command_line.h"

#include <cstdio>
#include <string_view>

namespace lightmatrix {

namespace {

constexpr const char* usage =
    "Usage: lightmatrix [/p WINDOW-ID]\n"
    "       lightmatrix --help | --version\n"
    "A screen saver: a matrix of small round lights that take random colours.\n"
    "\n"
    "  (nothing)     full screen, on every monitor; any key or mouse button ends it\n"
    "  /p WINDOW-ID  inside the X window WINDOW-ID (decimal), as a preview\n"
    "  --help        print this help and exit\n"
    "  --version     print the version and exit\n"
    "Any other argument (--root, /s) runs full screen as well.\n"
    "\n"
    "It runs natively on Wayland where a compositor answers (WAYLAND_DISPLAY),\n"
    "else on X11 ($DISPLAY). LIGHTMATRIX_BACKEND=x11 asks for X11 (under\n"
    "XWayland), LIGHTMATRIX_BACKEND=wayland for Wayland alone. With\n"
    "XSCREENSAVER_WINDOW set to a window id (hex or decimal), as XScreenSaver\n"
    "starts its hacks, it draws in that X window instead of one of its own.\n"
    "\n"
    "Exit status: 0 when it ends normally, or at once when another instance runs;\n"
    "1 on a run-time error (a WINDOW-ID that names no window, no display);\n"
    "2 on an unknown option, or a LIGHTMATRIX_BACKEND that names no window system.\n"
    "See lightmatrix(6).\n";

}  // namespace

std::optional<int> answerOption(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        // --root is what XScreenSaver hands its hacks: full screen, as any
        // other argument but /p.
        if (!argument.starts_with("--") || argument == "--root") continue;
        if (argument == "--help") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::puts("lightmatrix " LIGHTMATRIX_VERSION);
            return 0;
        }
        std::fprintf(stderr, "lightmatrix: unknown option %s\n%s", argv[i], usage);
        return 2;
    }
    return std::nullopt;
}

std::string commandLineText(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}

}  // namespace lightmatrix
