#include "harrowincast_work/update_road.h"

#include <filesystem>
#include <memory>

#include "foundation/date_time.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "harrowincast_work/episode_list.h"
#include "harrowincast_work/settings.h"
#include "harrowincast_work/site_list.h"
#include "organiser/feed_reader.h"
#include "platform/http_fetch.h"

namespace harrowincast {

namespace fs = std::filesystem;

namespace {

// Only network addresses are opened: a feed must not be able to have a local file (a
// "file://" enclosure, for instance) copied into the episode folder and handed on.
bool IsNetworkAddress(const std::string& address) {
    const std::string lower = encoding::AsciiLower(address.substr(0, 8));
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 || lower.rfind("ftp://", 0) == 0;
}

// Each press of Cancel stops the transfer it interrupts: the flag is lowered while the transfer
// runs, so a press during a transfer that began after an earlier press is seen too, and raised
// again afterwards for the road's own test of it.
bool Fetch(const std::string& address, const std::string& fileName, THttpFetchOptions options, const TPodcastWork& work,
           bool* cancel, THttpFetchResult* result) {
    THttpFetchResult ignored;
    options.Result = result ? result : &ignored;
    if (!IsNetworkAddress(address)) {
        *options.Result = {THttpFailure::NotFetchable, 0};
        return false;
    }
    const bool cancelledBefore = cancel && *cancel;
    if (cancel) *cancel = false;
    options.Pump = [&work, cancel] {
        work.RunPending();
        return !(cancel && *cancel);
    };
    const bool fetched = HttpFetchToFile(address, fileName, options);
    if (cancel) *cancel = *cancel || cancelledBefore;
    return fetched;
}

void CreateFolders(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
}

// A record's file that a walk may take again for its item: one entry right inside the feed's
// folder that is a regular file, or nothing yet (a file the user deleted). A hand-edited record
// naming the folder itself, "..", a folder or a link there would otherwise hold the item for
// good without any file of it.
bool ReusableEpisodeFile(const std::string& file, const std::string& folder) {
    if (file.size() <= folder.size() || file.compare(0, folder.size(), folder) != 0) return false;
    const std::string_view name = std::string_view(file).substr(folder.size());
    if (name.find('/') != std::string_view::npos || name == "." || name == "..") return false;
    const TPathKind kind = PathKindOf(file);
    return kind == TPathKind::File || kind == TPathKind::None;
}

// An episode is on disk when its file holds something: an empty one (a server that answered
// before its file was ready, or a download of an earlier version cut short) is fetched again.
bool EpisodeOnDisk(const std::string& path) { return PathKindOf(path) == TPathKind::File && GetFileSize64(path) > 0; }

}  // namespace

std::string FeedEpisodeFolder(const std::string& ProgramFolder, const std::string& FeedName) {
    return WithTrailingSlash(ProgramFolder) + "PodCastings/" + FeedEntryName(FeedName);
}

std::string FeedCacheFile(const std::string& ProgramFolder, const std::string& FeedName) {
    return WithTrailingSlash(ProgramFolder) + "RSSTemp/" + FeedEntryName(FeedName) + ".RSS";
}

int64_t EpisodeByteBound(int64_t DeclaredLength) {
    constexpr int64_t kMiB = 1024 * 1024;
    if (DeclaredLength <= 0) return 4096 * kMiB;
    return DeclaredLength + std::max<int64_t>(DeclaredLength, 64 * kMiB);
}

std::string FetchFailureText(const THttpFetchResult& Result) {
    switch (Result.Failure) {
        case THttpFailure::NotFetchable: return "取得できないアドレスです";
        case THttpFailure::Stopped: return "キャンセルされました";
        case THttpFailure::Status: return FormatText("サーバーがエラー %ld を返しました", Result.StatusCode);
        case THttpFailure::TooLarge: return "サイズの上限を超えました";
        case THttpFailure::DiskReserve: return "ディスクの空き容量が足りません";
        case THttpFailure::WriteFailed: return "ファイルを書き込めませんでした";
        case THttpFailure::Network: return "サーバーに接続できないか、通信が途切れました";
        case THttpFailure::Empty: return "サーバーから届いたデータが空でした";
        case THttpFailure::None: break;
    }
    return "ダウンロードできませんでした";
}

bool DownloadUrlToFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work, bool* Cancel,
                       THttpFetchResult* Result) {
    THttpFetchOptions options;
    options.UserAgent = "Harrowin";
    return Fetch(Address, FileName, options, Work, Cancel, Result);
}

bool DownloadEpisodeFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work,
                         bool* Cancel, int64_t DeclaredLength, THttpFetchResult* Result) {
    THttpFetchOptions options;
    options.UserAgent = "MyApp";
    // Episodes may be far larger than any document; they go to disk as they arrive, but an
    // answer that never ends (or a server that means to fill the disk) is stopped.
    options.MaxBytes = EpisodeByteBound(DeclaredLength);
    options.KeepFreeBytes = kEpisodeDiskReserve;
    options.RequireBody = true;
    return Fetch(Address, FileName, options, Work, Cancel, Result);
}

TPodcastUpdater::TPodcastUpdater(TTolvIPodINI& Settings, TPodCastList& Episodes, std::string Folder, TPodcastWork Work)
    : FSettings(Settings), FEpisodes(Episodes), FFolder(WithTrailingSlash(Folder)), FWork(std::move(Work)) {}

TPodcastUpdater::~TPodcastUpdater() = default;

void TPodcastUpdater::UpdateFeeds(const std::vector<TPodSiteItem*>& Feeds, bool& Cancel) {
    if (!IsOnline()) FWork.Error("このコンピュータはオンラインではありません！");
    CreateFolders(RssFolder());
    CreateFolders(CastFolder());
    std::vector<std::string> names;
    for (int i = 0; i < FSettings.Sites.Count(); ++i) names.push_back(FSettings.Sites.GetItem(i)->NAME);
    Removal.StartUpdate(names);
    Failures = TUpdateFailures();
    NewCount = 0;
    const int n = static_cast<int>(Feeds.size());
    for (int i = 0; i < n; ++i) {
        FWork.Status(FormatText("RSSデータのダウンロードを行っています ( %d/%d )", i + 1, n));
        UpdateFeed(*Feeds[static_cast<size_t>(i)], RssFolder(), CastFolder(), Cancel);
        FWork.RunPending();
    }
    if (Cancel) Failures.SetCancelled();
    FWork.Redraw();
}

void TPodcastUpdater::UpdateFeed(TPodSiteItem& Site, const std::string& RssFolder, const std::string& CastFolder,
                                 bool& Cancel) {
    TPodSiteItem* site = &Site;
    const std::string feedFile = WithTrailingSlash(RssFolder) + FeedEntryName(site->NAME) + ".RSS";
    THttpFetchResult fetched;
    const bool downloaded = DownloadUrlToFile(site->URL, feedFile, FWork, &Cancel, &fetched);

    auto reader = std::make_unique<TXMLReader>();
    bool read = true;
    try {
        reader->LoadFromFile(feedFile);
        reader->Parse();
    } catch (const EFileError&) {
        // A feed that never downloaded has no file: it is handled as a feed without items, so
        // its episodes are kept and the other feeds are still updated.
        read = false;
    }
    if (read) {
        site->DATE = !reader->FChannelDate.empty() ? reader->FChannelDate : FormatDateTime("yyyy/MM/dd hh:mm", Now());
        site->AUTHOR = !reader->FChannelAuthor.empty() ? reader->FChannelAuthor : "制作者不明";
    }
    // A Cancel is no failure: the status says it for the whole update.
    const bool stopped = fetched.Failure == THttpFailure::Stopped;
    if (!downloaded && read && !stopped) {
        Failures.Add(FormatText("\"%s\"のRSSデータをダウンロードできませんでした（%s）。前回のデータを使いました",
                                site->NAME.c_str(), FetchFailureText(fetched).c_str()));
    }
    if (read && reader->Count() > 0) {
        site->PLAYLIST = "PCast " + site->NAME;
        site->DESCRIPTION = reader->FChannelDescription;
        site->LINK = reader->FChannelLink;
        site->COLUMNS = reader->Count();
        site->SIZE = reader->TotalLength();
        DownloadFeedEpisodes(*site, *reader, CastFolder, Cancel);
    } else {
        // The removal keeps the episodes of a feed that was not walked. A document that did not
        // arrive is told with the other failures at the end, with the reason.
        const std::string text = FormatText("\"%s\"からPodCast情報を取得できませんでした", site->NAME.c_str());
        if (read || downloaded) {
            FWork.Message(text);
        } else if (!stopped) {
            Failures.Add(text + "（" + FetchFailureText(fetched) + "）");
        }
    }
}

void TPodcastUpdater::IndexEpisodes() {
    if (FIndexed) return;
    FIndexed = true;
    for (int i = 0; i < FEpisodes.Count(); ++i) {
        TPodCastItem* episode = FEpisodes.GetItem(i);
        FByPath.emplace(episode->FILE, episode);
        if (!episode->URL.empty()) FByAddress.emplace(episode->TITLE + '\n' + episode->URL, episode);
    }
}

TPodCastItem* TPodcastUpdater::Record(const std::string& Path) {
    auto it = FByPath.find(Path);
    if (it != FByPath.end()) return it->second;
    TPodCastItem* episode = FEpisodes.Add(Path);
    FByPath.emplace(Path, episode);
    return episode;
}

std::string TPodcastUpdater::EpisodePath(const TPodSiteItem& Site, const std::string& Folder,
                                         const std::string& Address, const std::string& FileName) const {
    auto known = FByAddress.find(Site.NAME + '\n' + Address);
    if (known != FByAddress.end() && ReusableEpisodeFile(known->second->FILE, Folder)) return known->second->FILE;
    // The name of a download in progress is the file's name and ".partXXXXXX".
    constexpr size_t kRoom = kMaxEntryNameBytes - 11;
    const std::string name =
        FreeEntryName(EntryNameAllowingAllButSlashTrimmed(FileName, "_"), kRoom, kHighestEntryNumber, TNameFit::Marked,
                      [&](const std::string& n) {
                          const TPathKind kind = PathKindOf(Folder + n);
                          if (kind != TPathKind::File && kind != TPathKind::None) return true;
                          auto it = FByPath.find(Folder + n);
                          // A record of another feed or another address has it; a record of no address is an
                          // episode of a list written before addresses were kept, taken to be this one.
                          return it != FByPath.end() && (it->second->TITLE != Site.NAME ||
                                                         (!it->second->URL.empty() && it->second->URL != Address));
                      });
    return name.empty() ? std::string() : Folder + name;
}

void TPodcastUpdater::Listed(const TPodSiteItem& Site, const TPodCastObject& Item, const std::string& Path) {
    TPodCastItem* ep = Record(Path);
    ep->TITLE = Site.NAME;
    ep->PlayListName = "PCast " + Site.NAME;
    ep->CAPTION = Item.Title;
    ep->AUTHOR = Item.Author;
    ep->BLOGNAME = Item.ChannelTitle;
    ep->DATE = Item.Date;
    ep->DESCRIPTION = Item.Description;
    ep->FILE = Path;
    ep->URL = Item.EnclosureURL;
    ep->Size = ParseInt32(Item.LengthText, 0);
    FByAddress.insert_or_assign(Site.NAME + '\n' + Item.EnclosureURL, ep);
    Removal.EpisodeListed(Path);
}

void TPodcastUpdater::DownloadFeedEpisodes(TPodSiteItem& Site, const TXMLReader& Reader, const std::string& CastFolder,
                                           bool& Cancel) {
    IndexEpisodes();
    const std::string folder = WithTrailingSlash(WithTrailingSlash(CastFolder) + FeedEntryName(Site.NAME));
    CreateFolders(folder);
    const int take = std::max(0, std::min(Reader.Count(), FSettings.DeleteColumns));
    FWork.Max(take);
    int missing = 0;  // taken items whose download failed
    bool reachedEnd = true;
    for (int d = 0; d < take; ++d) {
        const TPodCastObject* item = Reader.GetItem(d);
        FWork.Position(d);
        FWork.Label(FormatText("[%s]  Download...  ( %d/%d ) ", Site.NAME.c_str(), d + 1, take));
        if (item->EnclosureURL.empty()) continue;
        const std::string path = EpisodePath(Site, folder, item->EnclosureURL, item->FileName);
        if (path.empty()) continue;
        bool onDisk = EpisodeOnDisk(path);
        if (!onDisk) {
            THttpFetchResult fetched;
            onDisk = DownloadEpisodeFile(item->EnclosureURL, path, FWork, &Cancel, item->Length, &fetched);
            ++NewCount;
            if (!onDisk) {
                ++missing;
                const std::string title = TUpdateFailures::Shortened(
                    item->Title.empty() ? FileNameOf(path) : item->Title, TUpdateFailures::kQuotedChars);
                if (fetched.Failure != THttpFailure::Stopped)
                    Failures.Add(FormatText("\"%s\"のエピソード「%s」をダウンロードできませんでした（%s）",
                                            Site.NAME.c_str(), title.c_str(), FetchFailureText(fetched).c_str()));
            }
        }
        if (onDisk) Listed(Site, *item, path);
        if (Cancel) {
            // The items not reached say nothing about the episodes known.
            reachedEnd = d + 1 == take;
            break;
        }
        FWork.RunPending();
    }
    // The places of the failed items go to the next older items whose files are on disk;
    // nothing more is downloaded for them.
    for (int d = take; d < Reader.Count() && missing > 0 && reachedEnd && !Cancel; ++d) {
        const TPodCastObject* item = Reader.GetItem(d);
        if (item->EnclosureURL.empty()) continue;
        const std::string path = EpisodePath(Site, folder, item->EnclosureURL, item->FileName);
        if (path.empty() || !EpisodeOnDisk(path)) continue;
        Listed(Site, *item, path);
        --missing;
    }
    if (reachedEnd && missing == 0) Removal.FeedWalked(Site.NAME);
}

}  // namespace harrowincast
