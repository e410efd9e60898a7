// Copying songs to the PC against cp: 1 GB in 100 files of about 10 MB, copied by the song
// copy's exclusive block copy and by "cp" into fresh folders on the same file system.
// Usage: bench_song_copy [work folder] (default: a folder under /tmp).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The copy is part of the desktop program; its core has no windows, so it is built in here.
#include "desktop/song_copy.cpp"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "harrowin-bench-song-copy";
    fs::remove_all(work);
    fs::create_directories(work / "src");
    constexpr int kFiles = 100;
    constexpr size_t kSize = 10u << 20;
    std::vector<char> data(kSize);
    for (size_t i = 0; i < kSize; ++i) data[i] = static_cast<char>((i * 2654435761u) >> 24);
    std::vector<std::string> sources;
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = (work / "src" / ("song" + std::to_string(i) + ".mp3")).string();
        std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
        sources.push_back(path);
    }
    const double megabytes = static_cast<double>(kFiles) * static_cast<double>(kSize) / 1048576.0;
    double best_ours = 1e9, best_cp = 1e9;
    for (int round = 0; round < 3; ++round) {
        fs::remove_all(work / "cp");
        fs::create_directories(work / "cp");
        auto start = std::chrono::steady_clock::now();
        const std::string command = "cp " + (work / "src").string() + "/*.mp3 " + (work / "cp").string() + "/";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "cp failed\n");
            return 1;
        }
        best_cp = std::min(best_cp, Seconds(start));

        fs::remove_all(work / "ours");
        fs::create_directories(work / "ours");
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < kFiles; ++i) {
            std::string final;
            const int32_t err = CopyFileExclusive(sources[static_cast<size_t>(i)],
                                                  (work / "ours" / ("song" + std::to_string(i) + ".mp3")).string(), final);
            if (err != 0) {
                std::fprintf(stderr, "copy failed: %d\n", err);
                return 1;
            }
        }
        best_ours = std::min(best_ours, Seconds(start));
    }
    std::printf("copy of %.0f MB in %d files (best of 3)\n", megabytes, kFiles);
    std::printf("  cp:        %.3f s  %.0f MB/s\n", best_cp, megabytes / best_cp);
    std::printf("  song copy: %.3f s  %.0f MB/s  (%.0f%% of cp's speed)\n", best_ours, megabytes / best_ours,
                100.0 * best_cp / best_ours);
    fs::remove_all(work);
    return 0;
}
