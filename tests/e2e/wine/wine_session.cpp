#include "wine_session.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace lightmatrix::wine_test {

namespace fs = std::filesystem;

std::string windowsPath(const std::string& unixPath) {
    std::string path = "Z:" + fs::absolute(unixPath).lexically_normal().string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string outputOf(const Process& process) {
    std::string text = process.output();
    std::erase(text, '\r');
    return text;
}

WineSession::WineSession(const std::string& name, int dpi, std::unique_ptr<e2e::XServer> server)
    : name_(name),
      xvfb_(server ? std::move(server) : std::make_unique<e2e::XServer>()),
      prefix_(LIGHTMATRIX_WINE_PREFIXES "/" + name) {
    for (const std::string& file : {kScreenSaver, kSettingsHost, kPictureProbe, kSleepProbe})
        if (!fs::exists(file))
            throw std::runtime_error(file + " is missing: build the mingw preset first");
    // Whatever a run that was cut short left behind.
    endWindowsProcesses();
    makePrefix(dpi);
    xvfb_->paintDesktop();
}

WineSession::~WineSession() {
    endWindowsProcesses();
}

std::vector<std::string> WineSession::env() const {
    return {xvfb_->env(), "WINEPREFIX=" + prefix_, "WINEDEBUG=-all",
            // No offers to install Mono or Gecko while the prefix is made.
            "WINEDLLOVERRIDES=mscoree,mshtml="};
}

void WineSession::makePrefix(int dpi) const {
    const std::string ready = prefix_ + "/.ready-at-" + std::to_string(dpi) + "-dpi";
    if (fs::exists(ready)) return;
    auto wine = [this](const std::vector<std::string>& command) {
        if (e2e::run(command, env(), 600s) != 0)
            throw std::runtime_error("cannot set up the prefix " + prefix_ + ": " + command[1]);
    };
    fs::remove_all(prefix_);
    fs::create_directories(fs::path(prefix_).parent_path());
    wine({"wineboot", "-i"});
    // Without a window manager, a managed window keeps the size Wine first
    // gave its X window: maximising it would change nothing on the screen.
    wine({"wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N",
          "/f"});
    // With XF86VidMode, Wine's display settings know the primary monitor alone
    // and it lists no other.
    wine({"wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "UseXVidMode", "/d", "N",
          "/f"});
    wine({"wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t",
          "REG_DWORD", "/d", std::to_string(dpi), "/f"});
    // The registry reaches the disk when wineserver ends.
    e2e::run({"wineserver", "-w"}, env(), 120s);
    std::ofstream(ready) << "made by the tests under Wine\n";
}

Process WineSession::start(const std::vector<std::string>& command,
                           const std::vector<std::string>& extraEnv) const {
    std::vector<std::string> argv{"wine"};
    argv.insert(argv.end(), command.begin(), command.end());
    std::vector<std::string> environment = env();
    environment.insert(environment.end(), extraEnv.begin(), extraEnv.end());
    return Process::start(argv, environment);
}

void WineSession::endWindowsProcesses() const {
    if (!fs::exists(prefix_)) return;
    e2e::run({"wineserver", "-k"}, env(), 60s);
    e2e::run({"wineserver", "-w"}, env(), 60s);
}

std::string WineSession::scratchDirectory() const {
    const std::string directory = LIGHTMATRIX_WINE_PREFIXES "/" + name_ + "-files";
    fs::create_directories(directory);
    return directory;
}

}  // namespace lightmatrix::wine_test
