#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "e2e/support/e2e.h"

namespace lightmatrix::e2e {

namespace {

// Xorg's configuration of two dummy video devices, a screen each, joined side
// by side by Xinerama.
std::string twoMonitorsConfiguration() {
    std::string config =
        "Section \"ServerFlags\"\n Option \"AutoAddDevices\" \"false\"\nEndSection\n"
        "Section \"Monitor\"\n Identifier \"m\"\n HorizSync 5-1000\n VertRefresh 5-200\n"
        " Modeline \"1024x768\" 63.5 1024 1072 1176 1328 768 771 775 798 -hsync +vsync\n"
        " Modeline \"1280x1024\" 109 1280 1368 1496 1712 1024 1027 1034 1063 -hsync +vsync\n"
        "EndSection\n"
        "Section \"ServerLayout\"\n Identifier \"two\"\n Screen 0 \"s0\"\n"
        " Screen 1 \"s1\" RightOf \"s0\"\n Option \"Xinerama\" \"on\"\nEndSection\n";
    for (const std::string mode : {"1024x768", "1280x1024"}) {
        const std::string n = mode == "1024x768" ? "0" : "1";
        const std::string size =
            mode.substr(0, mode.find('x')) + " " + mode.substr(mode.find('x') + 1);
        config += "Section \"Device\"\n Identifier \"d" + n +
                  "\"\n Driver \"dummy\"\n VideoRam 64000\nEndSection\n"
                  "Section \"Screen\"\n Identifier \"s" +
                  n + "\"\n Device \"d" + n +
                  "\"\n Monitor \"m\"\n DefaultDepth 24\n SubSection \"Display\"\n  Depth 24\n"
                  "  Modes \"" +
                  mode + "\"\n  Virtual " + size + "\n EndSubSection\nEndSection\n";
    }
    return config;
}

}  // namespace

XServer::XServer(int width, int height, int screens)
    : XServer(
          [&] {
              std::vector<std::string> command{"Xvfb"};
              for (int s = 0; s < screens; ++s)
                  command.insert(command.end(),
                                 {"-screen", std::to_string(s),
                                  std::to_string(width) + "x" + std::to_string(height) + "x24"});
              return command;
          }(),
          {{0, 0, width, height}}) {}

std::unique_ptr<XServer> XServer::twoMonitors() {
    std::string scratch = std::filesystem::temp_directory_path() / "lightmatrix-xorg-XXXXXX";
    if (mkdtemp(scratch.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    std::ofstream(scratch + "/xorg.conf") << twoMonitorsConfiguration();
    return std::unique_ptr<XServer>(
        new XServer({"Xorg", "-config", scratch + "/xorg.conf", "-logfile", scratch + "/xorg.log",
                     "-novtswitch", "-sharevts"},
                    {{0, 0, 1024, 768}, {1024, 0, 2304, 1024}}, scratch));
}

XServer::XServer(std::vector<std::string> command, std::vector<PixelRect> monitors,
                 std::string scratch)
    : monitors_(std::move(monitors)), scratch_(std::move(scratch)) {
    // The server picks a free display itself and writes its number to the pipe.
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("cannot make a pipe for the X server");
    fcntl(pipeEnds[0], F_SETFD, FD_CLOEXEC);
    command.insert(command.end(),
                   {"-displayfd", std::to_string(pipeEnds[1]), "-nolisten", "tcp", "-noreset"});
    try {
        server_ = Process::start(command);
    } catch (...) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        throw;
    }
    close(pipeEnds[1]);
    std::string number;
    pollfd readable{pipeEnds[0], POLLIN, 0};
    char c = 0;
    while (poll(&readable, 1, 20000) > 0 && read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
    close(pipeEnds[0]);
    if (number.empty())
        throw std::runtime_error(command[0] + " did not start: " + server_->errorOutput());
    display_ = ":" + number;
}

XServer::~XServer() {
    server_->signal(SIGTERM);
    server_->wait(5s);
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
}

void XServer::paintDesktop() const {
    ::Display* x = XOpenDisplay(display_.c_str());
    if (x == nullptr) throw std::runtime_error("cannot open display " + display_);
    XSetWindowBackground(x, DefaultRootWindow(x), 0x123456);
    XClearWindow(x, DefaultRootWindow(x));
    XCloseDisplay(x);
}

bool XServer::xdotool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command, {env()}) == 0;
}

}  // namespace lightmatrix::e2e
