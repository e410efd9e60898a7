#include "harrowincast_work/handover.h"

#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "harrowincast_work/episode_list.h"
#include "harrowincast_work/settings.h"
#include "harrowincast_work/site_list.h"
#include "harrowincast_work/update_road.h"
#include "platform/media_library.h"

namespace harrowincast {

namespace fs = std::filesystem;

// The library's tracks as the tagging looks them up, read once per hand-over: by location, and
// by name together with the file name of the location, each lower-cased and trimmed. Of several
// tracks that match, the one added last is taken, as a walk from the last track to the first
// would find it. The tagging renames tracks; Renamed keeps the names up to date.
class TTrackIndex {
public:
    explicit TTrackIndex(const TMediaLibrary& app) : FTracks(app.LibraryPlaylist().Tracks().All()) {
        for (size_t i = 0; i < FTracks.size(); ++i) {
            const std::string location = PodcastCompareKey(FTracks[i].Location());
            FByLocation[location] = i;
            FFileParts.push_back(FileNameOf(location));
            FNames.push_back(PodcastCompareKey(FTracks[i].Name()));
            FByName[FNames[i] + '\n' + FFileParts[i]].insert(i);
        }
    }

    // The track of the file, or else of that name and file name; nullptr when none.
    TMediaTrack* Find(const std::string& file, const std::string& trackName, size_t& position) {
        const std::string f = PodcastCompareKey(file);
        bool found = false;
        if (auto it = FByLocation.find(f); it != FByLocation.end()) {
            position = it->second;
            found = true;
        }
        if (auto it = FByName.find(PodcastCompareKey(trackName) + '\n' + FileNameOf(f));
            it != FByName.end() && !it->second.empty()) {
            const size_t last = *it->second.rbegin();
            if (!found || last > position) position = last;
            found = true;
        }
        return found ? &FTracks[position] : nullptr;
    }

    void Renamed(size_t position, const std::string& name) {
        FByName[FNames[position] + '\n' + FFileParts[position]].erase(position);
        FNames[position] = PodcastCompareKey(name);
        FByName[FNames[position] + '\n' + FFileParts[position]].insert(position);
    }

private:
    std::vector<TMediaTrack> FTracks;
    std::vector<std::string> FFileParts, FNames;
    std::unordered_map<std::string, size_t> FByLocation;
    std::unordered_map<std::string, std::set<size_t>> FByName;
};

TPodcastHandover::TPodcastHandover(TTolvIPodINI& Settings, TPodCastList& Episodes, TPodcastWork Work,
                                   TLibraryFactory Factory)
    : FSettings(Settings), FEpisodes(Episodes), FWork(std::move(Work)), FFactory(std::move(Factory)) {
    if (!FFactory) FFactory = [] { return std::make_unique<TMediaLibrary>(); };
}

TPodcastHandover::~TPodcastHandover() = default;

namespace {

// The play lists of the library by name key, the first of each key.
std::unordered_map<std::string, TMediaPlaylist> PlaylistsByKey(const TMediaLibrary& app) {
    std::unordered_map<std::string, TMediaPlaylist> lists;
    for (const TMediaPlaylist& list : app.LibrarySource().PlayLists().All())
        lists.emplace(PodcastCompareKey(list.Name()), list);
    return lists;
}

}  // namespace

THandoverEnd TPodcastHandover::RegisterInITunes(bool& Cancel, TEpisodeRemoval Removal) {
    FApp = FFactory();
    // The library is closed on every road out; one left open would keep its lock.
    struct Closer {
        TPodcastHandover& hand;
        ~Closer() {
            hand.FTracks.reset();
            hand.FApp.reset();
        }
    } closer{*this};
    std::unordered_set<const TPodCastItem*> leaving;
    std::vector<TPodCastItem*> staying;
    std::vector<std::string> trackNames;
    bool cancelled = false;
    try {
        // One transaction: thousands of episodes are registered in seconds, not one disk
        // write each, and a cancelled or failed run leaves the library as it was.
        FApp->BeginWork();
        auto lib = FApp->LibraryPlaylist();
        if (FSettings.DeleteFile) leaving = RemoveDroppedTracks(Removal);
        for (int i = 0; i < FEpisodes.Count(); ++i)
            if (!leaving.count(FEpisodes.GetItem(i))) staying.push_back(FEpisodes.GetItem(i));
        const int count = static_cast<int>(staying.size());
        FWork.Max(count);
        for (int a = 0; a < count && !cancelled; ++a) {
            FWork.Position(a);
            FWork.Label(FormatText("ライブラリに登録中です ( %d / %d )", a + 1, count));
            try {
                lib.AddFile(staying[a]->FILE);
            } catch (const EMediaLibraryError&) {
                // A file the library refuses (missing, for instance) is left untagged below; a
                // failure of the library itself is not.
                std::error_code ec;
                if (fs::is_regular_file(fs::path(staying[a]->FILE), ec)) throw;
            }
            FWork.RunPending();
            cancelled = Cancel;
        }
        if (!cancelled) {
            RemovePlaylistsOfGoneFeeds();
            TMediaPlaylist main = RecreatePlaylist(FSettings.PlayListName);
            if (FSettings.MakeAnyLists) {
                for (int i = 0; i < FSettings.Sites.Count(); ++i) {
                    const TPodSiteItem* site = FSettings.Sites.GetItem(i);
                    if (!site->PLAYLIST.empty()) RecreatePlaylist(site->PLAYLIST);
                }
            }
            FTracks = std::make_unique<TTrackIndex>(*FApp);
            const auto lists =
                FSettings.MakeAnyLists ? PlaylistsByKey(*FApp) : std::unordered_map<std::string, TMediaPlaylist>();
            trackNames.resize(count);
            for (int b = 0; b < count && !cancelled; ++b) {
                trackNames[b] = staying[b]->FORDELETENAME;
                FWork.Position(b);
                FWork.Label(FormatText("プレイリストに登録中です ( %d / %d )", b + 1, count));
                TagTrack(main, *staying[b], trackNames[b], lists);
                FWork.RunPending();
                cancelled = Cancel;
            }
        }
        if (cancelled) {
            FApp->RollbackWork();
            return THandoverEnd::Cancelled;
        }
        // A commit that fails (another program reading the library holds it) has rolled back.
        FApp->CommitWork();
    } catch (...) {
        try {
            FApp->RollbackWork();
        } catch (...) {
            // Closing the library undoes what is left open.
        }
        throw;
    }
    // Committed: only now does anything outside the library follow it.
    for (size_t b = 0; b < staying.size(); ++b) staying[b]->FORDELETENAME = trackNames[b];
    if (!leaving.empty()) {
        auto leaves = [&leaving](const TPodCastItem& episode) { return leaving.count(&episode) > 0; };
        DeleteFilesOfLeavingEpisodes(FSettings.Folder(), FEpisodes, leaves);
        std::vector<std::string> files;
        FEpisodes.ExtractWhere(leaves, files);
    }
    Finish();
    return THandoverEnd::Registered;
}

void TPodcastHandover::Finish() {
    // Quitting must not depend on the play-list files being written: the library is closed
    // when asked even if UpdateiPod fails, and that failure still reaches the caller.
    try {
        FApp->UpdateiPod();
    } catch (...) {
        if (FSettings.QuitiTuunes) FApp->Quit();
        throw;
    }
    if (FSettings.QuitiTuunes) FApp->Quit();
}

TMediaPlaylist TPodcastHandover::RecreatePlaylist(const std::string& name) {
    const std::string key = PodcastCompareKey(name);
    for (TMediaPlaylist& list : FApp->LibrarySource().PlayLists().All()) {
        if (PodcastCompareKey(list.Name()) == key) {
            list.Delete();
            break;
        }
    }
    return FApp->CreatePlaylist(name);
}

void TPodcastHandover::RemovePlaylistsOfGoneFeeds() {
    // A feed's own list is "PCast <name>"; one whose feed was deleted or renamed would
    // otherwise stay in the library, and its file beside it, for ever.
    const std::string prefix = PodcastCompareKey("PCast ") + " ";
    std::unordered_set<std::string> owned{PodcastCompareKey(FSettings.PlayListName)};
    for (const TPodSiteItem* site : FSettings.Sites.Items()) {
        owned.insert(PodcastCompareKey("PCast " + site->NAME));
        owned.insert(PodcastCompareKey(site->PLAYLIST));
    }
    for (TMediaPlaylist& list : FApp->LibrarySource().PlayLists().All()) {
        const std::string key = PodcastCompareKey(list.Name());
        if (key.rfind(prefix, 0) == 0 && !owned.count(key)) list.Delete();
    }
}

void TPodcastHandover::TagTrack(TMediaPlaylist& main, const TPodCastItem& episode, std::string& trackName,
                                const std::unordered_map<std::string, TMediaPlaylist>& lists) {
    size_t position = 0;
    TMediaTrack* track = FTracks->Find(episode.FILE, episode.FORDELETENAME, position);
    if (!track) return;
    track->SetArtist(episode.AUTHOR);
    track->SetGenre("PodCasting");
    track->SetAlbum(episode.TITLE);
    trackName = episode.CAPTION + "(" + episode.DATE + ")";
    track->SetName(trackName);
    FTracks->Renamed(position, trackName);
    main.AddTrack(*track);
    if (FSettings.MakeAnyLists) {
        if (auto it = lists.find(PodcastCompareKey("PCast " + episode.TITLE)); it != lists.end()) {
            TMediaPlaylist list = it->second;
            list.AddTrack(*track);
        }
    }
}

std::unordered_set<const TPodCastItem*> TPodcastHandover::RemoveDroppedTracks(TEpisodeRemoval& Removal) {
    FWork.Label("不要ファイルを削除していますです");
    for (const std::string& feed : Removal.FeedsLosingEveryEpisode(FEpisodes)) {
        int count = 0;
        for (int i = 0; i < FEpisodes.Count(); ++i) count += FEpisodes.GetItem(i)->TITLE == feed;
        if (!FWork.Confirm(FormatText("\"%s\"の項目には、これまでのエピソードが1つもありません。\n"
                                      "エピソード %d 件をすべて削除してもよろしいですか？",
                                      feed.c_str(), count)))
            Removal.KeepFeed(feed);
    }
    std::unordered_set<const TPodCastItem*> leaving;
    std::unordered_set<std::string> kept, gone;
    for (int i = 0; i < FEpisodes.Count(); ++i) {
        const TPodCastItem* episode = FEpisodes.GetItem(i);
        if (Removal.Removes(*episode)) {
            leaving.insert(episode);
        } else {
            kept.insert(episode->FILE);
        }
    }
    // A track of a file that an episode still kept names (of another feed that shared the
    // folder) stays.
    for (const TPodCastItem* episode : leaving)
        if (!kept.count(episode->FILE)) gone.insert(episode->FILE);
    if (gone.empty()) return leaving;
    for (TMediaTrack& track : FApp->LibraryPlaylist().Tracks().All())
        if (gone.count(track.Location())) track.Delete();
    return leaving;
}

void DeleteFilesOfLeavingEpisodes(const std::string& ProgramFolder, const TPodCastList& Episodes,
                                  const std::function<bool(const TPodCastItem&)>& Leaves) {
    std::unordered_set<std::string> kept, done;
    std::vector<const TPodCastItem*> leaving;
    for (int i = 0; i < Episodes.Count(); ++i) {
        const TPodCastItem* episode = Episodes.GetItem(i);
        if (Leaves(*episode)) {
            leaving.push_back(episode);
        } else {
            kept.insert(episode->FILE);
        }
    }
    // Only files the program downloaded for that episode are deleted: a path of the episode
    // list that leads anywhere else (an edited list, a planted link) is left alone.
    for (const TPodCastItem* episode : leaving) {
        const std::string& file = episode->FILE;
        const std::string folder = FeedEpisodeFolder(ProgramFolder, episode->TITLE) + "/";
        if (kept.count(file) || !done.insert(file).second || file.rfind(folder, 0) != 0) continue;
        const std::string name = file.substr(folder.size());
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) continue;
        if (LinkFreeBelow(ProgramFolder, file) && PathKindOf(file) == TPathKind::File) DeleteFileForced(file);
    }
}

namespace {

// Entries of the program folder that a channel's folder must not take when the save folder is
// the program folder: the program's own folders and files, its library and its play lists.
bool IsProgramEntry(const std::string& name) {
    const std::string key = encoding::AsciiLower(name);
    return key == "podcastings" || key == "rsstemp" || key == "lumenquist.ini" || key == "lumenquist.lst" ||
           key.rfind("medialibrary.sqlite", 0) == 0 || key.ends_with(".m3u8");
}

}  // namespace

int TPodcastHandover::CopyToSaveFolder() {
    std::error_code ec;
    if (!fs::is_directory(FSettings.SaveFolder, ec)) {
        if (!FWork.Confirm(
                FormatText("データ転送先フォルダ[ %s ]を作成してもよろしいですか？", FSettings.SaveFolder.c_str()))) {
            FWork.Message("転送先フォルダが不明のため、データの転送を中止しました");
            return 0;
        }
        fs::create_directories(FSettings.SaveFolder, ec);
    }
    const std::string save = WithTrailingSlash(FSettings.SaveFolder);
    const bool programFolder =
        fs::equivalent(fs::path(save), fs::path(FSettings.Folder().empty() ? "." : FSettings.Folder()), ec);
    std::vector<std::string> failures;
    const int count = FEpisodes.Count();
    FWork.Max(count);
    for (int b = 0; b < count; ++b) {
        const TPodCastItem& episode = *FEpisodes.GetItem(b);
        FWork.Position(b);
        FWork.Label(FormatText("ポッドキャストをコピー中 ( %d / %d )", b + 1, count));
        // An episode not downloaded (its download failed) has nothing to copy yet.
        if (PathKindOf(episode.FILE) != TPathKind::File) {
            FWork.RunPending();
            continue;
        }
        // The channel title comes from the feed: it names one folder inside the save folder.
        std::string channel =
            EntryNameFitting(EntryNameAllowingAllButSlash(episode.BLOGNAME.empty() ? episode.TITLE : episode.BLOGNAME),
                             kMaxEntryNameBytes - 1, TNameFit::Marked);
        if (programFolder && IsProgramEntry(channel)) channel = "_" + channel;
        const std::string folder = save + channel + "/";
        try {
            fs::create_directories(folder, ec);
            if (ec) throw EFileError("フォルダ " + folder + " を作成できません。" + SysErrorText(ec.value()));
            // The first name that is free or holds an earlier copy of this episode.
            bool copiedBefore = false;
            const std::string name =
                FreeEntryName(EntryNameAllowingAllButSlash(FileNameOf(episode.FILE)), kMaxEntryNameBytes,
                              kHighestEntryNumber, TNameFit::Marked, [&](const std::string& n) {
                                  if (!NameTaken(folder + n)) return false;
                                  copiedBefore = SameFileBytes(episode.FILE, folder + n);
                                  return !copiedBefore;
                              });
            if (name.empty())
                throw EFileError("ファイル " + folder + FileNameOf(episode.FILE) + " を作成できません。" +
                                 SysErrorText(EEXIST));
            if (!copiedBefore) CopyToNewFile(episode.FILE, folder + name);
        } catch (const EFileError& e) {
            failures.push_back(e.Message());
        }
        FWork.RunPending();
    }
    if (!failures.empty()) {
        std::string text = FormatText("%d 件のエピソードをコピーできませんでした。", static_cast<int>(failures.size()));
        const size_t shown = std::min<size_t>(failures.size(), 10);
        for (size_t i = 0; i < shown; ++i) text += "\n" + failures[i];
        if (failures.size() > shown) text += "\n…";
        FWork.Error(text);
    }
    return static_cast<int>(failures.size());
}

}  // namespace harrowincast
