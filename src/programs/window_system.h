#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lightmatrix {

enum class WindowSystem { X11, Wayland };

// What decides where the program runs.
struct Surroundings {
    std::string asked;          // $LIGHTMATRIX_BACKEND: "x11", "wayland", or empty
    bool daemonWindow = false;  // $XSCREENSAVER_WINDOW is set
    bool preview = false;       // the command line asks for the preview
    bool compositor = false;    // a Wayland compositor's socket is there
};

// The window systems to try, in order: the one asked for; X11 for an
// XScreenSaver hack and for a preview, whose panes are X windows; Wayland
// where a compositor's socket is there, X11 if it does not answer; X11
// otherwise. Nothing for a value of LIGHTMATRIX_BACKEND that names none.
std::optional<std::vector<WindowSystem>> windowSystemsToTry(const Surroundings& surroundings);

// The surroundings of this process, read with `variable` (getenv's reading)
// and `isSocket` (whether a path names a socket).
Surroundings surroundingsOf(bool preview, const std::function<const char*(const char*)>& variable,
                            const std::function<bool(const std::string&)>& isSocket);

}  // namespace lightmatrix
