// Handing the known episodes on after the download step: registering them in the desktop
// user's media library (sorted into play lists and tagged, dropped episodes removed), or
// copying them into a folder of the user's choice, one sub-folder per channel title.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "harrowincast_work/episode_removal.h"
#include "harrowincast_work/work_hooks.h"

class TMediaLibrary;
class TMediaTrack;
class TMediaPlaylist;

namespace harrowincast {

class TTrackIndex;
class TTolvIPodINI;
class TPodCastList;
struct TPodCastItem;

// How a registration in the library ended when it raised nothing.
enum class THandoverEnd {
    Registered,  // committed; the files of dropped episodes are deleted, the play-list files written
    Cancelled,   // rolled back: library, play-list files, episode list and disk are as they were
};

// Deletes from disk the files of the episodes of the list for which Leaves is true, by the one
// rule of every deletion: an episode's file goes only when it is a regular file directly inside
// its own feed's episode folder, reached through no link below the program folder, and no
// episode that stays names it (paths compared exactly, as the file system tells them apart).
// Called while the list still holds the leaving episodes.
void DeleteFilesOfLeavingEpisodes(const std::string& ProgramFolder, const TPodCastList& Episodes,
                                  const std::function<bool(const TPodCastItem&)>& Leaves);

class TPodcastHandover {
public:
    // Opens the media library when the hand-over starts (tests point it at a file of their own).
    using TLibraryFactory = std::function<std::unique_ptr<TMediaLibrary>()>;

    TPodcastHandover(TTolvIPodINI& Settings, TPodCastList& Episodes, TPodcastWork Work, TLibraryFactory Factory = {});
    ~TPodcastHandover();

    // Registers every episode, after removing (when DeleteFile is set) those that Removal lets
    // go; the play lists of feeds no longer subscribed leave the library. All writes are one
    // transaction of the library, and nothing else changes before it has committed: then the
    // dropped episodes leave the episode list and the disk, the episodes take their new track
    // names and the play-list files are written. Cancel (tested after each episode of both
    // loops), or an error of the library before the commit or of the commit itself, rolls it
    // all back; the error goes on to the caller. An error after the commit still runs Quit
    // when set.
    THandoverEnd RegisterInITunes(bool& Cancel, TEpisodeRemoval Removal = {});
    // Copies every episode into a folder of its channel (of its feed when the feed has no
    // channel title) inside the save folder. A copy never replaces a file: an earlier copy of the
    // same episode is left as it is, any other file of that name keeps it and the copy takes the
    // first free numbered name. Copies that fail are shown in one error message; the result
    // is their number.
    int CopyToSaveFolder();

private:
    // Asks about feeds losing every episode and removes the tracks of the episodes that leave;
    // gives those episodes, which are still in the list.
    std::unordered_set<const TPodCastItem*> RemoveDroppedTracks(TEpisodeRemoval& Removal);
    void RemovePlaylistsOfGoneFeeds();
    TMediaPlaylist RecreatePlaylist(const std::string& name);
    // Gives the episode's new track name, which the episode takes once the library committed.
    void TagTrack(TMediaPlaylist& main, const TPodCastItem& episode, std::string& trackName,
                  const std::unordered_map<std::string, TMediaPlaylist>& lists);
    void Finish();

    TTolvIPodINI& FSettings;
    TPodCastList& FEpisodes;
    TPodcastWork FWork;
    TLibraryFactory FFactory;
    std::unique_ptr<TMediaLibrary> FApp;
    std::unique_ptr<TTrackIndex> FTracks;
};

}  // namespace harrowincast
