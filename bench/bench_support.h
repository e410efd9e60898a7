// What the benchmarks share: durations in milliseconds or seconds, the best of several runs,
// the peak memory of this process, and making the input files in a child process so that the
// peak memory a benchmark reports is its own work's, not the file making's.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <functional>

inline double Milliseconds(const std::chrono::steady_clock::duration& d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double Seconds(const std::chrono::steady_clock::duration& d) { return std::chrono::duration<double>(d).count(); }

// The shortest of runs timings of f, in milliseconds.
template <typename F>
double Best(int runs, F&& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        best = std::min(best, Milliseconds(std::chrono::steady_clock::now() - start));
    }
    return best;
}

// The largest resident size this process has had so far, in KiB (ru_maxrss on Linux).
inline long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs make in a child process and waits for it. False when the child could not be started,
// threw, or ended in any other way than a normal exit with status 0.
inline bool MadeInChild(const std::function<void()>& make) {
    const pid_t child = fork();
    if (child == 0) {
        try {
            make();
        } catch (const std::exception&) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
