#include "platform/instance_lock.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

int g_handle = -1;  // the open, locked file of this instance; -1 until taken
std::string g_pathOverride;

bool TakeLock() {
    if (g_handle >= 0) return true;
    const std::string path = InstanceLockPath();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    g_handle = fd;
    return true;
}

bool LockHeldElsewhere() {
    const std::string path = InstanceLockPath();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;  // cannot tell: let the program run
    bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);  // closing drops the probe's own lock, if it got one
    return held;
}

}  // namespace

std::string InstanceLockPath() {
    if (!g_pathOverride.empty()) return g_pathOverride;
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run && ::access(run, W_OK) == 0) {
        return std::string(run) + "/HARROWINMUTEXDATA";
    }
    return "/tmp/HARROWINMUTEXDATA-" + std::to_string(::getuid());
}

void SetInstanceLockPath(const std::string& path) {
    ReleaseInstanceMutex();
    g_pathOverride = path;
}

bool IsFirstInstance() {
    if (TakeLock()) return true;
    // The lock could not be taken: another copy holds it, or the file cannot be opened at all
    // (then there is no guard, and the program runs without it).
    return !LockHeldElsewhere();
}

void CreateInstanceMutex() { TakeLock(); }

void ReleaseInstanceMutex() {
    if (g_handle >= 0) {
        // Closing (not LOCK_UN) drops the lock only with the last descriptor of it, so a
        // forked child that gives up its copy cannot free the parent's lock.
        ::close(g_handle);
        g_handle = -1;
    }
}
