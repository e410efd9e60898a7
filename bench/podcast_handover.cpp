// Speed of HarrowinCast's hand-over to the media library: one feed's N new episodes registered,
// tagged and listed (the first hand-over), then the same N again with nothing new (the one
// after it, as every later update runs it), at N = 500 and N = 5,000. Limits at 5,000: 2 s for
// the first, 0.5 s for the one after. Usage: bench_podcast_handover [N ...]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "harrowincast_work/episode_list.h"
#include "harrowincast_work/episode_removal.h"
#include "harrowincast_work/handover.h"
#include "harrowincast_work/settings.h"
#include "platform/media_library.h"
#include "tests/support/temp_dir.h"

using namespace harrowincast;

namespace {

struct Times {
    double First = 0;  // ms
    double Next = 0;   // ms
};

Times Run(int n) {
    TempDir dir;
    TTolvIPodINI ini(dir / "Lumenquist.INI");
    ini.MakeAnyLists = true;
    TPodSiteItem* site = ini.Sites.Add();
    site->NAME = "毎日のニュース";
    site->PLAYLIST = "PCast " + site->NAME;
    TPodCastList episodes;
    for (int i = 0; i < n; ++i) {
        const std::string name = "ep" + std::to_string(i) + ".mp3";
        const std::string path = dir.Write("PodCastings/" + site->NAME + "/" + name, "audio");
        TPodCastItem* ep = episodes.FindOrAdd(path);
        ep->FILE = path;
        ep->TITLE = site->NAME;
        ep->BLOGNAME = "ニュース";
        ep->CAPTION = "第" + std::to_string(i) + "回 今日の話題";
        ep->AUTHOR = "編集部";
        ep->DATE = "Mon, 07 Dec 2026 07:00:00 +0900";
    }
    // What an update that found every episode in the feed learnt.
    TEpisodeRemoval removal;
    removal.StartUpdate({site->NAME});
    removal.FeedWalked(site->NAME);
    for (int i = 0; i < episodes.Count(); ++i) removal.EpisodeListed(episodes.GetItem(i)->FILE);
    const std::string lib = dir / "MediaLibrary.sqlite";
    auto handOver = [&] {
        bool cancel = false;
        TPodcastHandover hand(ini, episodes, TPodcastWork{}, [&lib] { return std::make_unique<TMediaLibrary>(lib); });
        hand.RegisterInITunes(cancel, removal);
    };
    Times t;
    auto start = std::chrono::steady_clock::now();
    handOver();
    t.First = Milliseconds(std::chrono::steady_clock::now() - start);
    // The next update found every episode again and nothing new.
    start = std::chrono::steady_clock::now();
    handOver();
    t.Next = Milliseconds(std::chrono::steady_clock::now() - start);
    TMediaLibrary check(lib);
    if (check.LibraryPlaylist().Tracks().Count() != n) {
        std::printf("  wrong number of tracks: %d\n", check.LibraryPlaylist().Tracks().Count());
        t.First = t.Next = 1e300;
    }
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {500, 5000};
    int failures = 0;
    for (int n : sizes) {
        const Times t = Run(n);
        std::printf("hand-over of %d new episodes: %.1f ms; the one after, nothing new: %.1f ms\n", n, t.First, t.Next);
        if (n == 5000 && (t.First > 2000 || t.Next > 500)) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
