#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/support/e2e.h"

namespace lightmatrix::e2e {

Xvfb::Xvfb(int width, int height, int screens) : width_(width), height_(height) {
    // Xvfb picks a free display itself and writes its number to the pipe.
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("cannot make a pipe for Xvfb");
    fcntl(pipeEnds[0], F_SETFD, FD_CLOEXEC);
    const std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::vector<std::string> command{"Xvfb",      "-displayfd", std::to_string(pipeEnds[1]),
                                     "-nolisten", "tcp",        "-noreset"};
    for (int s = 0; s < screens; ++s)
        command.insert(command.end(), {"-screen", std::to_string(s), size});
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
    if (number.empty()) throw std::runtime_error("Xvfb did not start: " + server_->errorOutput());
    display_ = ":" + number;
}

Xvfb::~Xvfb() {
    if (server_) {
        server_->signal(SIGTERM);
        server_->wait(std::chrono::seconds(5));
    }
}

}  // namespace lightmatrix::e2e
