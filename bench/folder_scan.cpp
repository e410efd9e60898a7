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
        layout.id3v2 = BuildSongTag({.title = "曲 " + std::to_string(i), .artist = "Artist " + std::to_string(i % 50),
                                     .album = "Album " + std::to_string(i % 200), .year = "2008",
                                     .comment = "bench", .genre = "Pop"});
        layout.audioBytes = fileBytes - layout.id3v2.size();
        std::string path = music + "/" + folder + "/" + name;
        WriteMp3File(path, layout);
        paths.push_back(path);
    }

    using Clock = std::chrono::steady_clock;
    auto median = [](std::vector<double> runs) {
        std::sort(runs.begin(), runs.end());
        return runs[runs.size() / 2];
    };
    auto scanOnce = [&]() {
        TITunesDBLoader loader;
        auto start = Clock::now();
        loader.LoadFromFolder(music, root.Path());
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (loader.Songs.GetCount() != fileCount) std::printf("unexpected song count %d\n", loader.Songs.GetCount());
        return seconds;
    };
    int64_t totalLength = 0;
    auto readAll = [&]() {
        totalLength = 0;
        auto start = Clock::now();
        for (const std::string& path : paths) {
            TMP3Tag tag;
            TTolvMP3TagReader().ReadFile(path, tag);
            totalLength += tag.Length;
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    constexpr int kRuns = 9;
    scanOnce();  // warms the cache
    std::vector<double> scans, reads;
    for (int i = 0; i < kRuns; ++i) {
        scans.push_back(scanOnce());
        reads.push_back(readAll());
    }
    const double scan = median(scans), read = median(reads);

    std::printf("folder scan: %d files of %llu bytes (sparse), warm cache, median of %d runs\n", fileCount,
                static_cast<unsigned long long>(fileBytes), kRuns);
    std::printf("  whole scan: best %.4f s, median %.4f s -> %.0f files/s\n",
                *std::min_element(scans.begin(), scans.end()), scan, fileCount / scan);
    std::printf("  tag reader alone: best %.4f s, median %.4f s -> %.0f files/s (total length %lld s)\n",
                *std::min_element(reads.begin(), reads.end()), read, fileCount / read,
                static_cast<long long>(totalLength));
    return 0;
}
