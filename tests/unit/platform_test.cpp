#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/common/deadline_timers.h"
#include "platform/posix/instance_lock.h"
#include "platform/posix/unique_fd.h"
#include "platform/win32/command_line.h"
#include "support/scratch_dir.h"

namespace lightmatrix {
namespace {

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

TEST(WindowsCommandLine, TheArgumentsFollowTheProgramsNameQuotedOrNot) {
    EXPECT_EQ(argumentText("lightmatrix.scr /p 1234"), "/p 1234");
    EXPECT_EQ(argumentText("\"C:\\Saver Files\\light matrix.scr\" /s"), "/s");
    EXPECT_EQ(argumentText("C:\\a\" b\"\\x.scr\t /c:99  "), "/c:99  ");
    EXPECT_EQ(argumentText("\"x.scr\""), "");
    EXPECT_EQ(argumentText(""), "");
}

TEST(DeadlineTimers, ATimerThatOutlivesItsTimersOnlyKeepsItsState) {
    std::unique_ptr<Timer> timer;
    {
        DeadlineTimers timers(60);
        timer = timers.create(10, [] {});
    }
    timer->setEnabled(false);
    timer->setEnabled(true);
    EXPECT_TRUE(timer->enabled());
    EXPECT_EQ(timer->ticksRun(), 0);
}

}  // namespace
}  // namespace lightmatrix
