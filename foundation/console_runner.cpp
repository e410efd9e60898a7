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
#include <optional>

#include "foundation/unique_fd.h"

extern char** environ;

namespace {

constexpr size_t kBufferSize = 8192;

bool MakePipe(TUniqueFd& read_end, TUniqueFd& write_end) {
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

// This side of the three pipes to a child: its input to write, its output and errors to read.
struct TChildPipes {
    TUniqueFd Input, Output, Errors;
};

// Starts the program of the words (looked up on PATH) with the other ends of the pipes as its
// standard input, output and error, the signal mask the caller had and SIGPIPE at its default.
// Closes this process's copies of the child's ends. Throws ELaunchFailed.
pid_t SpawnChild(std::vector<std::string>& words, TChildPipes& pipes, const sigset_t& mask) {
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    TUniqueFd in_read, out_write, err_write;
    if (!MakePipe(in_read, pipes.Input) || !MakePipe(pipes.Output, out_write) || !MakePipe(pipes.Errors, err_write))
        throw ELaunchFailed();

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
    posix_spawnattr_setsigmask(&attr, &mask);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const int spawn_error = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (spawn_error != 0) throw ELaunchFailed();
    return pid;
}

// The input stream handed to the child's pipe a block at a time, as the pipe takes it.
class TInputFeed {
public:
    TInputFeed(std::istream& input, TUniqueFd& pipe) : input_(input), pipe_(pipe) { Refill(); }

    // Writes what the pipe takes now; closes it at the end of the input, or when the child
    // no longer reads (hangup) or the write fails.
    void Write(short revents) {
        if (revents & (POLLERR | POLLHUP)) {
            pipe_.Close();  // the child closed its input
            return;
        }
        const ssize_t n = ::write(pipe_.Get(), pending_.data() + at_, pending_.size() - at_);
        if (n > 0) at_ += static_cast<size_t>(n);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            pipe_.Close();
            return;
        }
        Refill();
    }

private:
    void Refill() {
        if (at_ < pending_.size()) return;
        pending_.resize(kBufferSize);
        input_.read(pending_.data(), static_cast<std::streamsize>(kBufferSize));
        pending_.resize(static_cast<size_t>(input_.gcount()));
        at_ = 0;
        if (pending_.empty()) pipe_.Close();
    }

    std::istream& input_;
    TUniqueFd& pipe_;
    std::string pending_;  // input read from the stream, not yet taken by the pipe
    size_t at_ = 0;
};

// Feeds the child and collects what it writes until it has ended and its pipes are read (or
// closed); then waits for it. Its wait status, or none when that cannot be read.
std::optional<int> PumpChild(pid_t pid, TChildPipes& pipes, std::istream& input, std::ostream& output,
                             std::ostream& errors) {
    SetNonBlocking(pipes.Input.Get());
    SetNonBlocking(pipes.Output.Get());
    SetNonBlocking(pipes.Errors.Get());
    std::vector<char> buffer(kBufferSize);
    TInputFeed feed(input, pipes.Input);

    bool exited = false;
    std::optional<int> status;
    for (;;) {
        pollfd fds[3];
        nfds_t count = 0;
        int out_index = -1, err_index = -1, in_index = -1;
        if (pipes.Output.IsOpen()) {
            out_index = static_cast<int>(count);
            fds[count++] = pollfd{pipes.Output.Get(), POLLIN, 0};
        }
        if (pipes.Errors.IsOpen()) {
            err_index = static_cast<int>(count);
            fds[count++] = pollfd{pipes.Errors.Get(), POLLIN, 0};
        }
        if (pipes.Input.IsOpen()) {
            in_index = static_cast<int>(count);
            fds[count++] = pollfd{pipes.Input.Get(), POLLOUT, 0};
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
            if (out_index >= 0 && fds[out_index].revents != 0 && !Drain(pipes.Output.Get(), output, buffer.data()))
                pipes.Output.Close();
            if (err_index >= 0 && fds[err_index].revents != 0 && !Drain(pipes.Errors.Get(), errors, buffer.data()))
                pipes.Errors.Close();
            if (in_index >= 0 && fds[in_index].revents != 0) feed.Write(fds[in_index].revents);
        }
        if (last_pass) break;
        if (!exited) {
            int raw = 0;
            const pid_t r = waitpid(pid, &raw, WNOHANG);
            if (r == pid) {
                exited = true;
                status = raw;
                pipes.Input.Close();
            } else if (r < 0 && errno != EINTR) {
                exited = true;
            }
        }
    }
    if (!exited) {
        int raw = 0;
        pid_t r;
        do {
            r = waitpid(pid, &raw, 0);
        } while (r < 0 && errno == EINTR);
        if (r == pid) status = raw;
    }
    return status;
}

// The exit code of a wait status: 128 + the signal number for a child ended by a signal.
uint32_t ExitCodeOf(const std::optional<int>& status) {
    if (!status) return 0xFFFFFFFFu;
    if (WIFEXITED(*status)) return static_cast<uint32_t>(WEXITSTATUS(*status));
    if (WIFSIGNALED(*status)) return 128u + static_cast<uint32_t>(WTERMSIG(*status));
    return 0xFFFFFFFFu;
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
    SigPipeGuard guard;
    TChildPipes pipes;
    const pid_t pid = SpawnChild(words, pipes, guard.OldMask());
    return ExitCodeOf(PumpChild(pid, pipes, input, output, errors));
}
