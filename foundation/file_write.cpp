#include "foundation/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "foundation/errors.h"
#include "foundation/names.h"

namespace {

[[noreturn]] void ThrowCreateError(const std::string& path, int err) {
    throw EFileError("ファイル " + path + " を作成できません。" + SysErrorText(err));
}

[[noreturn]] void ThrowWriteError(const std::string& path, int err) {
    throw EFileError("ファイル " + path + " に書き込めません。" + SysErrorText(err));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return fd_; }
    // 0 or the errno of the close.
    int Close() {
        if (fd_ < 0) return 0;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// The target's folder, opened without following a link at its last part (a trailing "/" would
// make the system follow it, so it is dropped), and the target's own name.
struct Target {
    std::string name;
    int folder = -1;
};

Target OpenTarget(const std::string& path, TFolderLink folderLink = TFolderLink::Refuse) {
    Target target;
    const size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    target.name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (target.name.empty()) ThrowCreateError(path, EISDIR);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty()) folder = "/";
    const int follow = folderLink == TFolderLink::Follow ? 0 : O_NOFOLLOW;
    target.folder = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | follow | O_CLOEXEC);
    if (target.folder < 0) ThrowCreateError(path, errno);
    return target;
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

// Writes the bytes to a fresh temporary name in the folder and gives that name. `mode` is the
// permission set of the file being replaced (0 for a new file: the creation mask decides).
std::string WriteTemporary(const std::string& path, int folder, std::string_view bytes, mode_t mode) {
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        // Short, so that it fits where the target's own name only just fits.
        temp = ".~hw" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        fd = ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) ThrowCreateError(path, errno);
    }
    if (fd < 0) ThrowCreateError(path, EEXIST);
    Descriptor file(fd);
    int err = WriteAll(file.fd(), bytes);
    // A file system without permissions (FAT) refuses this; the file is written all the same.
    if (err == 0 && mode != 0) (void)::fchmod(file.fd(), mode);
    const int closeErr = file.Close();
    if (err == 0) err = closeErr;
    if (err != 0) {
        ::unlinkat(folder, temp.c_str(), 0);
        ThrowWriteError(path, err);
    }
    return temp;
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

void WriteWholeFile(const std::string& path, std::string_view bytes, TFolderLink folderLink) {
    const Target target = OpenTarget(path, folderLink);
    const Descriptor folder(target.folder);
    mode_t mode = 0;
    if (const int err = CheckExisting(folder.fd(), target.name, true, mode)) ThrowCreateError(path, err);
    const std::string temp = WriteTemporary(path, folder.fd(), bytes, mode);
    // The rename replaces a name, never what a link there might point to.
    if (::renameat(folder.fd(), temp.c_str(), folder.fd(), target.name.c_str()) != 0) {
        const int err = errno;
        ::unlinkat(folder.fd(), temp.c_str(), 0);
        ThrowWriteError(path, err);
    }
}

void WriteNewFile(const std::string& path, std::string_view bytes) {
    const Target target = OpenTarget(path);
    const Descriptor folder(target.folder);
    mode_t mode = 0;
    if (const int err = CheckExisting(folder.fd(), target.name, false, mode)) ThrowCreateError(path, err);
    const std::string temp = WriteTemporary(path, folder.fd(), bytes, 0);
    int result = ::renameat2(folder.fd(), temp.c_str(), folder.fd(), target.name.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system that cannot refuse the replacement itself: test, then rename.
        const int err = CheckExisting(folder.fd(), target.name, false, mode);
        if (err != 0) {
            ::unlinkat(folder.fd(), temp.c_str(), 0);
            ThrowCreateError(path, err);
        }
        result = ::renameat(folder.fd(), temp.c_str(), folder.fd(), target.name.c_str());
    }
    if (result != 0) {
        const int err = errno;
        ::unlinkat(folder.fd(), temp.c_str(), 0);
        ThrowCreateError(path, err);
    }
}

void CopyToNewFile(const std::string& source, const std::string& path) {
    // Non-blocking, so that a named pipe at the source is refused instead of waited on.
    const int in = ::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) throw EFileError("ファイル " + source + " を開けません。" + SysErrorText(errno));
    const Descriptor input(in);
    struct stat st {};
    if (::fstat(input.fd(), &st) != 0 || !S_ISREG(st.st_mode)) {
        throw EFileError("ファイル " + source + " を開けません。" + SysErrorText(EINVAL));
    }
    const Target target = OpenTarget(path);
    const Descriptor folder(target.folder);
    mode_t mode = 0;
    if (const int err = CheckExisting(folder.fd(), target.name, false, mode)) ThrowCreateError(path, err);
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = ".~hw" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        fd = ::openat(folder.fd(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) ThrowCreateError(path, errno);
    }
    if (fd < 0) ThrowCreateError(path, EEXIST);
    Descriptor file(fd);
    int err = 0;
    std::string buffer(1 << 20, '\0');
    for (;;) {
        const ssize_t got = ::read(input.fd(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) err = errno;
        if (got <= 0) break;
        if ((err = WriteAll(file.fd(), std::string_view(buffer.data(), static_cast<size_t>(got)))) != 0) break;
    }
    if (const int closeErr = file.Close(); err == 0) err = closeErr;
    if (err == 0 && ::renameat2(folder.fd(), temp.c_str(), folder.fd(), target.name.c_str(), RENAME_NOREPLACE) != 0) {
        err = errno;
        if (err == EINVAL || err == ENOSYS) {
            // A file system that cannot refuse the replacement itself: test, then rename.
            err = CheckExisting(folder.fd(), target.name, false, mode);
            if (err == 0 && ::renameat(folder.fd(), temp.c_str(), folder.fd(), target.name.c_str()) != 0) err = errno;
        }
    }
    if (err != 0) {
        ::unlinkat(folder.fd(), temp.c_str(), 0);
        ThrowWriteError(path, err);
    }
}
