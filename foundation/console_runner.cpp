#include "foundation/console_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

extern char** environ;

namespace {

constexpr size_t kBufferSize = 8192;

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

bool MakePipe(Fd& read_end, Fd& write_end) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    read_end.Reset(fds[0]);
    write_end.Reset(fds[1]);
    return true;
}

// Writing to a pipe whose reader has gone must give EPIPE here, not end the program; the
// signal is held back for this thread while the child runs and any pending one is taken away.
class SigPipeGuard {
public:
    SigPipeGuard() {
        sigset_t pipe_set;
        sigemptyset(&pipe_set);
        sigaddset(&pipe_set, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_set, &old_);
    }
    ~SigPipeGuard() {
        sigset_t pipe_set;
        sigemptyset(&pipe_set);
        sigaddset(&pipe_set, SIGPIPE);
        const timespec zero{0, 0};
        while (sigtimedwait(&pipe_set, nullptr, &zero) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    const sigset_t& OldMask() const { return old_; }

private:
    sigset_t old_;
};

void SetNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// What a pipe holds at most; the kernel's largest pipe when it does not say.
size_t PipeCapacity(int fd) {
    const int size = fcntl(fd, F_GETPIPE_SZ);
    return size > 0 ? static_cast<size_t>(size) : size_t(1) << 20;
}

// Reads what is waiting on fd into the stream, at most one pipe's capacity per call, so that a
// writer that never pauses (a helper the child left running) cannot hold the caller here;
// false at the end of the pipe (or an error).
bool Drain(int fd, std::ostream& stream, char* buffer) {
    const size_t limit = PipeCapacity(fd);
    size_t taken = 0;
    while (taken < limit) {
        ssize_t n = ::read(fd, buffer, std::min(kBufferSize, limit - taken));
        if (n > 0) {
            stream.write(buffer, n);
            taken += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false, quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            in_word = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

uint32_t RunConsole(const std::string& commandLine, std::istream& input, std::ostream& output, std::ostream& errors) {
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty() || words[0].empty()) throw ELaunchFailed();
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    Fd in_read, in_write, out_read, out_write, err_read, err_write;
    if (!MakePipe(in_read, in_write) || !MakePipe(out_read, out_write) || !MakePipe(err_read, err_write))
        throw ELaunchFailed();

    SigPipeGuard guard;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in_read.Get(), 0);
    posix_spawn_file_actions_adddup2(&actions, out_write.Get(), 1);
    posix_spawn_file_actions_adddup2(&actions, err_write.Get(), 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &guard.OldMask());
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const int spawn_error = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (spawn_error != 0) throw ELaunchFailed();

    in_read.Close();
    out_write.Close();
    err_write.Close();
    SetNonBlocking(in_write.Get());
    SetNonBlocking(out_read.Get());
    SetNonBlocking(err_read.Get());

    std::vector<char> buffer(kBufferSize);
    std::string pending;  // input read from the stream, not yet taken by the pipe
    size_t pending_at = 0;
    bool input_done = false;
    auto refill = [&] {
        if (pending_at < pending.size() || input_done) return;
        pending.resize(kBufferSize);
        input.read(pending.data(), static_cast<std::streamsize>(kBufferSize));
        pending.resize(static_cast<size_t>(input.gcount()));
        pending_at = 0;
        if (pending.empty()) input_done = true;
    };
    refill();
    if (input_done) in_write.Close();

    bool exited = false;
    int status = 0;
    bool status_known = false;
    for (;;) {
        pollfd fds[3];
        nfds_t count = 0;
        int out_index = -1, err_index = -1, in_index = -1;
        if (out_read.Get() >= 0) {
            out_index = static_cast<int>(count);
            fds[count++] = pollfd{out_read.Get(), POLLIN, 0};
        }
        if (err_read.Get() >= 0) {
            err_index = static_cast<int>(count);
            fds[count++] = pollfd{err_read.Get(), POLLIN, 0};
        }
        if (in_write.Get() >= 0) {
            in_index = static_cast<int>(count);
            fds[count++] = pollfd{in_write.Get(), POLLOUT, 0};
        }
        if (count == 0) break;
        // While the child runs, wake now and then to notice its end even when a process it
        // started keeps the pipes open. Once it has ended, everything it wrote is in the
        // pipes (a pipe's capacity at most): one last pass reads it, then the run is over,
        // whatever a left-over helper keeps writing.
        const bool last_pass = exited;
        const int ready = poll(fds, count, exited ? 0 : 50);
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (ready > 0) {
            if (out_index >= 0 && fds[out_index].revents != 0 && !Drain(out_read.Get(), output, buffer.data()))
                out_read.Close();
            if (err_index >= 0 && fds[err_index].revents != 0 && !Drain(err_read.Get(), errors, buffer.data()))
                err_read.Close();
            if (in_index >= 0 && fds[in_index].revents != 0) {
                if (fds[in_index].revents & (POLLERR | POLLHUP)) {
                    in_write.Close();  // the child closed its input
                } else {
                    ssize_t n = ::write(in_write.Get(), pending.data() + pending_at, pending.size() - pending_at);
                    if (n > 0) pending_at += static_cast<size_t>(n);
                    if (n < 0 && errno != EAGAIN && errno != EINTR) {
                        in_write.Close();
                    } else {
                        refill();
                        if (input_done) in_write.Close();
                    }
                }
            }
        }
        if (last_pass) break;
        if (!exited) {
            pid_t r = waitpid(pid, &status, WNOHANG);
            if (r == pid) {
                exited = true;
                status_known = true;
                in_write.Close();
            } else if (r < 0 && errno != EINTR) {
                exited = true;
            }
        }
    }
    if (!exited) {
        pid_t r;
        do {
            r = waitpid(pid, &status, 0);
        } while (r < 0 && errno == EINTR);
        status_known = r == pid;
    }
    if (!status_known) return 0xFFFFFFFFu;
    if (WIFEXITED(status)) return static_cast<uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return 128u + static_cast<uint32_t>(WTERMSIG(status));
    return 0xFFFFFFFFu;
}
