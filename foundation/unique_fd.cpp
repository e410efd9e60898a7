#include "foundation/unique_fd.h"

#include <unistd.h>

#include <cerrno>

void TUniqueFd::Reset(int fd) noexcept {
    if (fd_ >= 0 && fd_ != fd) ::close(fd_);
    fd_ = fd < 0 ? -1 : fd;
}

int TUniqueFd::Close() noexcept {
    // Never retried after EINTR: Linux has released the descriptor by then, and another
    // thread may already have been given the same number.
    const int fd = Release();
    if (fd < 0) return 0;
    return ::close(fd) == 0 ? 0 : errno;
}
