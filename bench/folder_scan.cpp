// Scanning a player's music folder of 2,000 tagged MP3 files of 3 MB each (sparse files made by
// the test writer), with a warm cache: the median time of the whole scan (tag reading, song
// records, the filter) and of the tag reader alone over the same files, taken in turn.
#include "player/song_records.h"
#include "player/tags/mp3_tag_reader.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <time.h>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const int fileCount = argc > 1 ? std::atoi(argv[1]) : 2000;
    const uint64_t fileBytes = 3u << 20;
    TempDir root;
    const std::string music = root / "iPod_Control/Music";
    std::vector<std::string> paths;
    for (int i = 0; i < fileCount; ++i) {
        char folder[16], name[32];
        std::snprintf(folder, sizeof folder, "F%02d", i % 20);
        std::snprintf(name, sizeof name, "S%05d.mp3", i);
        fs::create_directories(music + "/" + folder);
        Mp3FileLayout layout;
        layout.id3v2 = BuildSongTag({.title = "曲 " + std::to_string(i),
                                     .artist = "Artist " + std::to_string(i % 50),
                                     .album = "Album " + std::to_string(i % 200),
                                     .year = "2008",
                                     .comment = "bench",
                                     .genre = "Pop"});
        layout.audioBytes = fileBytes - layout.id3v2.size();
        std::string path = music + "/" + folder + "/" + name;
        WriteMp3File(path, layout);
        paths.push_back(path);
    }

    // Wall time, and the CPU time of this process, which a busy shared machine disturbs less.
    struct Timing {
        double wall = 0, cpu = 0;
    };
    auto cpuSeconds = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    };
    auto measure = [&](auto&& f) {
        const auto wall = std::chrono::steady_clock::now();
        const double cpu = cpuSeconds();
        f();
        return Timing{std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(),
                      cpuSeconds() - cpu};
    };
    auto median = [](const std::vector<Timing>& runs, double Timing::*part) {
        std::vector<double> values;
        for (const Timing& t : runs) values.push_back(t.*part);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    auto scanOnce = [&]() {
        TITunesDBLoader loader;
        Timing t = measure([&] { loader.LoadFromFolder(music, root.Path()); });
        if (loader.Songs.GetCount() != fileCount) std::printf("unexpected song count %d\n", loader.Songs.GetCount());
        return t;
    };
    int64_t totalLength = 0;
    auto readAll = [&]() {
        totalLength = 0;
        return measure([&] {
            for (const std::string& path : paths) {
                TMP3Tag tag;
                TTolvMP3TagReader().ReadFile(path, tag);
                totalLength += tag.Length;
            }
        });
    };
    constexpr int kRuns = 9;
    scanOnce();  // warms the cache
    std::vector<Timing> scans, reads;
    for (int i = 0; i < kRuns; ++i) {
        scans.push_back(scanOnce());
        reads.push_back(readAll());
    }

    std::printf("folder scan: %d files of %llu bytes (sparse), warm cache, median of %d runs\n", fileCount,
                static_cast<unsigned long long>(fileBytes), kRuns);
    std::printf("  whole scan: wall %.4f s, cpu %.4f s -> %.0f files/s\n", median(scans, &Timing::wall),
                median(scans, &Timing::cpu), fileCount / median(scans, &Timing::wall));
    std::printf("  tag reader alone: wall %.4f s, cpu %.4f s -> %.0f files/s (total length %lld s)\n",
                median(reads, &Timing::wall), median(reads, &Timing::cpu), fileCount / median(reads, &Timing::wall),
                static_cast<long long>(totalLength));
    return 0;
}
