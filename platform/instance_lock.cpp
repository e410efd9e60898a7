#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/unique_fd.h"

namespace {

TUniqueFd g_handle;  // the open, locked file of this instance; none until taken
std::string g_pathOverride;

// The lock file, opened without following a link (/tmp is shared with every user, who could
// plant one there): an existing file of this user's own, else one made new here. None when
// neither can be had.
TUniqueFd OpenLockFile() {
    const std::string path = InstanceLockPath();
    for (int attempt = 0; attempt < 3; ++attempt) {
        TUniqueFd fd(::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.IsOpen() && errno == ENOENT) {
            fd.Reset(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!fd.IsOpen() && errno == EEXIST) continue;  // made by another start meanwhile
        }
        if (!fd.IsOpen()) return {};
        // Another user's file there could be held by that user to keep this program from
        // starting: it is no lock of ours.
        struct stat st {};
        if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return {};
        return fd;
    }
    return {};
}

bool TakeLock() {
    if (g_handle.IsOpen()) return true;
    TUniqueFd fd = OpenLockFile();
    if (!fd.IsOpen() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return false;
    g_handle = std::move(fd);
    return true;
}

bool LockHeldElsewhere() {
    const TUniqueFd fd = OpenLockFile();
    if (!fd.IsOpen()) return false;  // cannot tell: let the program run
    // Closing drops the probe's own lock, if it got one. A file system that cannot lock at all
    // says nothing of another copy either.
    return ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
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

// Closing (not LOCK_UN) drops the lock only with the last descriptor of it, so a forked child
// that gives up its copy cannot free the parent's lock.
void ReleaseInstanceMutex() { g_handle.Reset(); }
