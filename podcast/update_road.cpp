#include "podcast/update_road.h"

#include <filesystem>
#include <memory>

#include "foundation/date_time.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/paths.h"
#include "organiser/feed_reader.h"
#include "platform/http_fetch.h"
#include "podcast/episode_list.h"
#include "podcast/settings.h"

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
bool Fetch(const std::string& address, const std::string& fileName, THttpFetchOptions options,
           const TPodcastWork& work, bool* cancel) {
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
    return IncludeBackslash(ProgramFolder) + "PodCastings/" + SafeEntryName(FeedName);
}

bool DownloadUrlToFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work,
                       bool* Cancel) {
    THttpFetchOptions options;
    options.UserAgent = "Harrowin";
    return Fetch(Address, FileName, options, Work, Cancel);
}

bool DownloadEpisodeFile(const std::string& Address, const std::string& FileName, const TPodcastWork& Work,
                         bool* Cancel) {
    THttpFetchOptions options;
    options.UserAgent = "MyApp";
    // Episodes may be far larger than any document; they go to disk as they arrive.
    options.MaxBytes = THttpFetchOptions::kUnbounded;
    return Fetch(Address, FileName, options, Work, Cancel);
}

TPodcastUpdater::TPodcastUpdater(TTolvIPodINI& Settings, TPodCastList& Episodes, std::string Folder, TPodcastWork Work)
    : FSettings(Settings), FEpisodes(Episodes), FFolder(IncludeBackslash(Folder)), FWork(std::move(Work)) {}

void TPodcastUpdater::UpdateFeeds(const std::vector<std::string>& Names, bool& Cancel) {
    if (!IsOnline()) FWork.Error("このコンピュータはオンラインではありません！");
    CreateFolders(RssFolder());
    CreateFolders(CastFolder());
    FEpisodes.ClearSeen();
    NewCount = 0;
    const int n = static_cast<int>(Names.size());
    for (int i = 0; i < n; ++i) {
        FWork.Status(FormatText("RSSデータのダウンロードを行っています ( %d/%d )", i + 1, n));
        UpdateFeed(Names[static_cast<size_t>(i)], RssFolder(), CastFolder(), Cancel);
        FWork.RunPending();
    }
    FWork.Redraw();
}

void TPodcastUpdater::MarkFeedEpisodesSeen(const std::string& Name) {
    for (int i = 0; i < FEpisodes.Count(); ++i)
        if (FEpisodes.GetItem(i)->TITLE == Name) FEpisodes.GetItem(i)->Seen = true;
}

void TPodcastUpdater::UpdateFeed(const std::string& Name, const std::string& RssFolder, const std::string& CastFolder,
                                 bool& Cancel) {
    TPodSiteItem* site = FSettings.Sites.Find(Name);
    if (!site) return;  // the list line has no record: nothing to fetch
    const std::string feedFile = IncludeBackslash(RssFolder) + SafeEntryName(site->NAME) + ".RSS";
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

        // DownloadFeedEpisodes
        const std::string folder = IncludeBackslash(IncludeBackslash(CastFolder) + SafeEntryName(site->NAME));
        CreateFolders(folder);
        const int take = std::max(0, std::min(reader->Count(), FSettings.DeleteColumns));
        FWork.Max(take);
        for (int d = 0; d < take; ++d) {
            const TPodCastObject* item = reader->GetItem(d);
            FWork.Position(d);
            FWork.Label(FormatText("[%s]  Download...  ( %d/%d ) ", site->NAME.c_str(), d + 1, take));
            if (item->EnclosureURL.empty()) continue;
            const std::string path = folder + SafeEntryName(item->FileName);
            std::error_code ec;
            if (!fs::exists(path, ec)) {
                DownloadEpisodeFile(item->EnclosureURL, path, FWork, &Cancel);
                ++NewCount;
            }
            TPodCastItem* ep = FEpisodes.FindOrAdd(path);
            ep->TITLE = site->NAME;
            ep->PlayListName = "PCast " + site->NAME;
            ep->CAPTION = item->Title;
            ep->AUTHOR = item->Author;
            ep->BLOGNAME = item->ChannelTitle;
            ep->DATE = item->Date;
            ep->DESCRIPTION = item->Description;
            ep->FILE = path;
            ep->Size = ParseInt32(item->LengthText, 0);
            ep->Seen = true;
            if (Cancel) break;
            FWork.RunPending();
        }
    } else {
        MarkFeedEpisodesSeen(site->NAME);
        FWork.Message(FormatText("\"%s\"からPodCast情報を取得できませんでした", site->NAME.c_str()));
    }
}
