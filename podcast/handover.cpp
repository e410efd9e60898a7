#include "podcast/handover.h"

#include <filesystem>
#include <unordered_set>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/paths.h"
#include "platform/media_library.h"
#include "podcast/episode_list.h"
#include "podcast/settings.h"
#include "podcast/site_list.h"

namespace fs = std::filesystem;

namespace {
std::string FilePart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

TPodcastHandover::TPodcastHandover(TTolvIPodINI& Settings, TPodCastList& Episodes, TPodcastWork Work,
                                   TLibraryFactory Factory)
    : FSettings(Settings), FEpisodes(Episodes), FWork(std::move(Work)), FFactory(std::move(Factory)) {
    if (!FFactory) FFactory = [] { return std::make_unique<TMediaLibrary>(); };
}

TPodcastHandover::~TPodcastHandover() = default;

void TPodcastHandover::RegisterInITunes(bool& Cancel) {
    FApp = FFactory();
    try {
        auto lib = FApp->LibraryPlaylist();
        if (FSettings.DeleteFile) RemoveDroppedEpisodes();
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
        TMediaPlaylist main = RecreatePlaylist(FSettings.PlayListName);
        if (FSettings.MakeAnyLists) {
            for (int i = 0; i < FSettings.Sites.Count(); ++i) {
                const TPodSiteItem* site = FSettings.Sites.GetItem(i);
                if (!site->PLAYLIST.empty()) RecreatePlaylist(site->PLAYLIST);
            }
        }
        for (int b = 0; b < count; ++b) {
            FWork.Position(b);
            FWork.Label(FormatText("プレイリストに登録中です ( %d / %d )", b + 1, count));
            TagTrack(main, *FEpisodes.GetItem(b));
            if (Cancel) break;
            FWork.RunPending();
        }
    } catch (...) {
        try {
            Finish();
        } catch (...) {
        }
        FApp.reset();
        throw;
    }
    Finish();
    FApp.reset();
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
    auto lists = FApp->LibrarySource().PlayLists();
    for (int32_t i = 1; i <= lists.Count(); ++i) {
        TMediaPlaylist list = lists.Item(i);
        if (PodcastCompareKey(list.Name()) == key) {
            list.Delete();
            break;
        }
    }
    return FApp->CreatePlaylist(name);
}

std::unique_ptr<TMediaTrack> TPodcastHandover::FindTrack(const std::string& file, const std::string& trackName) const {
    const std::string f = PodcastCompareKey(file);
    const std::string fn = FilePart(f);
    const std::string tn = PodcastCompareKey(trackName);
    auto tracks = FApp->LibraryPlaylist().Tracks();
    for (int32_t n = tracks.Count(); n >= 1; --n) {
        TMediaTrack track = tracks.Item(n);
        const std::string location = PodcastCompareKey(track.Location());
        if (location == f || (PodcastCompareKey(track.Name()) == tn && FilePart(location) == fn))
            return std::make_unique<TMediaTrack>(track);
    }
    return nullptr;
}

std::unique_ptr<TMediaPlaylist> TPodcastHandover::FindPlaylist(const std::string& name) const {
    const std::string key = PodcastCompareKey(name);
    auto lists = FApp->LibrarySource().PlayLists();
    for (int32_t i = 1; i <= lists.Count(); ++i) {
        TMediaPlaylist list = lists.Item(i);
        if (PodcastCompareKey(list.Name()) == key) return std::make_unique<TMediaPlaylist>(list);
    }
    return nullptr;
}

void TPodcastHandover::TagTrack(TMediaPlaylist& main, TPodCastItem& episode) {
    auto track = FindTrack(episode.FILE, episode.FORDELETENAME);
    if (!track) return;
    track->SetArtist(episode.AUTHOR);
    track->SetGenre("PodCasting");
    track->SetAlbum(episode.TITLE);
    episode.FORDELETENAME = episode.CAPTION + "(" + episode.DATE + ")";
    track->SetName(episode.FORDELETENAME);
    main.AddTrack(*track);
    if (FSettings.MakeAnyLists) {
        if (auto list = FindPlaylist("PCast " + episode.TITLE)) list->AddTrack(*track);
    }
}

void TPodcastHandover::RemoveDroppedEpisodes() {
    FWork.Label("不要ファイルを削除していますです");
    std::vector<std::string> files;
    FEpisodes.ExtractUnseen(files);
    if (files.empty()) return;
    std::unordered_set<std::string> keys;
    for (const auto& f : files) keys.insert(encoding::AsciiLower(f));
    auto tracks = FApp->LibraryPlaylist().Tracks();
    for (int32_t n = tracks.Count(); n >= 1; --n) {
        TMediaTrack track = tracks.Item(n);
        if (keys.count(encoding::AsciiLower(track.Location()))) track.Delete();
    }
    for (const auto& f : files) {
        std::error_code ec;
        if (fs::is_regular_file(f, ec)) DeleteFileForced(f);
    }
}

void TPodcastHandover::CopyToSaveFolder() {
    std::error_code ec;
    if (!fs::is_directory(FSettings.SaveFolder, ec)) {
        if (!FWork.Confirm(FormatText("データ転送先フォルダ[ %s ]を作成してもよろしいですか？", FSettings.SaveFolder.c_str()))) {
            FWork.Message("転送先フォルダが不明のため、データの転送を中止しました");
            return;
        }
        fs::create_directories(FSettings.SaveFolder, ec);
    }
    const int count = FEpisodes.Count();
    FWork.Max(count);
    for (int b = 0; b < count; ++b) {
        const TPodCastItem& episode = *FEpisodes.GetItem(b);
        FWork.Position(b);
        FWork.Label(FormatText("ポッドキャストをコピー中 ( %d / %d )", b + 1, count));
        // The channel title comes from the feed: it names one folder inside the save folder.
        // A feed without a channel title copies into the save folder itself.
        const std::string target = IncludeBackslash(FSettings.SaveFolder) +
                                   (episode.BLOGNAME.empty() ? std::string() : SafeEntryName(episode.BLOGNAME) + "/");
        fs::create_directories(target, ec);
        fs::copy_file(episode.FILE, target + SafeEntryName(FilePart(episode.FILE)), fs::copy_options::overwrite_existing, ec);
        FWork.RunPending();
    }
}
