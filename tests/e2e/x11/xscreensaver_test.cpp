// lightmatrix as an XScreenSaver hack: installed with `cmake --install`, listed
// in a user's ~/.xscreensaver, and run by the real daemon. The daemon refuses
// to run hacks as root, so it runs here as the unprivileged user nobody.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

namespace fs = std::filesystem;
using e2e::LightsSeen;
using e2e::Process;

constexpr uid_t kNobody = 65534;

// The processes running `program`, by their executable.
std::set<pid_t> processesOf(const std::string& program) {
    std::set<pid_t> pids;
    const fs::path target = fs::canonical(program);
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code error;
        if (fs::read_symlink(entry.path() / "exe", error) == target && !error)
            pids.insert(std::stoi(name));
    }
    return pids;
}

std::string environmentOf(pid_t pid, const std::string& name) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    std::string entry;
    while (std::getline(in, entry, '\0'))
        if (entry.starts_with(name + "=")) return entry.substr(name.size() + 1);
    return {};
}

void giveTo(const fs::path& path, uid_t uid) {
    if (chown(path.c_str(), uid, uid) != 0)
        throw std::runtime_error("cannot chown " + path.string());
}

// lightmatrix installed under a prefix, and the daemon run by nobody with a
// home of its own whose ~/.xscreensaver lists it by name alone.
class XScreenSaverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        top_ = std::make_unique<ScratchDir>("x11-xss");
        const fs::path top = top_->path();
        prefix_ = top / "prefix";
        ASSERT_EQ(
            e2e::run({"cmake", "--install", LIGHTMATRIX_BUILD_DIR, "--prefix", prefix_}, {}, 120s),
            0);
        // nobody must reach the program and its own folders.
        fs::permissions(top, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
        home_ = top / "home";
        fs::create_directories(home_ / "run");
        std::ofstream settings(home_ / ".xscreensaver");
        settings << "mode:\t\tone\n"
                    "selected:\t0\n"
                    "lock:\t\tFalse\n"
                    "fade:\t\tFalse\n"
                    "unfade:\t\tFalse\n"
                    "splash:\t\tFalse\n"
                    "timeout:\t1:00:00\n"
                    "programs:\t\t\t\t\t\t\t\t\\\n"
                    "\t\t\tlightmatrix\t\t\t\t\t\\n\\\n\n";
        settings.close();
        for (const auto& path : {home_, home_ / "run", home_ / ".xscreensaver"})
            giveTo(path, kNobody);
    }

    void TearDown() override {
        daemon_.reset();
        // Hacks the daemon left behind, should it have left any.
        for (const pid_t pid : processesOf(installedSaver())) kill(pid, SIGKILL);
    }

    std::string installedSaver() const { return (prefix_ / "bin" / "lightmatrix").string(); }

    void startDaemon(const std::string& display) {
        display_ = display;
        daemon_.emplace(
            Process::start({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "env",
                            "-i", "HOME=" + home_.string(), "DISPLAY=" + display,
                            "XDG_RUNTIME_DIR=" + (home_ / "run").string(),
                            "PATH=" + (prefix_ / "bin").string() + ":/usr/bin:/bin", "xscreensaver",
                            "-no-splash", "-verbose"}));
        ASSERT_TRUE(e2e::waitUntil([&] { return command({"-version"}) == 0; }, 30s))
            << "the daemon did not come up:\n"
            << daemon_->errorOutput();
    }

    int command(const std::vector<std::string>& arguments) const {
        std::vector<std::string> argv{"xscreensaver-command"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return e2e::run(argv, {"DISPLAY=" + display_}, 30s);
    }

    // Waits until exactly `count` hacks run, none of them one of `notThese`.
    std::set<pid_t> waitForHacks(std::size_t count, const std::set<pid_t>& notThese = {}) {
        std::set<pid_t> hacks;
        e2e::waitUntil(
            [&] {
                hacks = processesOf(installedSaver());
                for (const pid_t pid : hacks)
                    if (notThese.contains(pid)) return false;
                return hacks.size() == count;
            },
            30s);
        return hacks;
    }

    std::unique_ptr<ScratchDir> top_;
    fs::path prefix_;
    fs::path home_;
    std::string display_;
    std::optional<Process> daemon_;
};

TEST_F(XScreenSaverTest, InstallPutsTheHackWhereTheDaemonAndItsSettingsFindIt) {
    EXPECT_TRUE(fs::is_regular_file(prefix_ / "bin" / "lightmatrix"));
    const fs::path hack = prefix_ / "libexec" / "xscreensaver" / "lightmatrix";
    ASSERT_TRUE(fs::exists(hack));
    EXPECT_EQ(fs::canonical(hack), fs::canonical(prefix_ / "bin" / "lightmatrix"));
    const fs::path xml = prefix_ / "share" / "xscreensaver" / "config" / "lightmatrix.xml";
    ASSERT_TRUE(fs::is_regular_file(xml));
    std::ifstream in(xml);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("<screensaver name=\"lightmatrix\""), std::string::npos);
    EXPECT_NE(text.find("</screensaver>"), std::string::npos);
}

TEST_F(XScreenSaverTest, TheDaemonShowsTheLightsAndEndsTheHackWhenItDeactivates) {
    SaverSession session;
    startDaemon(session.display());
    ASSERT_EQ(command({"-select", "1"}), 0);

    const auto hacks = waitForHacks(1);
    ASSERT_EQ(hacks.size(), 1u) << daemon_->errorOutput();
    const pid_t hack = *hacks.begin();
    // It draws in the daemon's window rather than one of its own. (The daemon
    // marks its window with the pid of the hack that draws there.)
    const std::string given = environmentOf(hack, "XSCREENSAVER_WINDOW");
    ASSERT_NE(given, "");
    const auto window = windowOfProcess(session.display(), hack);
    if (window) {
        EXPECT_EQ(window->id, std::stoul(given, nullptr, 0)) << "a window of its own";
    }

    const LightsSeen seen = waitForLights(session.display(), 20, 30s);
    EXPECT_GE(seen.litDiscs, 20) << daemon_->errorOutput();
    EXPECT_EQ(seen.strayPixels, 0);
    EXPECT_EQ(seen.mixedDiscs, 0);

    ASSERT_EQ(command({"-deactivate"}), 0);
    EXPECT_TRUE(e2e::waitUntil([&] { return processesOf(installedSaver()).empty(); }, 15s))
        << "the hack runs on after the daemon deactivated";
    EXPECT_TRUE(daemon_->running());
}

TEST_F(XScreenSaverTest, EveryScreenShowsLightsAndSwitchingHacksLeavesNoneBlank) {
    e2e::Xvfb xvfb(800, 600, 2);
    startDaemon(xvfb.display());
    ASSERT_EQ(command({"-select", "1"}), 0);

    // One hack per screen, and neither refuses to run because of the other.
    const auto first = waitForHacks(2);
    ASSERT_EQ(first.size(), 2u) << daemon_->errorOutput();
    for (const std::string screen : {".0", ".1"}) {
        const LightsSeen seen = waitForLights(xvfb.display() + screen, 10, 30s);
        EXPECT_GE(seen.litDiscs, 10) << "screen " << screen;
        EXPECT_EQ(seen.strayPixels, 0) << "screen " << screen;
    }

    // The daemon starts new hacks while the old ones may still be ending; in
    // the end the new ones alone run.
    ASSERT_EQ(command({"-select", "1"}), 0);
    const auto second = waitForHacks(2, first);
    ASSERT_EQ(second.size(), 2u) << daemon_->errorOutput();
    for (const pid_t pid : second) EXPECT_FALSE(first.contains(pid));
    for (const std::string screen : {".0", ".1"}) {
        const LightsSeen seen = waitForLights(xvfb.display() + screen, 10, 30s);
        EXPECT_GE(seen.litDiscs, 10) << "screen " << screen << " stayed blank after the switch";
    }
    ASSERT_EQ(command({"-deactivate"}), 0);
    EXPECT_TRUE(e2e::waitUntil([&] { return processesOf(installedSaver()).empty(); }, 15s));
}

// The daemon's part played by the test: a window of its own named in
// XSCREENSAVER_WINDOW, in hex as the daemon writes it, or in decimal.
TEST(X11GivenWindow, TheSaverDrawsInTheNamedWindowAndMakesNoneOfItsOwn) {
    SaverSession session;
    Connection x(session.display());
    // Black, as the daemon's is: the lights are all that can show there.
    const ::Window given =
        XCreateSimpleWindow(x, DefaultRootWindow(x.get()), 0, 0, 640, 480, 0, 0, 0);
    XMapWindow(x, given);
    XSync(x, False);
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", given);
    for (const std::string& name : {std::string(hex), std::to_string(given)}) {
        // What an earlier run drew stays in the window; only new lights count.
        XClearWindow(x, given);
        XSync(x, False);
        Process saver = session.start({}, {"XSCREENSAVER_WINDOW=" + name});
        const LightsSeen seen = waitForLights(session.display(), 10, 30s, given);
        EXPECT_GE(seen.litDiscs, 10) << name << "\n" << saver.errorOutput();
        EXPECT_EQ(seen.strayPixels, 0) << name;
        EXPECT_EQ(seen.mixedDiscs, 0) << name;
        EXPECT_FALSE(windowOfProcess(session.display(), saver.pid()).has_value()) << name;
        // The daemon ends it with SIGTERM.
        saver.signal(SIGTERM);
        EXPECT_EQ(saver.wait(10s), 0) << name << "\n" << saver.errorOutput();
        EXPECT_EQ(saver.errorOutput(), "") << name;
    }
    // Destroying the window ends the saver quietly.
    XClearWindow(x, given);
    XSync(x, False);
    Process saver = session.start({}, {"XSCREENSAVER_WINDOW=" + std::string(hex)});
    ASSERT_GE(waitForLights(session.display(), 1, 30s, given).litDiscs, 1) << saver.errorOutput();
    XDestroyWindow(x, given);
    XSync(x, False);
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
    EXPECT_EQ(saver.errorOutput(), "");

    // A value that names no window at all is an error.
    for (const std::string bad : {"abc", "0x", "12abc"}) {
        Process wrong = session.start({}, {"XSCREENSAVER_WINDOW=" + bad});
        EXPECT_EQ(wrong.wait(10s), 1) << bad;
        EXPECT_NE(wrong.errorOutput().find("XSCREENSAVER_WINDOW"), std::string::npos)
            << bad << ": " << wrong.errorOutput();
    }
}

}  // namespace
}  // namespace lightmatrix::x11_test
