// lightmatrix --idle on X11: with no compositor and no session bus to ask, the
// watcher takes the X server's idle time, and starts the saver each time the
// session has been idle that long.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/syscall.h>

#include <fstream>
#include <thread>

#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

using e2e::Process;

// The processes that `pid` started and has not reaped.
std::vector<pid_t> childrenOfProcess(pid_t pid) {
    const std::string id = std::to_string(pid);
    std::ifstream list("/proc/" + id + "/task/" + id + "/children");
    std::vector<pid_t> children;
    for (pid_t child = 0; list >> child;) children.push_back(child);
    return children;
}

// Whether `pid` waits in ppoll, as the watcher does for the session's events
// once it has told the X server what to watch.
bool waitsForEvents(pid_t pid) {
    std::ifstream call("/proc/" + std::to_string(pid) + "/syscall");
    long number = -1;
    call >> number;
    return number == SYS_ppoll;
}

// The saver that the watcher started, once its lights show; 0 if none did.
pid_t waitForSaver(const SaverSession& session, const Process& watcher) {
    std::vector<pid_t> children;
    e2e::waitUntil(
        [&] {
            children = childrenOfProcess(watcher.pid());
            return !children.empty();
        },
        30s);
    if (children.size() != 1 ||
        waitForLightsOf(session.display(), children[0], 3, 30s).litDiscs < 3)
        return 0;
    return children[0];
}

TEST(X11IdleWatcher, StartsTheSaverWhenIdleNeverWhileResetAgainAfterAKeyAndEndsWithItOnSigterm) {
    SaverSession session;
    Connection x(session.display());
    int moves = 0;
    const auto moveMouse = [&] {
        return session.xdotool({"mousemove", std::to_string(100 + 50 * (++moves % 2)), "100"});
    };
    const auto resetScreenSaver = [&] {
        XResetScreenSaver(x);
        XFlush(x);
    };

    // 1. While the mouse moves, from before the watcher starts, nothing shows.
    WindowWatch moving(session.display());
    ASSERT_TRUE(moveMouse());
    // No compositor and no session bus: it falls through to the X server.
    Process watcher = session.start({"--idle", "2"}, {"WAYLAND_DISPLAY=no-compositor",
                                                      "DBUS_SESSION_BUS_ADDRESS=unix:path=/none"});
    ASSERT_TRUE(e2e::waitUntil([&] { return moveMouse() && waitsForEvents(watcher.pid()); }, 30s))
        << watcher.errorOutput();
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(moveMouse());
        std::this_thread::sleep_for(300ms);
    }
    EXPECT_EQ(moving.largestShown(), std::pair(0, 0)) << "the saver showed while the mouse moved";

    // 2. XResetScreenSaver, as video players call it, keeps the saver away too.
    WindowWatch resetting(session.display());
    for (int i = 0; i < 6; ++i) {
        resetScreenSaver();
        std::this_thread::sleep_for(1s);
    }
    EXPECT_EQ(resetting.largestShown(), std::pair(0, 0)) << "the saver showed in spite of resets";
    EXPECT_TRUE(childrenOfProcess(watcher.pid()).empty());

    // 3. Left alone, the saver shows.
    const pid_t first = waitForSaver(session, watcher);
    ASSERT_NE(first, 0) << watcher.errorOutput();

    // 4. A key ends the saver, not the watcher. The session is kept awake
    // meanwhile, so that no next saver shows before the screen is seen clear.
    ASSERT_TRUE(session.xdotool({"key", "space"}));
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            resetScreenSaver();
            return childrenOfProcess(watcher.pid()).empty() &&
                   e2e::inspectLights(e2e::capture(session.display())).litDiscs == 0;
        },
        30s))
        << "the saver still shows after a key";
    EXPECT_TRUE(watcher.running()) << watcher.errorOutput();

    // 5. Another idle time, another saver.
    const pid_t second = waitForSaver(session, watcher);
    ASSERT_NE(second, 0) << watcher.errorOutput();

    // 6. SIGTERM ends the watcher, and its saver with it: nothing is left of its process group.
    watcher.signal(SIGTERM);
    EXPECT_EQ(watcher.wait(30s), 0);
    EXPECT_NE(kill(-watcher.pid(), 0), 0) << "the saver runs on after the watcher ended";
    EXPECT_EQ(watcher.errorOutput(), "");
}

TEST(X11IdleWatcher, ALostXServerEndsItWithOneLineAndStatusOne) {
    SaverSession session;
    Process watcher = session.start(
        {"--idle", "600"},
        {"WAYLAND_DISPLAY=no-compositor", "DBUS_SESSION_BUS_ADDRESS=unix:path=/none"});
    ASSERT_TRUE(e2e::waitUntil([&] { return waitsForEvents(watcher.pid()); }, 30s))
        << watcher.errorOutput();
    session.killServer();
    EXPECT_EQ(watcher.wait(30s), 1);
    EXPECT_EQ(watcher.errorOutput(),
              "lightmatrix: run-time error: Window system error: lost the connection to the X "
              "display\n");
}

}  // namespace
}  // namespace lightmatrix::x11_test
