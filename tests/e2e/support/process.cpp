#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

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
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
    std::map<std::string, std::string> entries;
    auto put = [&](const std::string& entry) {
        const auto eq = entry.find('=');
        entries[entry.substr(0, eq)] = entry;
    };
    for (char** e = environ; *e != nullptr; ++e) put(*e);
    for (const auto& entry : extra) put(entry);
    std::vector<std::string> merged;
    for (auto& [name, entry] : entries) merged.push_back(entry);
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

Process Process::start(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    if (argv.empty()) throw std::invalid_argument("no command");
    Process process;
    process.errPath_ = temporaryFile("err");
    process.outPath_ = temporaryFile("out");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, process.outPath_.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, process.errPath_.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    // The test runner may block or ignore signals; the child starts clean.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigfillset(&defaults);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> args = argv;
    std::vector<std::string> environment = mergedEnvironment(env);
    auto argp = pointers(args);
    auto envp = pointers(environment);
    const int error = posix_spawnp(&process.pid_, args[0].c_str(), &actions, &attributes,
                                   argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(error));
    return process;
}

Process::Process(Process&& other) noexcept {
    *this = std::move(other);
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

Process::~Process() {
    release();
}

void Process::release() {
    if (pid_ > 0 && !status_) {
        ::kill(-pid_, SIGKILL);
        int raw = 0;
        waitpid(pid_, &raw, 0);
    } else if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);  // anything the process left behind in its group
    }
    if (!errPath_.empty()) std::remove(errPath_.c_str());
    if (!outPath_.empty()) std::remove(outPath_.c_str());
    pid_ = -1;
}

std::optional<int> Process::wait(std::chrono::milliseconds timeout) {
    if (status_) return status_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int raw = 0;
        const pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return status_;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool Process::running() {
    return !wait(std::chrono::milliseconds(0)).has_value();
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
    Process process = Process::start(argv, env);
    const auto status = process.wait(timeout);
    if (!status) throw std::runtime_error(argv[0] + " did not finish in time");
    return *status;
}

std::string runOutput(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                      std::chrono::milliseconds timeout) {
    Process process = Process::start(argv, env);
    if (!process.wait(timeout)) throw std::runtime_error(argv[0] + " did not finish in time");
    return process.output();
}

std::map<std::string, long> readStats(const std::string& path) {
    std::map<std::string, long> stats;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (const auto eq = line.find('='); eq != std::string::npos)
            stats[line.substr(0, eq)] = std::stol(line.substr(eq + 1));
    return stats;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace lightmatrix::e2e
