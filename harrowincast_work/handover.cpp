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

void TPodcastHandover::RegisterInITunes(bool& Cancel, TEpisodeRemoval Removal) {
    FApp = FFactory();
    std::exception_ptr failure;
    try {
        // One transaction: thousands of episodes are registered in seconds, not one disk
        // write each.
        FApp->BeginWork();
        auto lib = FApp->LibraryPlaylist();
        if (FSettings.DeleteFile) RemoveDroppedEpisodes(Removal);
        const int count = FEpisodes.Count();
        FWork.Max(count);
        for (int a = 0; a < count; ++a) {
            FWork.Position(a);
            FWork.Label(FormatText("ライブラリに登録中です ( %d / %d )", a + 1, count));
            try {
                lib.AddFile(FEpisodes.GetItem(a)->FILE);
            } catch (const EMediaLibraryError&) {
                // A file the library refuses (missing, for instance) is left untagged below.
            }
            FWork.RunPending();
        }
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
        for (int b = 0; b < count; ++b) {
            FWork.Position(b);
            FWork.Label(FormatText("プレイリストに登録中です ( %d / %d )", b + 1, count));
            TagTrack(main, *FEpisodes.GetItem(b), lists);
            if (Cancel) break;
            FWork.RunPending();
        }
    } catch (...) {
        failure = std::current_exception();
    }
    // However the registration ended, what it registered is committed and the library closed;
    // the first failure is the one the caller reads.
    FTracks.reset();
    auto keepingTheFirstFailure = [&failure](auto&& step) {
        try {
            step();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    };
    keepingTheFirstFailure([this] { FApp->CommitWork(); });
    keepingTheFirstFailure([this] { Finish(); });
    FApp.reset();
    if (failure) std::rethrow_exception(failure);
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

void TPodcastHandover::TagTrack(TMediaPlaylist& main, TPodCastItem& episode,
                                const std::unordered_map<std::string, TMediaPlaylist>& lists) {
    size_t position = 0;
    TMediaTrack* track = FTracks->Find(episode.FILE, episode.FORDELETENAME, position);
    if (!track) return;
    track->SetArtist(episode.AUTHOR);
    track->SetGenre("PodCasting");
    track->SetAlbum(episode.TITLE);
    episode.FORDELETENAME = episode.CAPTION + "(" + episode.DATE + ")";
    track->SetName(episode.FORDELETENAME);
    FTracks->Renamed(position, episode.FORDELETENAME);
    main.AddTrack(*track);
    if (FSettings.MakeAnyLists) {
        if (auto it = lists.find(PodcastCompareKey("PCast " + episode.TITLE)); it != lists.end()) {
            TMediaPlaylist list = it->second;
            list.AddTrack(*track);
        }
    }
}

void TPodcastHandover::RemoveDroppedEpisodes(TEpisodeRemoval& Removal) {
    FWork.Label("不要ファイルを削除していますです");
    for (const std::string& feed : Removal.FeedsLosingEveryEpisode(FEpisodes)) {
        int count = 0;
        for (int i = 0; i < FEpisodes.Count(); ++i) count += FEpisodes.GetItem(i)->TITLE == feed;
        if (!FWork.Confirm(FormatText("\"%s\"の項目には、これまでのエピソードが1つもありません。\n"
                                      "エピソード %d 件をすべて削除してもよろしいですか？",
                                      feed.c_str(), count)))
            Removal.KeepFeed(feed);
    }
    std::vector<std::string> files;
    FEpisodes.ExtractWhere([&Removal](const TPodCastItem& episode) { return Removal.Removes(episode); }, files);
    if (files.empty()) return;
    // A file that an episode still kept names (of another feed that shared the folder) stays.
    std::unordered_set<std::string> kept;
    for (int i = 0; i < FEpisodes.Count(); ++i) kept.insert(encoding::AsciiLower(FEpisodes.GetItem(i)->FILE));
    std::unordered_set<std::string> keys;
    for (const auto& f : files)
        if (!kept.count(encoding::AsciiLower(f))) keys.insert(encoding::AsciiLower(f));
    for (TMediaTrack& track : FApp->LibraryPlaylist().Tracks().All())
        if (keys.count(encoding::AsciiLower(track.Location()))) track.Delete();
    // Only episode files the program downloaded are deleted: a path of the episode list that
    // leads anywhere else (an edited list) is left alone.
    const std::string root = FSettings.Folder() + "PodCastings";
    for (const auto& f : files) {
        if (!keys.count(encoding::AsciiLower(f)) || f.rfind(root + "/", 0) != 0 || !LinkFreeBelow(root, f)) continue;
        if (PathKindOf(f) == TPathKind::File) DeleteFileForced(f);
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
