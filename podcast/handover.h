// Handing the known episodes on after the download step: registering them in the desktop
// user's media library (sorted into play lists and tagged, dropped episodes removed), or
// copying them into a folder of the user's choice, one sub-folder per channel title.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "podcast/work_hooks.h"

class TTolvIPodINI;
class TPodCastList;
struct TPodCastItem;
class TMediaLibrary;
class TMediaTrack;
class TMediaPlaylist;

class TPodcastHandover {
public:
    // Opens the media library when the hand-over starts (tests point it at a file of their own).
    using TLibraryFactory = std::function<std::unique_ptr<TMediaLibrary>()>;

    TPodcastHandover(TTolvIPodINI& Settings, TPodCastList& Episodes, TPodcastWork Work, TLibraryFactory Factory = {});
    ~TPodcastHandover();

    // Registers every episode; an error of the library still runs UpdateiPod (and Quit when
    // set) before it goes on to the caller.
    void RegisterInITunes(bool& Cancel);
    void CopyToSaveFolder();

private:
    void RemoveDroppedEpisodes();
    TMediaPlaylist RecreatePlaylist(const std::string& name);
    void TagTrack(TMediaPlaylist& main, TPodCastItem& episode);
    std::unique_ptr<TMediaTrack> FindTrack(const std::string& file, const std::string& trackName) const;
    std::unique_ptr<TMediaPlaylist> FindPlaylist(const std::string& name) const;
    void Finish();

    TTolvIPodINI& FSettings;
    TPodCastList& FEpisodes;
    TPodcastWork FWork;
    TLibraryFactory FFactory;
    std::unique_ptr<TMediaLibrary> FApp;
};
