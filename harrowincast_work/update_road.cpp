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
           bool* cancel) {
    if (!IsNetworkAddress(address)) return false;
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

bool DownloadUrlToFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work,
                       bool* Cancel) {
    THttpFetchOptions options;
    options.UserAgent = "Harrowin";
    return Fetch(Address, FileName, options, Work, Cancel);
}

bool DownloadEpisodeFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work,
                         bool* Cancel, int64_t DeclaredLength) {
    THttpFetchOptions options;
    options.UserAgent = "MyApp";
    // Episodes may be far larger than any document; they go to disk as they arrive, but an
    // answer that never ends (or a server that means to fill the disk) is stopped.
    options.MaxBytes = EpisodeByteBound(DeclaredLength);
    options.KeepFreeBytes = kEpisodeDiskReserve;
    return Fetch(Address, FileName, options, Work, Cancel);
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
    NewCount = 0;
    const int n = static_cast<int>(Feeds.size());
    for (int i = 0; i < n; ++i) {
        FWork.Status(FormatText("RSSデータのダウンロードを行っています ( %d/%d )", i + 1, n));
        UpdateFeed(*Feeds[static_cast<size_t>(i)], RssFolder(), CastFolder(), Cancel);
        FWork.RunPending();
    }
    FWork.Redraw();
}

void TPodcastUpdater::UpdateFeed(TPodSiteItem& Site, const std::string& RssFolder, const std::string& CastFolder,
                                 bool& Cancel) {
    TPodSiteItem* site = &Site;
    const std::string feedFile = WithTrailingSlash(RssFolder) + FeedEntryName(site->NAME) + ".RSS";
    DownloadUrlToFile(site->URL, feedFile, FWork, &Cancel);

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
    if (read && reader->Count() > 0) {
        site->PLAYLIST = "PCast " + site->NAME;
        site->DESCRIPTION = reader->FChannelDescription;
        site->LINK = reader->FChannelLink;
        site->COLUMNS = reader->Count();
        site->SIZE = reader->TotalLength();
        DownloadFeedEpisodes(*site, *reader, CastFolder, Cancel);
    } else {
        // The removal keeps the episodes of a feed that was not walked.
        FWork.Message(FormatText("\"%s\"からPodCast情報を取得できませんでした", site->NAME.c_str()));
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
    if (known != FByAddress.end() && known->second->FILE.rfind(Folder, 0) == 0 &&
        known->second->FILE.find('/', Folder.size()) == std::string::npos)
        return known->second->FILE;
    // The name of a download in progress is the file's name and ".partXXXXXX".
    constexpr size_t kRoom = kMaxEntryNameBytes - 11;
    const std::string name =
        FreeEntryName(EntryNameAllowingAllButSlash(FileName), kRoom, kHighestEntryNumber, TNameFit::Marked,
                      [&](const std::string& n) {
                          auto it = FByPath.find(Folder + n);
                          // A record of another feed or another address has it; a record of no address is an
                          // episode of a list written before addresses were kept, taken to be this one.
                          return it != FByPath.end() && (it->second->TITLE != Site.NAME ||
                                                         (!it->second->URL.empty() && it->second->URL != Address));
                      });
    return name.empty() ? std::string() : Folder + name;
}

void TPodcastUpdater::DownloadFeedEpisodes(TPodSiteItem& Site, const TXMLReader& Reader, const std::string& CastFolder,
                                           bool& Cancel) {
    IndexEpisodes();
    const std::string folder = WithTrailingSlash(WithTrailingSlash(CastFolder) + FeedEntryName(Site.NAME));
    CreateFolders(folder);
    const int take = std::max(0, std::min(Reader.Count(), FSettings.DeleteColumns));
    FWork.Max(take);
    bool walked = true;
    for (int d = 0; d < take; ++d) {
        const TPodCastObject* item = Reader.GetItem(d);
        FWork.Position(d);
        FWork.Label(FormatText("[%s]  Download...  ( %d/%d ) ", Site.NAME.c_str(), d + 1, take));
        if (item->EnclosureURL.empty()) continue;
        const std::string path = EpisodePath(Site, folder, item->EnclosureURL, item->FileName);
        if (path.empty()) continue;
        std::error_code ec;
        if (!fs::exists(path, ec)) {
            DownloadEpisodeFile(item->EnclosureURL, path, FWork, &Cancel, item->Length);
            ++NewCount;
        }
        TPodCastItem* ep = Record(path);
        ep->TITLE = Site.NAME;
        ep->PlayListName = "PCast " + Site.NAME;
        ep->CAPTION = item->Title;
        ep->AUTHOR = item->Author;
        ep->BLOGNAME = item->ChannelTitle;
        ep->DATE = item->Date;
        ep->DESCRIPTION = item->Description;
        ep->FILE = path;
        ep->URL = item->EnclosureURL;
        ep->Size = ParseInt32(item->LengthText, 0);
        FByAddress.emplace(Site.NAME + '\n' + item->EnclosureURL, ep);
        Removal.EpisodeListed(path);
        if (Cancel) {
            // The items not reached say nothing about the episodes known.
            walked = d + 1 == take;
            break;
        }
        FWork.RunPending();
    }
    if (walked) Removal.FeedWalked(Site.NAME);
}

}  // namespace harrowincast
