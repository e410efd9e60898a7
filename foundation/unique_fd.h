// The one owner of an open file descriptor: it closes the descriptor when it goes, and moves
// but never copies, so a descriptor is closed once and by one hand. -1 stands for none.
#pragma once

#include <utility>

class TUniqueFd {
public:
    TUniqueFd() noexcept = default;
    // Takes over fd (a negative value, as a failed open returns, holds nothing).
    explicit TUniqueFd(int fd) noexcept : fd_(fd < 0 ? -1 : fd) {}
    ~TUniqueFd() { Reset(); }
    TUniqueFd(TUniqueFd&& other) noexcept : fd_(other.Release()) {}
    TUniqueFd& operator=(TUniqueFd&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;

    int Get() const noexcept { return fd_; }
    bool IsOpen() const noexcept { return fd_ >= 0; }
    // Gives the descriptor up without closing it (to an owner such as a DIR stream).
    int Release() noexcept { return std::exchange(fd_, -1); }
    // Closes the descriptor held (a failure is not looked at) and takes over fd.
    void Reset(int fd = -1) noexcept;
    // Closes now: 0, or the errno of a failed close, which for a file written to can be the
    // first word of a failed write (a full network or FAT disk reports it only here). Holds
    // nothing afterwards, whatever the result; 0 when it held nothing.
    int Close() noexcept;

private:
    int fd_ = -1;
};
