// Copying songs to the PC against cp: 1 GB in 100 files of about 10 MB, copied by the song
// copy's exclusive block copy and by "cp" into fresh folders on the same file system.
// Usage: bench_song_copy [work folder] [source folder]: the sources are written into the
// source folder (default: the work folder, itself by default under /tmp); a source folder on
// another file system (/dev/shm) times the plain block copy that crosses file systems.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "harrowin_work/song_copy.h"

using namespace harrowin;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "harrowin-bench-song-copy";
    const fs::path srcRoot = argc > 2 ? fs::path(argv[2]) / "harrowin-bench-song-copy-src" : work / "src";
    fs::remove_all(work);
    fs::remove_all(srcRoot);
    fs::create_directories(work);
    fs::create_directories(srcRoot);
    constexpr int kFiles = 100;
    constexpr size_t kSize = 10u << 20;
    std::vector<char> data(kSize);
    for (size_t i = 0; i < kSize; ++i) data[i] = static_cast<char>((i * 2654435761u) >> 24);
    std::vector<std::string> sources;
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = (srcRoot / ("song" + std::to_string(i) + ".mp3")).string();
        std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
        sources.push_back(path);
    }
    const double megabytes = static_cast<double>(kFiles) * static_cast<double>(kSize) / 1048576.0;
    auto fresh = [&](const char* name) {
        fs::remove_all(work / name);
        fs::create_directories(work / name);
        // Dirty pages of the previous copy would slow down whichever copy runs next.
        ::sync();
        return std::chrono::steady_clock::now();
    };
    auto runCp = [&] {
        const auto start = fresh("cp");
        const std::string command = "cp " + srcRoot.string() + "/*.mp3 " + (work / "cp").string() + "/";
        if (std::system(command.c_str()) != 0) return -1.0;
        return Seconds(std::chrono::steady_clock::now() - start);
    };
    auto runOurs = [&] {
        const auto start = fresh("ours");
        for (int i = 0; i < kFiles; ++i) {
            std::string final;
            const int32_t err =
                CopyFileExclusive(sources[static_cast<size_t>(i)],
                                  (work / "ours" / ("song" + std::to_string(i) + ".mp3")).string(), final);
            if (err != 0) return -1.0;
        }
        return Seconds(std::chrono::steady_clock::now() - start);
    };
    double best_ours = 1e9, best_cp = 1e9;
    for (int round = 0; round < 4; ++round) {
        // Each goes first in every other round.
        const double a = round % 2 ? runOurs() : runCp();
        const double b = round % 2 ? runCp() : runOurs();
        const double cpTime = round % 2 ? b : a;
        const double oursTime = round % 2 ? a : b;
        if (cpTime < 0 || oursTime < 0) {
            std::fprintf(stderr, "a copy failed\n");
            return 1;
        }
        best_cp = std::min(best_cp, cpTime);
        best_ours = std::min(best_ours, oursTime);
    }
    std::printf("copy of %.0f MB in %d files (best of 4, alternating)\n", megabytes, kFiles);
    std::printf("  cp:        %.3f s  %.0f MB/s\n", best_cp, megabytes / best_cp);
    std::printf("  song copy: %.3f s  %.0f MB/s  (%.0f%% of cp's speed)\n", best_ours, megabytes / best_ours,
                100.0 * best_cp / best_ours);
    fs::remove_all(work);
    fs::remove_all(srcRoot);
    return 0;
}
