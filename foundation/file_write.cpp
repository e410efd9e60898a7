#include "foundation/file_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/errors.h"
#include "foundation/names.h"
#include "foundation/paths.h"

namespace {

constexpr std::string_view kTempPrefix = ".~hw";
constexpr std::string_view kTempSuffix = ".tmp";
// Large enough that a copy runs at the speed of the disks, small enough to stay cheap (bytes).
constexpr size_t kCopyBlock = 4u << 20;

[[noreturn]] void ThrowCreateError(const std::string& path, int err) {
    throw EFileWriteError("ファイル " + path + " を作成できません。" + SysErrorText(err), err);
}

[[noreturn]] void ThrowWriteError(const std::string& path, int err) {
    throw EFileWriteError("ファイル " + path + " に書き込めません。" + SysErrorText(err), err);
}

// The process number in a temporary's name; false for a name that is none of ours.
bool TemporaryProcess(std::string_view name, pid_t& pid) {
    if (name.size() <= kTempPrefix.size() + kTempSuffix.size() || !name.starts_with(kTempPrefix) ||
        !name.ends_with(kTempSuffix)) {
        return false;
    }
    const std::string_view middle =
        name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
    const size_t dash = middle.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == middle.size()) return false;
    for (size_t i = 0; i < middle.size(); ++i) {
        if (i != dash && (middle[i] < '0' || middle[i] > '9')) return false;
    }
    long long number = 0;
    const auto [end, ec] = std::from_chars(middle.data(), middle.data() + dash, number);
    if (ec != std::errc() || number <= 0 || number > 0x3FFFFFFF) return false;
    pid = static_cast<pid_t>(number);
    return true;
}

bool ProcessRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// Removes the temporaries of writers that no longer run from the folder. This process's own
// are never touched (another of its writes may be under way), nor anything but regular files.
// A temporary whose process still runs stays, whatever its times say: a copy may give its file
// the times of its source before it takes its name, and a slow write may not touch its file
// for long; one that a number reused keeps alive is only a file that lists leave out.
void RemoveStaleTemporaries(int folder) {
    TUniqueFd dup(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (!dup.IsOpen()) return;
    DIR* dir = ::fdopendir(dup.Get());
    if (!dir) return;
    dup.Release();  // the stream owns it now
    std::vector<std::string> stale;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        pid_t pid = 0;
        if (!TemporaryProcess(entry->d_name, pid) || pid == self) continue;
        struct stat st {};
        if (::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (!ProcessRuns(pid)) stale.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : stale) ::unlinkat(folder, name.c_str(), 0);
}

int WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<size_t>(put);
    }
    return 0;
}

// What is at the name: errno-style refusal (0 when the name may be written) and the mode of a
// regular file there (0 when there is none).
int CheckExisting(int folder, const std::string& name, bool replace, mode_t& mode) {
    mode = 0;
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    if (!replace) return EEXIST;
    if (S_ISLNK(st.st_mode)) return ELOOP;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (S_ISREG(st.st_mode)) {
        // The read-only attribute of the player's file systems: such a file stays as it is.
        if ((st.st_mode & 0222) == 0) return EACCES;
        mode = st.st_mode & 07777;
    }
    return 0;
}

}  // namespace

int CopyFileData(int in, int out) {
    // The kernel's copy first (no user-space buffer, reflinks where the file system has them);
    // the plain read/write loop when the two files cannot be copied that way.
    bool useKernel = true;
    for (;;) {
        if (useKernel) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kCopyBlock, 0);
            if (n > 0) continue;
            if (n == 0) return 0;
            if (errno == EINTR) continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EPERM) {
                // Nothing was copied by this call; the offsets stand where the last call left them.
                useKernel = false;
                continue;
            }
            return errno;
        }
        static thread_local std::vector<char> buffer(kCopyBlock);
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got == 0) return 0;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (const int err = WriteAll(out, std::string_view(buffer.data(), static_cast<size_t>(got)))) return err;
    }
}

namespace {

// Copies the regular file `source` into a pending file at `path` that takes its name as `how`
// says: 0 or the errno (ENOENT for a source that is no regular file).
int CopyThroughPending(const std::string& source, const std::string& path, TFolderLink folderLink,
                       TPendingFile::TTake how) {
    // Non-blocking, so that a named pipe at the source is refused instead of waited on.
    const TUniqueFd in(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!in.IsOpen()) return errno == ELOOP ? ENOENT : errno;
    struct stat st {};
    int err = ::fstat(in.Get(), &st) != 0 ? errno : (S_ISREG(st.st_mode) ? 0 : ENOENT);
    if (err == 0) {
        try {
            TPendingFile file(path, folderLink);
            const bool replace = how == TPendingFile::TTake::Replace;
            mode_t mode = 0;
            err = CheckExisting(file.FolderFd(), file.TargetName(), replace, mode);
            if (err == 0) err = CopyFileData(in.Get(), file.Fd());
            if (err == 0 && mode != 0) SetModeWherePermitted(file.Fd(), mode);
            if (err == 0) err = file.TakeName(file.TargetName(), how);
        } catch (const EFileWriteError& e) {
            err = e.Code();
        }
    }
    return err;
}

}  // namespace

int CopyWholeFile(const std::string& source, const std::string& path, TFolderLink folderLink) {
    return CopyThroughPending(source, path, folderLink, TPendingFile::TTake::Replace);
}

void CopyToNewFile(const std::string& source, const std::string& path) {
    if (const int err = CopyThroughPending(source, path, TFolderLink::Refuse, TPendingFile::TTake::New)) {
        ThrowWriteError(path, err);
    }
}

void SetModeWherePermitted(int fd, mode_t mode) { (void)::fchmod(fd, mode); }

bool IsWriterTemporaryName(std::string_view name) {
    pid_t pid = 0;
    return TemporaryProcess(name, pid);
}

TPendingFile::TPendingFile(const std::string& path, TFolderLink folderLink) : name_(FileNameOf(path)) {
    if (name_.empty()) ThrowCreateError(path, EISDIR);
    // Without a trailing "/", which would make the system follow a link at the folder's last
    // part.
    const std::string folder = ContainingFolder(path);
    const int follow = folderLink == TFolderLink::Follow ? 0 : O_NOFOLLOW;
    folder_.Reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | follow | O_CLOEXEC));
    if (!folder_.IsOpen()) ThrowCreateError(path, errno);
    RemoveStaleTemporaries(folder_.Get());
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && !fd_.IsOpen(); ++attempt) {
        // Short, so that it fits where the target's own name only just fits.
        temp_ = std::string(kTempPrefix) + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
                std::string(kTempSuffix);
        fd_.Reset(::openat(folder_.Get(), temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!fd_.IsOpen() && errno != EEXIST) ThrowCreateError(path, errno);
    }
    if (!fd_.IsOpen()) ThrowCreateError(path, EEXIST);
}

TPendingFile::~TPendingFile() {
    Close();
    if (!taken_) ::unlinkat(folder_.Get(), temp_.c_str(), 0);
}

int TPendingFile::Write(std::string_view bytes) { return fd_.IsOpen() ? WriteAll(fd_.Get(), bytes) : EBADF; }

int TPendingFile::Close() {
    if (const int err = fd_.Close()) closeError_ = err;
    return closeError_;
}

int TPendingFile::TakeName(const std::string& name, TTake how) {
    if (taken_) return EINVAL;
    if (const int err = Close()) return err;
    int result = 0;
    if (how == TTake::Replace) {
        result = ::renameat(folder_.Get(), temp_.c_str(), folder_.Get(), name.c_str());
    } else {
        result = ::renameat2(folder_.Get(), temp_.c_str(), folder_.Get(), name.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system that cannot refuse the replacement itself: test, then rename.
            mode_t mode = 0;
            if (const int err = CheckExisting(folder_.Get(), name, false, mode)) return err;
            result = ::renameat(folder_.Get(), temp_.c_str(), folder_.Get(), name.c_str());
        }
    }
    if (result != 0) return errno;
    taken_ = true;
    return 0;
}

void WriteWholeFile(const std::string& path, std::string_view bytes, TFolderLink folderLink) {
    TPendingFile file(path, folderLink);
    mode_t mode = 0;
    if (const int err = CheckExisting(file.FolderFd(), file.TargetName(), true, mode)) ThrowCreateError(path, err);
    if (const int err = file.Write(bytes)) ThrowWriteError(path, err);
    if (mode != 0) SetModeWherePermitted(file.Fd(), mode);
    if (const int err = file.TakeName(file.TargetName(), TPendingFile::TTake::Replace)) ThrowWriteError(path, err);
}

void WriteNewFile(const std::string& path, std::string_view bytes, TFolderLink folderLink) {
    TPendingFile file(path, folderLink);
    mode_t mode = 0;
    if (const int err = CheckExisting(file.FolderFd(), file.TargetName(), false, mode)) ThrowCreateError(path, err);
    if (const int err = file.Write(bytes)) ThrowWriteError(path, err);
    if (const int err = file.TakeName(file.TargetName(), TPendingFile::TTake::New)) ThrowCreateError(path, err);
}
