// The song page's data work for a large player: reading an iTunesDB of 20,000 songs by 2,000
// artists and grouping them into the artist tree (the windows' own part, the list model and
// its sorting, is timed by the song page's speed test).
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "bench/bench_support.h"
#include "harrowin_work/artist_tree.h"
#include "player/song_records.h"
#include "tests/support/itunesdb_writer.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

int main() {
    TempDir dir;
    ItdbDatabase db;
    for (int i = 0; i < 20000; ++i) {
        ItdbSong s;
        s.Id = i + 1;
        s.Title = "曲 " + std::to_string(i);
        s.Artist = (i % 2 ? "Artist " : "アーティスト ") + std::to_string(i % 2000);
        s.Album = "Album " + std::to_string(i % 2000) + "-" + std::to_string(i % 3);
        s.Location = ":iPod_Control:Music:F00:S" + std::to_string(i) + ".mp3";
        db.Songs.push_back(s);
    }
    const std::string file = WriteITunesDB(dir / "iTunesDB", db);
    auto start = std::chrono::steady_clock::now();
    TITunesDBLoader loader;
    loader.LoadFromFile(file);
    const double load = Seconds(std::chrono::steady_clock::now() - start);

    start = std::chrono::steady_clock::now();
    std::vector<TArtistEntry> entries;
    for (int32_t i = 0; i < loader.Songs.GetCount(); ++i) {
        const TITBSongItem* s = loader.Songs.GetItem(i);
        if (!s->IsVideo && !s->Artist.empty()) entries.push_back({s->Artist, s->Album});
    }
    TArtistTree tree;
    for (const auto& group : GroupArtistEntries(entries)) {
        const int32_t node = tree.FindOrAddArtistNode(entries[static_cast<size_t>(group.front())].Artist);
        for (int32_t e : group) tree.AddAlbumNode(node, entries[static_cast<size_t>(e)].Album);
    }
    const double group = Seconds(std::chrono::steady_clock::now() - start);
    std::printf("iTunesDB of %d songs read in %.1f ms\n", loader.Songs.GetCount(), load * 1000.0);
    std::printf("grouped into %zu artists in %.1f ms\n", tree.Nodes().size(), group * 1000.0);
    return 0;
}
