#include "platform/instance_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace {

// Holds the lock the way a running copy would: another open file description.
struct OtherInstance {
    int fd = -1;
    explicit OtherInstance(const std::string& path) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    }
    ~OtherInstance() { ::close(fd); }
};

}  // namespace

TEST(InstanceLock, FirstStartPassesAndASecondIsRefusedUntilTheFirstEnds) {
    TempDir dir;
    SetInstanceLockPath(dir / "HARROWINMUTEXDATA");
    {
        OtherInstance running(InstanceLockPath());
        EXPECT_FALSE(IsFirstInstance());
        EXPECT_FALSE(IsFirstInstance());  // asking again changes nothing for the running copy
    }
    EXPECT_TRUE(IsFirstInstance());
    CreateInstanceMutex();
    // This copy now holds it: another descriptor cannot take it.
    int probe = ::open(InstanceLockPath().c_str(), O_RDWR);
    EXPECT_NE(::flock(probe, LOCK_EX | LOCK_NB), 0);
    ::close(probe);
    ReleaseInstanceMutex();
    probe = ::open(InstanceLockPath().c_str(), O_RDWR);
    EXPECT_EQ(::flock(probe, LOCK_EX | LOCK_NB), 0);
    ::close(probe);
    SetInstanceLockPath("");
}

TEST(InstanceLock, TheTestTakesTheLockSoTwoStartsCannotBothPass) {
    TempDir dir;
    SetInstanceLockPath(dir / "lock");
    ASSERT_TRUE(IsFirstInstance());
    // A second process starting now is refused, even before CreateInstanceMutex.
    pid_t child = ::fork();
    if (child == 0) {
        SetInstanceLockPath(dir / "lock");
        ::_exit(IsFirstInstance() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ReleaseInstanceMutex();
    SetInstanceLockPath("");
}

TEST(InstanceLock, ALinkPlantedAtTheLockIsNeverFollowed) {
    TempDir dir;
    SetInstanceLockPath(dir / "lock");
    // A dangling link would have the lock create the file it points to.
    ASSERT_EQ(::symlink((dir / "made-through-link").c_str(), (dir / "lock").c_str()), 0);
    EXPECT_TRUE(IsFirstInstance());
    CreateInstanceMutex();
    ReleaseInstanceMutex();
    EXPECT_NE(::access((dir / "made-through-link").c_str(), F_OK), 0);
    // A link to a file that someone holds locked would keep the program from starting.
    ::unlink((dir / "lock").c_str());
    OtherInstance holder(dir / "held");
    ASSERT_EQ(::symlink((dir / "held").c_str(), (dir / "lock").c_str()), 0);
    EXPECT_TRUE(IsFirstInstance());
    ReleaseInstanceMutex();
    SetInstanceLockPath("");
}

TEST(InstanceLock, AnUnusableLockFolderRunsWithoutTheGuard) {
    SetInstanceLockPath("/nonexistent-folder-harrowin/lock");
    EXPECT_TRUE(IsFirstInstance());
    CreateInstanceMutex();
    ReleaseInstanceMutex();
    SetInstanceLockPath("");
}
