#include "wine_session.h"

#include <X11/Xutil.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace lightmatrix::wine_test {

namespace fs = std::filesystem;

std::string WindowsBuild::directory() {
    return LIGHTMATRIX_WINDOWS_BUILD;
}
std::string WindowsBuild::screenSaver() {
    return directory() + "/lightmatrix.scr";
}
std::string WindowsBuild::settingsHost() {
    return directory() + "/tests/e2e/wine/lightmatrix_settings_host.exe";
}
std::string WindowsBuild::pictureProbe() {
    return directory() + "/tests/e2e/wine/lightmatrix_picture_probe.exe";
}
std::string WindowsBuild::committedIcon() {
    return LIGHTMATRIX_SOURCE_DIR "/res/lightmatrix.ico";
}

std::string windowsPath(const std::string& unixPath) {
    std::string path = "Z:" + fs::absolute(unixPath).lexically_normal().string();
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

WineSession::WineSession(const std::string& name)
    : name_(name), prefix_(std::string(LIGHTMATRIX_WINE_PREFIXES) + "/" + name) {
    for (const std::string& file :
         {WindowsBuild::screenSaver(), WindowsBuild::settingsHost(), WindowsBuild::pictureProbe()})
        if (!fs::exists(file))
            throw std::runtime_error(file + " is missing: build the mingw preset first");
    // Whatever a run that was cut short left behind.
    endWindowsProcesses();
    makePrefix();
}

WineSession::~WineSession() {
    endWindowsProcesses();
}

std::vector<std::string> WineSession::env() const {
    return {xvfb_.env(), "WINEPREFIX=" + prefix_, "WINEDEBUG=-all",
            // No offers to install Mono or Gecko while the prefix is made.
            "WINEDLLOVERRIDES=mscoree,mshtml="};
}

void WineSession::makePrefix() const {
    const std::string ready = prefix_ + "/.lightmatrix-ready";
    if (fs::exists(ready)) return;
    fs::remove_all(prefix_);
    fs::create_directories(fs::path(prefix_).parent_path());
    if (e2e::run({"wineboot", "-i"}, env(), 600s) != 0)
        throw std::runtime_error("wineboot could not make the prefix " + prefix_);
    // Without a window manager, a managed window keeps the size Wine first
    // gave its X window: maximising it would change nothing on the screen.
    if (e2e::run({"wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d",
                  "N", "/f"},
                 env(), 120s) != 0)
        throw std::runtime_error("cannot set up the prefix's X11 driver");
    // The registry reaches the disk when wineserver ends.
    e2e::run({"wineserver", "-w"}, env(), 120s);
    std::ofstream(ready) << "made by the tests under Wine\n";
}

e2e::Process WineSession::start(const std::vector<std::string>& command,
                                const std::vector<std::string>& extraEnv) const {
    std::vector<std::string> argv{"wine"};
    argv.insert(argv.end(), command.begin(), command.end());
    std::vector<std::string> environment = env();
    environment.insert(environment.end(), extraEnv.begin(), extraEnv.end());
    return e2e::Process::start(argv, environment);
}

void WineSession::endWindowsProcesses() const {
    if (!fs::exists(prefix_)) return;
    try {
        e2e::run({"wineserver", "-k"}, env(), 60s);
        e2e::run({"wineserver", "-w"}, env(), 60s);
    } catch (const std::exception&) {
        // Nothing ran there.
    }
}

bool WineSession::xdotool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return e2e::run(argv, {xvfb_.env()}, 30s) == 0;
}

void WineSession::setDpi(int dpi) const {
    if (e2e::run({"wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t",
                  "REG_DWORD", "/d", std::to_string(dpi), "/f"},
                 env(), 120s) != 0)
        throw std::runtime_error("cannot set the prefix's DPI");
}

std::string WineSession::scratchDirectory() const {
    const std::string directory = std::string(LIGHTMATRIX_WINE_PREFIXES) + "/" + name_ + "-files";
    fs::create_directories(directory);
    return directory;
}

TopLevelWatch::TopLevelWatch(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
    if (display_ == nullptr) throw std::runtime_error("cannot open display " + display);
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, False);
}

TopLevelWatch::~TopLevelWatch() {
    XCloseDisplay(display_);
}

std::vector<Geometry> TopLevelWatch::mappedWindows() {
    XSync(display_, False);
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        auto grow = [this](::Window window, int width, int height) {
            Seen& seen = windows_[window];
            seen.width = std::max(seen.width, width);
            seen.height = std::max(seen.height, height);
        };
        if (event.type == CreateNotify)
            grow(event.xcreatewindow.window, event.xcreatewindow.width, event.xcreatewindow.height);
        else if (event.type == ConfigureNotify)
            grow(event.xconfigure.window, event.xconfigure.width, event.xconfigure.height);
        else if (event.type == MapNotify)
            windows_[event.xmap.window].mapped = true;
    }
    std::vector<Geometry> mapped;
    for (const auto& [window, seen] : windows_)
        if (seen.mapped) mapped.push_back({0, 0, seen.width, seen.height});
    return mapped;
}

std::optional<Geometry> findMappedWindow(const std::string& display, const std::string& name) {
    ::Display* x = XOpenDisplay(display.c_str());
    if (x == nullptr) throw std::runtime_error("cannot open display " + display);
    std::optional<Geometry> found;
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count) != 0) {
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes attributes;
            char* windowName = nullptr;
            if (XGetWindowAttributes(x, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable &&
                XFetchName(x, children[i], &windowName) != 0) {
                if (name == windowName)
                    found =
                        Geometry{attributes.x, attributes.y, attributes.width, attributes.height};
                XFree(windowName);
            }
        }
        if (children != nullptr) XFree(children);
    }
    XCloseDisplay(x);
    return found;
}

std::string outputOf(const e2e::Process& process) {
    std::string text = process.output();
    std::erase(text, '\r');
    return text;
}

}  // namespace lightmatrix::wine_test
