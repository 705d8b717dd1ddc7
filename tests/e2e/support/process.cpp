#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "e2e/support/e2e.h"

extern char** environ;

namespace lightmatrix::e2e {

namespace {

std::string temporaryFile(const char* tag) {
    std::string path = std::string("/tmp/lightmatrix-e2e-") + tag + "-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) throw std::runtime_error("cannot create a temporary file");
    close(fd);
    return path;
}

std::string readFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

Process Process::start(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    Process process;
    process.errPath_ = temporaryFile("err");
    process.outPath_ = temporaryFile("out");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, process.outPath_.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, process.errPath_.c_str(), O_WRONLY | O_TRUNC, 0);
    // Its own process group; the test runner may block or ignore signals, the
    // child starts clean.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    // env(1) adds the entries to ours and runs the program in its own place.
    std::vector<std::string> args{"env"};
    args.insert(args.end(), env.begin(), env.end());
    args.insert(args.end(), argv.begin(), argv.end());
    auto argp = pointers(args);
    const int error =
        posix_spawnp(&process.pid_, "env", &actions, &attributes, argp.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        throw std::runtime_error(std::string("cannot start env: ") + std::strerror(error));
    return process;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        release();
        pid_ = std::exchange(other.pid_, -1);
        status_ = other.status_;
        errPath_ = std::move(other.errPath_);
        outPath_ = std::move(other.outPath_);
    }
    return *this;
}

void Process::release() {
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);  // and anything it left behind in its group
        int raw = 0;
        if (!status_) waitpid(pid_, &raw, 0);
    }
    if (!errPath_.empty()) std::remove(errPath_.c_str());
    if (!outPath_.empty()) std::remove(outPath_.c_str());
    pid_ = -1;
}

std::optional<int> Process::wait(std::chrono::milliseconds timeout) {
    waitUntil(
        [&] {
            int raw = 0;
            if (!status_ && waitpid(pid_, &raw, WNOHANG) == pid_)
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return status_.has_value();
        },
        timeout);
    return status_;
}

void Process::signal(int sig) {
    if (pid_ > 0 && !status_) ::kill(pid_, sig);
}

std::string Process::errorOutput() const {
    return readFile(errPath_);
}
std::string Process::output() const {
    return readFile(outPath_);
}

int run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
        std::chrono::milliseconds timeout) {
    const auto status = Process::start(argv, env).wait(timeout);
    if (!status) throw std::runtime_error(argv[0] + " did not finish in time");
    return *status;
}

std::string runOutput(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                      std::chrono::milliseconds timeout) {
    Process process = Process::start(argv, env);
    if (!process.wait(timeout)) throw std::runtime_error(argv[0] + " did not finish in time");
    return process.output();
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

void checkRunFigures(const std::string& path, int litDiscs) {
    std::map<std::string, double> figures;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (const auto eq = line.find('='); eq != std::string::npos)
            figures[line.substr(0, eq)] = std::stod(line.substr(eq + 1));
    ASSERT_EQ(figures.size(), 3u) << "no run figures in " << path;
    EXPECT_GE(figures["ticks"], litDiscs);
    EXPECT_GE(figures["first_frame_ms"], 0);
    EXPECT_GT(figures["run_ms"], figures["first_frame_ms"]);
    ::testing::Test::RecordProperty(
        "lighting_ticks_per_second",
        std::to_string(1000 * figures["ticks"] / (figures["run_ms"] - figures["first_frame_ms"])));
}

}  // namespace lightmatrix::e2e
