// Which of the known episodes a hand-over removes (from the media library, the disk and the
// episode list) when removal is on: the rule in one place.
//
// After an update, an episode goes when its feed's document was read and its newest items
// walked to the end without listing the episode, or when no subscribed feed has its feed's name
// any more. An episode whose feed could not be read, listed no items, had its walk stopped by
// Cancel, or had a newest item whose download failed with no older episode on disk to take its
// place, stays: the update learnt nothing about it, or its replacement is not on disk. Only an
// item whose file is on disk is listed. When the rule would take every episode
// of a feed that still lists items, the hand-over asks first (KeepFeed keeps them).
// Deleting a feed removes exactly the episodes whose records name that feed, and no other.
// Feed names are compared exactly, as the records hold them.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace harrowincast {

class TPodCastList;
struct TPodCastItem;

class TEpisodeRemoval {
public:
    // Removes nothing.
    TEpisodeRemoval() = default;
    // Removes the episodes of the feed, which is being deleted.
    static TEpisodeRemoval OfDeletedFeed(const std::string& FeedName);

    // What an update learns. It starts with the names of the feeds subscribed.
    void StartUpdate(const std::vector<std::string>& FeedNames);
    // The feed's document listed items and they were walked to the end.
    void FeedWalked(const std::string& FeedName);
    // An episode that a walk listed among the newest items of its feed.
    void EpisodeListed(const std::string& File);

    // The feeds walked of which the rule would remove every episode known.
    std::vector<std::string> FeedsLosingEveryEpisode(const TPodCastList& Episodes) const;
    // The feed's episodes stay this time.
    void KeepFeed(const std::string& FeedName);

    bool Removes(const TPodCastItem& Episode) const;

private:
    enum class TMode { Nothing, AfterUpdate, DeletedFeed };
    TMode FMode = TMode::Nothing;
    std::string FDeleted;
    std::set<std::string> FSubscribed, FWalked, FKept, FListed;
};

}  // namespace harrowincast
