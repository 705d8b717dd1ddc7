// lightmatrix as an XScreenSaver hack: installed with `cmake --install` (or,
// built with LIGHTMATRIX_PACKAGE_DEB, the Debian package unpacked), listed in a
// user's ~/.xscreensaver as its description says, and run by the real daemon.
// The daemon refuses to run hacks as root, so it runs here as the
// unprivileged user nobody.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

namespace fs = std::filesystem;
using e2e::LightsSeen;
using e2e::Process;

// lightmatrix installed under /usr of a scratch root, and the daemon run by
// nobody with a home of its own whose ~/.xscreensaver lists the hack as its
// description says: its name and the arguments of its command.
class XScreenSaverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path top = top_.path();
#ifdef LIGHTMATRIX_PACKAGE_DEB
        ASSERT_EQ(e2e::run({"dpkg-deb", "-x", LIGHTMATRIX_PACKAGE_DEB, top / "root"}), 0);
#else
        ASSERT_EQ(
            e2e::run({"cmake", "--install", LIGHTMATRIX_BUILD_DIR, "--prefix", prefix_}, {}, 120s),
            0);
#endif
        // The daemon finds the hack in its own folder, and its description.
        EXPECT_EQ(fs::canonical(prefix_ / "libexec/xscreensaver/lightmatrix"), installedSaver());
        std::stringstream xml;
        xml << std::ifstream(prefix_ / "share/xscreensaver/config/lightmatrix.xml").rdbuf();
        std::smatch name;
        std::smatch command;
        const std::string description = xml.str();
        ASSERT_TRUE(
            std::regex_search(description, name, std::regex("<screensaver name=\"([^\"]+)\"")));
        std::ostringstream hack;
        hack << name[1];
        if (std::regex_search(description, command, std::regex("<command arg=\"([^\"]*)\"")))
            hack << ' ' << command[1];
        // nobody must reach the program and its own folders.
        fs::permissions(top, fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
        fs::create_directories(home_ / "run");
        std::ofstream(home_ / ".xscreensaver")
            << "mode:\tone\nselected:\t0\nlock:\tFalse\nfade:\tFalse\nunfade:\tFalse\n"
               "splash:\tFalse\ntimeout:\t1:00:00\nprograms:\t\\\n\t"
            << hack.str() << "\t\\n\\\n\n";
        for (const auto& path : {home_, home_ / "run", home_ / ".xscreensaver"})
            ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    }

    void TearDown() override {
        daemon_.reset();
        // Hacks the daemon left behind, should it have left any.
        for (const pid_t pid : hacks()) kill(pid, SIGKILL);
    }

    fs::path installedSaver() const {
        return fs::canonical(prefix_ / "bin/lightmatrix");
    }

    // The processes running the installed program.
    std::set<pid_t> hacks() const {
        std::set<pid_t> pids;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::error_code error;
            if (fs::read_symlink(entry.path() / "exe", error) == installedSaver() && !error)
                pids.insert(std::stoi(entry.path().filename()));
        }
        return pids;
    }

    // Waits until exactly `count` hacks run, none of them one of `notThese`.
    std::set<pid_t> waitForHacks(std::size_t count, const std::set<pid_t>& notThese = {}) {
        std::set<pid_t> running;
        e2e::waitUntil(
            [&] {
                running = hacks();
                for (const pid_t pid : running)
                    if (notThese.contains(pid)) return false;
                return running.size() == count;
            },
            30s);
        return running;
    }

    void startDaemon(const std::string& display) {
        display_ = display;
        daemon_.emplace(Process::start(
            {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "env", "-i",
             "HOME=" + home_.string(), "DISPLAY=" + display,
             "XDG_RUNTIME_DIR=" + (home_ / "run").string(),
             "PATH=" + (prefix_ / "libexec/xscreensaver").string() + ":/usr/bin:/bin",
             "xscreensaver", "-no-splash"}));
        ASSERT_TRUE(e2e::waitUntil([&] { return command({"-version"}) == 0; }, 30s))
            << "the daemon did not come up:\n"
            << daemon_->errorOutput();
    }

    int command(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "xscreensaver-command");
        return e2e::run(arguments, {"DISPLAY=" + display_}, 30s);
    }

    ScratchDir top_{"x11-xss"};
    fs::path prefix_ = fs::path(top_.path()) / "root/usr";
    fs::path home_ = fs::path(top_.path()) / "home";
    std::string display_;
    std::optional<Process> daemon_;
};

TEST_F(XScreenSaverTest, EveryScreenShowsLightsThroughASwitchOfHacksUntilTheDaemonDeactivates) {
    e2e::XServer xvfb(800, 600, 2);
    startDaemon(xvfb.display());
    // One hack per screen, and neither refuses to run because of the other.
    // The daemon starts new hacks while the old ones may still be ending; in
    // the end the new ones alone run, and draw.
    std::set<pid_t> before;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(command({"-select", "1"}), 0);
        const auto running = waitForHacks(2, before);
        ASSERT_EQ(running.size(), 2u) << "round " << round << "\n" << daemon_->errorOutput();
        for (const std::string screen : {".0", ".1"}) {
            const LightsSeen seen = waitForLights(xvfb.display() + screen, 10, 30s);
            EXPECT_GE(seen.litDiscs, 10) << "screen " << screen << " in round " << round;
            EXPECT_EQ(seen.strayPixels + seen.mixedDiscs, 0);
        }
        before = running;
    }
    ASSERT_EQ(command({"-deactivate"}), 0);
    EXPECT_TRUE(e2e::waitUntil([&] { return hacks().empty(); }, 15s))
        << "a hack runs on after the daemon deactivated";
    EXPECT_TRUE(daemon_->running());
}

#ifdef LIGHTMATRIX_PACKAGE_DEB
// The packaged program on its own: full screen until its first lights, and a
// key ends it.
TEST_F(XScreenSaverTest, TheUnpackedProgramRunsFullScreenUntilAKey) {
    SaverSession session;
    Process saver = Process::start({installedSaver()}, session.env());
    EXPECT_GE(waitForLightsOf(session.display(), saver.pid(), 10, 30s).litDiscs, 10)
        << saver.errorOutput();
    ASSERT_TRUE(session.xdotool({"key", "space"}));
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
}
#endif

}  // namespace
}  // namespace lightmatrix::x11_test
