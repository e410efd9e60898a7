// Handing the known episodes on after the download step: registering them in the desktop
// user's media library (sorted into play lists and tagged, dropped episodes removed), or
// copying them into a folder of the user's choice, one sub-folder per channel title.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

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

class TPodcastHandover {
public:
    // Opens the media library when the hand-over starts (tests point it at a file of their own).
    using TLibraryFactory = std::function<std::unique_ptr<TMediaLibrary>()>;

    TPodcastHandover(TTolvIPodINI& Settings, TPodCastList& Episodes, TPodcastWork Work, TLibraryFactory Factory = {});
    ~TPodcastHandover();

    // Registers every episode, after removing (when DeleteFile is set) those that Removal lets
    // go; the play lists of feeds no longer subscribed leave the library. All writes are one
    // transaction of the library. An error of the library still runs UpdateiPod (and Quit when
    // set) before it goes on to the caller.
    void RegisterInITunes(bool& Cancel, TEpisodeRemoval Removal = {});
    // Copies every episode into a folder of its channel (of its feed when the feed has no
    // channel title) inside the save folder. A copy never replaces a file: an earlier copy of the
    // same episode is left as it is, any other file of that name keeps it and the copy takes the
    // first free numbered name. Copies that fail are shown in one error message; the result
    // is their number.
    int CopyToSaveFolder();

private:
    void RemoveDroppedEpisodes(TEpisodeRemoval& Removal);
    void RemovePlaylistsOfGoneFeeds();
    TMediaPlaylist RecreatePlaylist(const std::string& name);
    void TagTrack(TMediaPlaylist& main, TPodCastItem& episode,
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
