#include "foundation/file_read.h"

#include "foundation/errors.h"
#include "foundation/names.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileHandle {
public:
    // Non-blocking, so that opening a named pipe returns at once instead of waiting for a writer.
    FileHandle(const std::string& path, bool noLinks)
        : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (noLinks ? O_NOFOLLOW : 0))) {}
    ~FileHandle() { if (fd_ >= 0) ::close(fd_); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void ThrowFileError(const std::string& path, int err) {
    throw EFileError("ファイル " + path + " を開けません。" + SysErrorText(err));
}

// Opens a regular file and gives its size; anything else throws. A link refused by O_NOFOLLOW,
// a pipe or a device is reported as a missing file: that is how they are treated.
uint64_t OpenRegular(const std::string& path, const FileHandle& file) {
    if (file.fd() < 0) ThrowFileError(path, errno == ELOOP ? ENOENT : errno);
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0) ThrowFileError(path, errno);
    if (S_ISDIR(st.st_mode)) ThrowFileError(path, EISDIR);
    if (!S_ISREG(st.st_mode)) ThrowFileError(path, ENOENT);
    return static_cast<uint64_t>(st.st_size);
}

// Reads up to `length` bytes at `offset`, stopping early at the end of the file.
FileBytes ReadRange(const std::string& path, int fd, uint64_t offset, uint64_t length) {
    FileBytes out;
    out.resize(static_cast<size_t>(length));
    size_t done = 0;
    while (done < out.size()) {
        ssize_t got = ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowFileError(path, errno);
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    out.resize(done);
    return out;
}

FileBytes ReadWhole(const std::string& path, uint64_t maxBytes, bool noLinks) {
    const FileHandle file(path, noLinks);
    const uint64_t size = OpenRegular(path, file);
    if (size > maxBytes) ThrowFileError(path, EFBIG);
    // A file that grows meanwhile is read as large as it was: the bound holds either way.
    return ReadRange(path, file.fd(), 0, size);
}

FileBytes ReadPart(const std::string& path, uint64_t offset, uint64_t length, bool noLinks) {
    const FileHandle file(path, noLinks);
    const uint64_t size = OpenRegular(path, file);
    if (offset >= size) return {};
    if (length > size - offset) length = size - offset;
    return ReadRange(path, file.fd(), offset, length);
}

}  // namespace

FileBytes ReadWholeFile(const std::string& path, uint64_t maxBytes) {
    return ReadWhole(path, maxBytes, false);
}

FileBytes ReadFilePart(const std::string& path, uint64_t offset, uint64_t length) {
    return ReadPart(path, offset, length, false);
}

FileBytes ReadPlayerFile(const std::string& path, uint64_t maxBytes) {
    return ReadWhole(path, maxBytes, true);
}

FileBytes ReadPlayerFilePart(const std::string& path, uint64_t offset, uint64_t length) {
    return ReadPart(path, offset, length, true);
}

bool SameFileBytes(const std::string& a, const std::string& b) {
    const FileHandle first(a, true), second(b, true);
    try {
        if (OpenRegular(a, first) != OpenRegular(b, second)) return false;
        constexpr uint64_t kBlock = 1 << 20;
        for (uint64_t offset = 0;; offset += kBlock) {
            const FileBytes x = ReadRange(a, first.fd(), offset, kBlock);
            const FileBytes y = ReadRange(b, second.fd(), offset, kBlock);
            if (x != y) return false;
            if (x.size() < kBlock) return true;
        }
    } catch (const EFileError&) {
        return false;
    }
}
