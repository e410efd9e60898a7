// The download step of an update: for each feed, the feed document is fetched into
// RSSTemp/<name>.RSS and read, the feed's record refreshed, and the newest episodes not yet on
// disk fetched into PodCastings/<name>/. Runs on the GUI thread; the window's part comes
// through TPodcastWork.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "podcast/work_hooks.h"

class TTolvIPodINI;
class TPodCastList;

class TPodcastUpdater {
public:
    // Folder: the program folder, with a trailing "/".
    TPodcastUpdater(TTolvIPodINI& Settings, TPodCastList& Episodes, std::string Folder, TPodcastWork Work);

    // The download step over the given feed names (the list's lines at the start).
    void UpdateFeeds(const std::vector<std::string>& Names, bool& Cancel);
    void UpdateFeed(const std::string& Name, const std::string& RssFolder, const std::string& CastFolder, bool& Cancel);
    void MarkFeedEpisodesSeen(const std::string& Name);

    // Episodes downloaded by the current update (each attempt counts).
    int32_t NewCount = 0;

    std::string RssFolder() const { return FFolder + "RSSTemp/"; }
    std::string CastFolder() const { return FFolder + "PodCastings/"; }

private:
    TTolvIPodINI& FSettings;
    TPodCastList& FEpisodes;
    std::string FFolder;
    TPodcastWork FWork;
};

// The folder of a feed's episodes: PodCastings/<feed name made safe>, without a trailing "/".
std::string FeedEpisodeFolder(const std::string& ProgramFolder, const std::string& FeedName);

// Both fetch only http, https and ftp addresses (anything else is False, no file), within the
// bounds of the fetch layer. Cancel, when given, is the progress window's flag: a press during
// the transfer stops it (False, no file); the flag is left set for the caller.
// Feed documents: agent "Harrowin", always from the server, at most kFetchLimitBytes. True when
// a 2xx answer arrived and the file was replaced; on failure an earlier file stays.
bool DownloadUrlToFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work = {},
                       bool* Cancel = nullptr);
// Episodes: agent "MyApp", any size, written to disk as they arrive. The file appears only once
// the whole answer arrived.
bool DownloadEpisodeFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work = {},
                         bool* Cancel = nullptr);
