// Loading a player's iTunesDB of 20,000 songs: median time of 10 loads and the peak memory of
// the process. The file is written by a child process so its making does not count.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "player/song_records.h"
#include "tests/support/itunesdb_writer.h"

namespace {

constexpr int kSongs = 20000;
constexpr int kRuns = 10;

ItdbDatabase MakeDatabase() {
    ItdbDatabase db;
    db.Songs.reserve(kSongs);
    for (int i = 0; i < kSongs; ++i) {
        ItdbSong s;
        s.Id = i + 1;
        s.Title = "曲のタイトル Song Title " + std::to_string(i);
        s.Artist = "アーティスト Artist " + std::to_string(i % 500);
        s.Album = "アルバム Album " + std::to_string(i % 1500);
        s.Genre = i % 2 ? "J-Pop" : "Rock";
        s.Kind = "MPEG オーディオファイル";
        s.Location = ":iPod_Control:Music:F" + std::to_string(i % 50) + ":HRW" + std::to_string(i) + ".mp3";
        if (i % 4 == 0) s.Comment = "コメント comment " + std::to_string(i);
        if (i % 3 == 0) s.Composer = "作曲者 " + std::to_string(i % 300);
        s.Size = 4000000 + i;
        s.Length = 240000 + i;
        s.Bitrate = 192;
        s.TrackNumber = i % 15 + 1;
        s.Year = 1990 + i % 30;
        s.DateAdded = 3263500800u + static_cast<uint32_t>(i);
        s.DatabaseId = 0x5A3C000000000000LL + i;
        s.MediaType = i % 100 == 0 ? 2 : 1;
        db.Songs.push_back(std::move(s));
    }
    for (int p = 0; p < 20; ++p) {
        ItdbPlayList list;
        list.Title = "プレイリスト " + std::to_string(p);
        list.Id = p;
        for (int t = p; t < kSongs; t += 20) list.TrackIds.push_back(t + 1);
        db.PlayLists.push_back(std::move(list));
    }
    return db;
}

}  // namespace

int main() {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("harrowin-bench-itunesdb-" + std::to_string(getpid()))).string();
    if (!MadeInChild([&] { WriteITunesDB(path, MakeDatabase()); })) {
        std::fprintf(stderr, "writing the database failed\n");
        return 1;
    }

    std::vector<double> times;
    int32_t songs = 0;
    for (int run = 0; run < kRuns; ++run) {
        TITunesDBLoader loader;
        const auto start = std::chrono::steady_clock::now();
        loader.LoadFromFile(path);
        const auto end = std::chrono::steady_clock::now();
        times.push_back(Milliseconds(end - start));
        songs = loader.Songs.GetCount();
    }
    std::sort(times.begin(), times.end());
    std::printf("iTunesDB %s: %ju bytes, %d songs\n", path.c_str(),
                static_cast<uintmax_t>(std::filesystem::file_size(path)), songs);
    std::printf("LoadFromFile median of %d: %.1f ms (min %.1f, max %.1f)\n", kRuns, (times[4] + times[5]) / 2,
                times.front(), times.back());
    std::printf("peak memory (ru_maxrss): %.1f MiB\n", PeakRssKb() / 1024.0);
    std::filesystem::remove(path);
    return songs == kSongs ? 0 : 1;
}
