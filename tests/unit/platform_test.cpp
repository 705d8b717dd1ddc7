#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "idle/idle_choice.h"
#include "platform/linux/instance_lock.h"
#include "platform/linux/unique_fd.h"
#include "platform/loop/deadline_timers.h"
#include "platform/x11/x11_visibility.h"
#include "programs/linux_command_line.h"
#include "programs/window_system.h"
#include "programs/windows_command_line.h"
#include "support/scratch_dir.h"

namespace lightmatrix {
namespace {

using namespace std::chrono_literals;
using testing_support::ScratchDir;

TEST(InstanceLock, OneAtATimeButNeverThroughALinkOrAnotherUsersFile) {
    ScratchDir dir;
    ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    const std::string lock = InstanceLock::defaultPath();
    ASSERT_EQ(lock, dir.file("lightmatrix.lock"));
    {
        InstanceLock first(InstanceLock::Mode::Exclusive);
        InstanceLock second(InstanceLock::Mode::Exclusive);
        InstanceLock hack(InstanceLock::Mode::DaemonHack);
        EXPECT_FALSE(first.anotherInstanceRunning());
        EXPECT_TRUE(second.anotherInstanceRunning());
        EXPECT_FALSE(hack.anotherInstanceRunning());  // a daemon's hack is never refused
    }
    EXPECT_FALSE(InstanceLock(InstanceLock::Mode::Exclusive).anotherInstanceRunning());

    // A link in the lock's place is not followed: it neither makes the file
    // it names nor finds the lock held on it.
    std::filesystem::remove(lock);
    std::filesystem::create_symlink(dir.file("elsewhere"), lock);
    EXPECT_FALSE(InstanceLock(InstanceLock::Mode::Exclusive).anotherInstanceRunning());
    EXPECT_FALSE(std::filesystem::exists(dir.file("elsewhere")));
    std::ofstream(dir.file("elsewhere")) << "someone's";
    const UniqueFd elsewhere(open(dir.file("elsewhere").c_str(), O_RDONLY));
    ASSERT_EQ(flock(elsewhere.get(), LOCK_EX), 0);
    EXPECT_FALSE(InstanceLock(InstanceLock::Mode::Exclusive).anotherInstanceRunning());

    // Another user's file, held, keeps nobody from running.
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    std::filesystem::remove(lock);
    std::ofstream(lock) << "";
    ASSERT_EQ(chown(lock.c_str(), 65534, 65534), 0);
    const UniqueFd theirs(open(lock.c_str(), O_RDONLY));
    ASSERT_EQ(flock(theirs.get(), LOCK_EX), 0);
    EXPECT_FALSE(InstanceLock(InstanceLock::Mode::Exclusive).anotherInstanceRunning());
}

TEST(WindowSystem, WaylandWhereACompositorIsThereElseX11AndX11ForHacksPreviewsAndWhenAsked) {
    using enum WindowSystem;
    using Systems = std::optional<std::vector<WindowSystem>>;
    std::map<std::string, std::string> environment;
    std::set<std::string> sockets{"/run/user/7/wayland-0", "/run/user/7/wayland-1", "/tmp/w"};
    const auto choice = [&](bool preview = false) {
        return windowSystemsToTry(surroundingsOf(
            preview,
            [&](const char* name) {
                const auto found = environment.find(name);
                return found == environment.end() ? nullptr : found->second.c_str();
            },
            [&](const std::string& path) { return sockets.contains(path); }));
    };
    EXPECT_EQ(choice(), Systems({X11}));
    environment["XDG_RUNTIME_DIR"] = "/run/user/7";  // wayland-0 by default
    EXPECT_EQ(choice(), Systems({Wayland, X11}));
    environment["WAYLAND_DISPLAY"] = "wayland-2";  // no such socket
    EXPECT_EQ(choice(), Systems({X11}));
    for (const char* display : {"wayland-1", "/tmp/w"}) {
        environment["WAYLAND_DISPLAY"] = display;
        EXPECT_EQ(choice(), Systems({Wayland, X11})) << display;
    }
    EXPECT_EQ(choice(/*preview=*/true), Systems({X11}));
    environment["XSCREENSAVER_WINDOW"] = "0x400008";
    EXPECT_EQ(choice(), Systems({X11}));
    environment["LIGHTMATRIX_BACKEND"] = "wayland";
    EXPECT_EQ(choice(), Systems({Wayland}));
    environment["LIGHTMATRIX_BACKEND"] = "x11";
    environment.erase("XSCREENSAVER_WINDOW");
    EXPECT_EQ(choice(), Systems({X11}));
    environment["LIGHTMATRIX_BACKEND"] = "X11";
    EXPECT_EQ(choice(), std::nullopt);
}

Request read(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "lightmatrix");
    return readCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

TEST(LinuxCommandLine, IdleTakesSecondsFromOneToADayAndNothingElseOtherOptionsAreAnswered) {
    for (const auto& [arguments, seconds] :
         {std::pair<std::vector<const char*>, int>{{"--idle", "600"}, 600},
          {{"--idle=1"}, 1},
          {{"--idle", "86400"}, 86400}}) {
        const Request request = read(arguments);
        EXPECT_EQ(request.kind, Request::Kind::IdleWatcher);
        EXPECT_EQ(request.idleAfter, std::chrono::seconds(seconds));
    }
    // Each a usage error, status 2: what is wrong and where to read more.
    for (const std::vector<const char*>& arguments :
         std::vector<std::vector<const char*>>{{"--idle"},
                                               {"--idle", "0"},
                                               {"--idle", "-5"},
                                               {"--idle", "ten"},
                                               {"--idle", "86401"},
                                               {"--idle", "1e3"},
                                               {"--idle="},
                                               {"--idle", "600", "/p", "12"},
                                               {"/s", "--idle", "600"},
                                               {"--idle", "/p"},
                                               {"--no-such-option"}}) {
        const Request request = read(arguments);
        EXPECT_EQ(request.kind, Request::Kind::Answered) << arguments.front();
        EXPECT_EQ(request.status, 2) << arguments.back();
        EXPECT_TRUE(request.message.starts_with("lightmatrix: ")) << request.message;
        EXPECT_TRUE(request.message.ends_with("Try 'lightmatrix --help' for more information.\n"))
            << request.message;
    }
    EXPECT_NE(read({"--idle", "ten"}).message.find("'ten'"), std::string::npos);
    EXPECT_NE(read({"/s", "--idle", "600"}).message.find("'/s'"), std::string::npos);

    const Request help = read({"/p", "1", "--help"});
    EXPECT_EQ(std::tuple(help.kind, help.status), std::tuple(Request::Kind::Answered, 0));
    EXPECT_NE(help.message.find("--idle SECONDS"), std::string::npos);
    // --root is no option: the saver reads every argument.
    const Request saver = read({"--root", "/p", "1234"});
    EXPECT_EQ(saver.kind, Request::Kind::Saver);
    EXPECT_EQ(saver.commandLine, "--root /p 1234");
}

TEST(IdleSource, TheCompositorsOwnFirstThenGnomesThenTheXServers) {
    using enum IdleKind;
    EXPECT_EQ(chooseIdleSource({}), std::nullopt);
    EXPECT_EQ(chooseIdleSource({.xsync = true}), XSync);
    EXPECT_EQ(chooseIdleSource({.gnomeIdleMonitor = true, .xsync = true}), GnomeIdleMonitor);
    EXPECT_EQ(chooseIdleSource({.kdeIdle = true, .gnomeIdleMonitor = true, .xsync = true}),
              KdeIdle);
    EXPECT_EQ(chooseIdleSource({.extIdleNotify = true, .kdeIdle = true, .xsync = true}),
              ExtIdleNotify);
}

TEST(WindowsCommandLine, TheArgumentsFollowTheProgramsNameQuotedOrNot) {
    EXPECT_EQ(argumentText("lightmatrix.scr /p 1234"), "/p 1234");
    EXPECT_EQ(argumentText("\"C:\\Saver Files\\light matrix.scr\" /s"), "/s");
    EXPECT_EQ(argumentText("C:\\a\" b\"\\x.scr\t /c:99  "), "/c:99  ");
    EXPECT_EQ(argumentText("\"x.scr\""), "");
    EXPECT_EQ(argumentText(""), "");
}

TEST(X11Visibility, UnseenWhileHiddenCoveredBlankedOrPoweredDownAndThePowerAskedOnceASecond) {
    using Power = X11Visibility::Power;
    std::optional<Power> power = Power::On;
    bool asked = false;
    X11Visibility visibility([&] {
        asked = true;
        return power;
    });
    const X11Visibility::Instant t0{};
    EXPECT_TRUE(visibility.seen(t0));
    // Standby and suspend are as dark as off; a second must pass between asks.
    auto t = t0;
    for (const Power dark : {Power::Standby, Power::Suspend, Power::Off}) {
        t += 10s;
        EXPECT_TRUE(visibility.seen(t));
        power = dark;
        EXPECT_TRUE(visibility.seen(t + 999ms));
        EXPECT_FALSE(visibility.seen(t + 1s));
        EXPECT_EQ(visibility.nextLook(), t + 2s);
        power = Power::On;
        EXPECT_TRUE(visibility.seen(t + 2s));
        EXPECT_EQ(visibility.nextLook(), std::nullopt);
    }
    // No DPMS, or DPMS disabled: the display counts as on.
    power = std::nullopt;
    EXPECT_TRUE(visibility.seen(t + 10s));

    // While an event says the window is hidden, nothing is asked nor looked
    // at later, the power known to be off or not: the event that shows it
    // wakes the loop.
    power = Power::Off;
    EXPECT_FALSE(visibility.seen(t + 12s));
    asked = false;
    for (int hidden = 0; hidden < 3; ++hidden) {
        visibility.viewable(hidden != 0);
        visibility.covered(hidden == 1);
        visibility.serverSaverOn(hidden == 2);
        EXPECT_FALSE(visibility.seen(t + 20s + hidden * 2s)) << hidden;
        EXPECT_EQ(visibility.nextLook(), std::nullopt) << hidden;
    }
    EXPECT_FALSE(asked);
    visibility.serverSaverOn(false);
    EXPECT_FALSE(visibility.seen(t + 30s));
    EXPECT_TRUE(asked);
}

// Switched off and on after its timers went (the saver outliving the loop),
// a timer touches nothing of theirs.
TEST(DeadlineTimers, ATimerThatOutlivesItsTimersOnlyKeepsItsState) {
    std::unique_ptr<Timer> timer;
    {
        DeadlineTimers timers(60);
        timer = timers.create(10, [] {});
    }
    timer->setEnabled(false);
    timer->setEnabled(true);
    EXPECT_EQ(timer->ticksRun(), 0);
}

}  // namespace
}  // namespace lightmatrix
