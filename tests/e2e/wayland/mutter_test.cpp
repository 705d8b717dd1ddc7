// lightmatrix --idle under GNOME's compositor: headless mutter tells the
// watcher the session's idle time through its idle monitor on the session
// bus, and a keyboard of the test's own, through mutter's remote desktop, is
// the user. Headless mutter has no screenshot tool: a saver tells that it
// showed through its run figures (LIGHTMATRIX_STATS), and the savers'
// protocol log (WAYLAND_DEBUG) tells when mutter gave one the keyboard.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "wayland_session.h"

namespace lightmatrix::wayland_test {
namespace {

using e2e::Process;

// The screen saver that `watcher` runs; 0 for none.
pid_t saverOf(const Process& watcher) {
    const std::string task = std::to_string(watcher.pid());
    std::ifstream children("/proc/" + task + "/task/" + task + "/children");
    pid_t saver = 0;
    children >> saver;
    return saver;
}

// The frames that mutter showed of the `nth` saver (1 for the first) since it
// gave that one the keyboard, from the savers' protocol log; -1 before then.
int framesSinceFocus(const std::string& log, int nth) {
    std::istringstream lines(log);
    int focused = 0;
    int frames = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("wl_keyboard@") != std::string::npos &&
            line.find(".enter(") != std::string::npos)
            ++focused;
        else if (focused >= nth && line.find("wl_callback@") != std::string::npos &&
                 line.find(".done(") != std::string::npos)
            ++frames;
    }
    return focused >= nth ? frames : -1;
}

std::string tail(const std::string& text) {
    return text.substr(text.size() - std::min<std::size_t>(text.size(), 2000));
}

// Waiting for the idle time, the watcher sleeps. Idle, it starts the saver;
// once a key has ended that, it waits for the idle time again and starts
// another. SIGTERM ends the watcher and the saver it runs.
TEST(IdleOnMutter, StartsTheSaverAtEachIdleTimeAndSleepsBetween) {
    MutterSession mutter;
    const std::string stats = mutter.file("stats");
    Process waiting =
        mutter.start({LIGHTMATRIX_SAVER, "--idle", "600"}, {"LIGHTMATRIX_STATS=" + stats});
    EXPECT_TRUE(
        e2e::waitUntil([&] { return sleepsThrough(waiting, 1s) && waiting.running(); }, 30s))
        << waiting.errorOutput();
    waiting.signal(SIGTERM);
    EXPECT_EQ(waiting.wait(30s), 0) << waiting.errorOutput();
    EXPECT_FALSE(std::filesystem::exists(stats)) << "a saver ran";

    // The session has been idle for longer than that already.
    Process watcher = mutter.start({LIGHTMATRIX_SAVER, "--idle", "2"},
                                   {"LIGHTMATRIX_STATS=" + stats, "WAYLAND_DEBUG=client"});
    // The `nth` saver it started, once mutter has shown ten of its frames; 0 if none came.
    const auto shownSaver = [&](int nth) {
        pid_t saver = 0;
        const bool shown = e2e::waitUntil(
            [&] {
                saver = saverOf(watcher);
                return saver != 0 && framesSinceFocus(watcher.errorOutput(), nth) >= 10;
            },
            60s);
        return shown ? saver : 0;
    };
    const pid_t first = shownSaver(1);
    ASSERT_NE(first, 0) << tail(watcher.errorOutput());
    mutter.pressSpace();
    ASSERT_TRUE(e2e::waitUntil([&] { return saverOf(watcher) != first; }, 30s));
    e2e::checkRunFigures(stats, 1);
    std::filesystem::remove(stats);

    const pid_t second = shownSaver(2);
    ASSERT_NE(second, 0) << tail(watcher.errorOutput());
    EXPECT_NE(second, first);
    watcher.signal(SIGTERM);
    EXPECT_EQ(watcher.wait(30s), 0) << tail(watcher.errorOutput());
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(second))) << "the saver runs on";
    e2e::checkRunFigures(stats, 1);
}

}  // namespace
}  // namespace lightmatrix::wayland_test
