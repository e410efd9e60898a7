// Reading files into memory. Only regular files are read: a folder fails as one, and a named
// pipe or a device reads as a missing file (opening one never blocks). Each failure throws
// EFileReadError (an EFileError) naming the file. Sizes are in bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/errors.h"
#include "foundation/unique_fd.h"

// A file that could not be opened or read, with the errno that said why.
class EFileReadError : public EFileError {
public:
    EFileReadError(const std::string& message, int code) : EFileError(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

// An allocator that leaves new bytes unset: a buffer that a read fills at once need not be
// zeroed first (a database of tens of megabytes would be written twice).
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <typename U>
    UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// The bytes of a file as read; every byte of it came from the file.
using FileBytes = std::vector<uint8_t, UninitializedAllocator<uint8_t>>;

inline constexpr uint64_t kNoReadLimit = UINT64_MAX;

// The whole file; a file larger than maxBytes fails (nothing is read then).
FileBytes ReadWholeFile(const std::string& path, uint64_t maxBytes = kNoReadLimit);
// At most `length` bytes from `offset` of a file (fewer at its end). Used to read a tag without
// loading a whole video.
FileBytes ReadFilePart(const std::string& path, uint64_t offset, uint64_t length);

// A regular file held open for reads of its parts: one open and one look at its size serve them
// all. Only the object owns the descriptor; it closes with the object.
class ReadOnlyFile {
public:
    // Opens a regular file; with noLinks a link at the path reads as a missing file. Throws
    // EFileError naming the file.
    explicit ReadOnlyFile(const std::string& path, bool noLinks = false);

    // The size when the file was opened.
    uint64_t Size() const { return size_; }
    // At most `length` bytes from `offset` (fewer at the end of the file, none past it).
    FileBytes ReadPart(uint64_t offset, uint64_t length) const;

private:
    std::string path_;
    TUniqueFd fd_;
    uint64_t size_ = 0;
};

// The same for files inside the player, which are untrusted: a link at the path reads as a
// missing file too, so a planted link cannot lead the read outside the player.
FileBytes ReadPlayerFile(const std::string& path, uint64_t maxBytes);
FileBytes ReadPlayerFilePart(const std::string& path, uint64_t offset, uint64_t length);

// Reads a file that the program writes back whole later (settings, a record), never through a
// link, into bytes. Returns empty when the file was read or nothing is there (bytes then stay
// empty); else the Japanese sentence that names the file, says why it was not read (larger
// than maxBytes, a link, a folder, a pipe or a device, a read error) and that it is kept as it
// is: the caller then never replaces it, so whatever is in it stays for the user to look at.
std::string ReadFileToKeep(const std::string& path, uint64_t maxBytes, FileBytes& bytes);

// True when both paths are regular files (neither reached through a link at its last part)
// with the same bytes; false for anything else, a file that cannot be read included.
bool SameFileBytes(const std::string& a, const std::string& b);
