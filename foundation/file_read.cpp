#include "foundation/file_read.h"

#include "foundation/errors.h"
#include "foundation/names.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void ThrowFileError(const std::string& path, int err) {
    throw EFileReadError("ファイル " + path + " を開けません。" + SysErrorText(err), err);
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
    const ReadOnlyFile file(path, noLinks);
    if (file.Size() > maxBytes) ThrowFileError(path, EFBIG);
    // A file that grows meanwhile is read as large as it was: the bound holds either way.
    return file.ReadPart(0, file.Size());
}

}  // namespace

// Non-blocking, so that opening a named pipe returns at once instead of waiting for a writer. A
// link refused by O_NOFOLLOW, a pipe or a device is reported as a missing file: that is how they
// are treated.
ReadOnlyFile::ReadOnlyFile(const std::string& path, bool noLinks)
    : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (noLinks ? O_NOFOLLOW : 0))) {
    if (!fd_.IsOpen()) ThrowFileError(path, errno == ELOOP ? ENOENT : errno);
    struct stat st {};
    int err = 0;
    if (::fstat(fd_.Get(), &st) != 0) err = errno;
    else if (S_ISDIR(st.st_mode)) err = EISDIR;
    else if (!S_ISREG(st.st_mode)) err = ENOENT;
    if (err != 0) ThrowFileError(path, err);
    size_ = static_cast<uint64_t>(st.st_size);
}

FileBytes ReadOnlyFile::ReadPart(uint64_t offset, uint64_t length) const {
    if (offset >= size_) return {};
    if (length > size_ - offset) length = size_ - offset;
    return ReadRange(path_, fd_.Get(), offset, length);
}

FileBytes ReadWholeFile(const std::string& path, uint64_t maxBytes) { return ReadWhole(path, maxBytes, false); }

FileBytes ReadFilePart(const std::string& path, uint64_t offset, uint64_t length) {
    return ReadOnlyFile(path).ReadPart(offset, length);
}

FileBytes ReadPlayerFile(const std::string& path, uint64_t maxBytes) { return ReadWhole(path, maxBytes, true); }

FileBytes ReadPlayerFilePart(const std::string& path, uint64_t offset, uint64_t length) {
    return ReadOnlyFile(path, true).ReadPart(offset, length);
}

namespace {

// Why a file that is there was not read, in a sentence; empty when nothing is there (the file
// is missing, or a folder on its way is). `code` is the errno the read gave.
std::string WhyNotRead(const std::string& path, int code) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        return SysErrorText(errno);
    }
    if (S_ISLNK(st.st_mode)) return "リンクになっています。";
    if (S_ISDIR(st.st_mode)) return "フォルダになっています。";
    if (!S_ISREG(st.st_mode)) return "通常のファイルではありません。";
    return SysErrorText(code);
}

std::string KeptText(const std::string& path, const std::string& why) {
    return "ファイル " + path + " を読み込めませんでした。" + why + "\nこのファイルは書き換えずにそのまま残します。";
}

}  // namespace

std::string ReadFileToKeep(const std::string& path, uint64_t maxBytes, FileBytes& bytes) {
    bytes.clear();
    try {
        // Never through a link: whatever stands at the name is what is read and kept.
        const ReadOnlyFile file(path, true);
        if (file.Size() > maxBytes) {
            return KeptText(path,
                            "大きすぎます (" + std::to_string(std::max<uint64_t>(maxBytes >> 20, 1)) + " MB まで)。");
        }
        bytes = file.ReadPart(0, file.Size());
        return {};
    } catch (const EFileReadError& e) {
        bytes.clear();
        const std::string why = WhyNotRead(path, e.Code());
        return why.empty() ? std::string() : KeptText(path, why);
    }
}

bool SameFileBytes(const std::string& a, const std::string& b) {
    try {
        const ReadOnlyFile first(a, true), second(b, true);
        if (first.Size() != second.Size()) return false;
        constexpr uint64_t kBlock = 1 << 20;
        for (uint64_t offset = 0; offset < first.Size(); offset += kBlock) {
            if (first.ReadPart(offset, kBlock) != second.ReadPart(offset, kBlock)) return false;
        }
        return true;
    } catch (const EFileError&) {
        return false;
    }
}
