#include "harrowincast_work/episode_removal.h"

#include <map>

#include "harrowincast_work/episode_list.h"

namespace harrowincast {

TEpisodeRemoval TEpisodeRemoval::OfDeletedFeed(const std::string& FeedName) {
    TEpisodeRemoval removal;
    removal.FMode = TMode::DeletedFeed;
    removal.FDeleted = FeedName;
    return removal;
}

void TEpisodeRemoval::StartUpdate(const std::vector<std::string>& FeedNames) {
    *this = TEpisodeRemoval();
    FMode = TMode::AfterUpdate;
    FSubscribed.insert(FeedNames.begin(), FeedNames.end());
}

void TEpisodeRemoval::FeedWalked(const std::string& FeedName) { FWalked.insert(FeedName); }

void TEpisodeRemoval::EpisodeListed(const std::string& File) { FListed.insert(File); }

void TEpisodeRemoval::KeepFeed(const std::string& FeedName) { FKept.insert(FeedName); }

bool TEpisodeRemoval::Removes(const TPodCastItem& Episode) const {
    switch (FMode) {
        case TMode::Nothing: return false;
        case TMode::DeletedFeed: return Episode.TITLE == FDeleted;
        case TMode::AfterUpdate: break;
    }
    if (FKept.count(Episode.TITLE)) return false;
    if (!FSubscribed.count(Episode.TITLE)) return true;
    return FWalked.count(Episode.TITLE) && !FListed.count(Episode.FILE);
}

std::vector<std::string> TEpisodeRemoval::FeedsLosingEveryEpisode(const TPodCastList& Episodes) const {
    std::vector<std::string> feeds;
    if (FMode != TMode::AfterUpdate) return feeds;
    std::map<std::string, bool> keepsOne;  // walked feed -> one of its episodes stays
    for (int i = 0; i < Episodes.Count(); ++i) {
        const TPodCastItem& episode = *Episodes.GetItem(i);
        if (!FWalked.count(episode.TITLE) || FKept.count(episode.TITLE)) continue;
        keepsOne[episode.TITLE] = keepsOne[episode.TITLE] || !Removes(episode);
    }
    for (const auto& [feed, keeps] : keepsOne)
        if (!keeps) feeds.push_back(feed);
    return feeds;
}

}  // namespace harrowincast
