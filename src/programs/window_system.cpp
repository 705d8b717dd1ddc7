#include "programs/window_system.h"

namespace lightmatrix {

std::optional<std::vector<WindowSystem>> windowSystemsToTry(const Surroundings& surroundings) {
    using enum WindowSystem;
    if (surroundings.asked == "x11") return std::vector{X11};
    if (surroundings.asked == "wayland") return std::vector{Wayland};
    if (!surroundings.asked.empty()) return std::nullopt;
    if (surroundings.daemonWindow || surroundings.preview) return std::vector{X11};
    if (surroundings.compositor) return std::vector{Wayland, X11};
    return std::vector{X11};
}

// libwayland's rules: a socket handed over in WAYLAND_SOCKET, else
// WAYLAND_DISPLAY (wayland-0 when unset), an absolute path or a name in
// XDG_RUNTIME_DIR.
Surroundings surroundingsOf(bool preview, const std::function<const char*(const char*)>& variable,
                            const std::function<bool(const std::string&)>& isSocket) {
    const auto text = [&variable](const char* name) {
        const char* value = variable(name);
        return std::string(value != nullptr ? value : "");
    };
    Surroundings surroundings{text("LIGHTMATRIX_BACKEND"), !text("XSCREENSAVER_WINDOW").empty(),
                              preview, !text("WAYLAND_SOCKET").empty()};
    std::string display = text("WAYLAND_DISPLAY");
    if (display.empty()) display = "wayland-0";
    const std::string runtime = text("XDG_RUNTIME_DIR");
    if (display.starts_with('/'))
        surroundings.compositor = surroundings.compositor || isSocket(display);
    else if (!runtime.empty())
        surroundings.compositor = surroundings.compositor || isSocket(runtime + "/" + display);
    return surroundings;
}

}  // namespace lightmatrix
