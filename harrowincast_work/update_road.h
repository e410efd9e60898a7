// The download step of an update: for each feed, the feed document is fetched into
// RSSTemp/<feed entry name>.RSS and read, the feed's record refreshed, and the newest episodes
// not yet on disk fetched into PodCastings/<feed entry name>/. What it learns about each feed
// goes into Removal for the hand-over. Runs on the GUI thread; the window's part comes through
// TPodcastWork.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "harrowincast_work/episode_removal.h"
#include "harrowincast_work/update_failures.h"
#include "harrowincast_work/work_hooks.h"
#include "platform/http_fetch.h"

class TXMLReader;
class TPodCastObject;

namespace harrowincast {

class TTolvIPodINI;
class TPodCastList;
struct TPodCastItem;
struct TPodSiteItem;

class TPodcastUpdater {
public:
    // Folder: the program folder, with a trailing "/".
    TPodcastUpdater(TTolvIPodINI& Settings, TPodCastList& Episodes, std::string Folder, TPodcastWork Work);
    ~TPodcastUpdater();

    // The download step over the feeds of the list's lines at the start, in their order.
    void UpdateFeeds(const std::vector<TPodSiteItem*>& Feeds, bool& Cancel);
    void UpdateFeed(TPodSiteItem& Site, const std::string& RssFolder, const std::string& CastFolder, bool& Cancel);
    // The newest items of a feed whose document listed items: each episode not on disk fetched.
    // An episode whose file is empty counts as not on disk. Only an item whose file is on disk
    // afterwards is recorded and keeps its place among the newest: the place of one whose
    // download failed goes to the next older item already on disk, and when there is none the
    // feed counts as not walked, so that no episode is removed for an item that never arrived.
    void DownloadFeedEpisodes(TPodSiteItem& Site, const TXMLReader& Reader, const std::string& CastFolder,
                              bool& Cancel);

    // Episodes downloaded by the current update (each attempt counts).
    int32_t NewCount = 0;
    // What this update learnt, for the hand-over's removal of dropped episodes.
    TEpisodeRemoval Removal;
    // The feed documents and episodes this update could not fetch, and why.
    TUpdateFailures Failures;

    std::string RssFolder() const { return FFolder + "RSSTemp/"; }
    std::string CastFolder() const { return FFolder + "PodCastings/"; }

private:
    // The path of an item's episode in the folder: the file of this feed's episode that came
    // from the same address when that record names a file right inside the folder (or one not
    // there yet), else the item's file name made safe, or the first free numbered form of it
    // when another enclosure's episode (or an earlier item of this walk) has it or something
    // that is no file (a folder, a link) stands there.
    std::string EpisodePath(const TPodSiteItem& Site, const std::string& Folder, const std::string& Address,
                            const std::string& FileName) const;
    TPodCastItem* Record(const std::string& Path);
    // The item's episode is on disk at Path: its record refreshed (made when there is none) and
    // kept by the removal.
    void Listed(const TPodSiteItem& Site, const TPodCastObject& Item, const std::string& Path);
    void IndexEpisodes();

    TTolvIPodINI& FSettings;
    TPodCastList& FEpisodes;
    std::string FFolder;
    TPodcastWork FWork;
    // The episode list by path (the first of a path) and by feed and address, made at the first
    // feed: nothing else changes the list while the update runs.
    bool FIndexed = false;
    std::unordered_map<std::string, TPodCastItem*> FByPath;
    std::unordered_map<std::string, TPodCastItem*> FByAddress;
};

// The folder of a feed's episodes: PodCastings/<FeedEntryName>, without a trailing "/".
std::string FeedEpisodeFolder(const std::string& ProgramFolder, const std::string& FeedName);
// The feed's cache file: RSSTemp/<FeedEntryName>.RSS.
std::string FeedCacheFile(const std::string& ProgramFolder, const std::string& FeedName);

// The most bytes an episode download may take, from the length its enclosure declares: the
// length and as much again, at least 64 MiB more (servers often declare too little); 4 GiB
// when nothing (or nothing positive) is declared.
int64_t EpisodeByteBound(int64_t DeclaredLength);
// Room an episode download leaves free on the disk it writes to (bytes).
inline constexpr int64_t kEpisodeDiskReserve = 256LL * 1024 * 1024;

// Both fetch only http, https and ftp addresses (anything else is False, no file), within the
// bounds of the fetch layer. Cancel, when given, is the progress window's flag: a press during
// the transfer stops it (False, no file); the flag is left set for the caller.
// Feed documents: agent "Harrowin", always from the server, at most kFetchLimitBytes. True when
// a 2xx answer arrived and the file was replaced; on failure an earlier file stays.
// Result, when given, says why a fetch failed.
bool DownloadUrlToFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work = {},
                       bool* Cancel = nullptr, THttpFetchResult* Result = nullptr);
// Episodes: agent "MyApp", written to disk as they arrive, at most EpisodeByteBound of the
// declared length (bytes), stopping before the disk has less than kEpisodeDiskReserve free. The
// file appears only once the whole answer arrived; an answer without a byte fails. The declared
// length is often wrong, so an episode that differs from it still counts.
bool DownloadEpisodeFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work = {},
                         bool* Cancel = nullptr, int64_t DeclaredLength = 0, THttpFetchResult* Result = nullptr);

// Why a fetch failed, as the user is told (Japanese).
std::string FetchFailureText(const THttpFetchResult& Result);

}  // namespace harrowincast
