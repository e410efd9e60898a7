#include "harrowin_work/news_download.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "foundation/program_folder.h"
#include "foundation/string_list.h"
#include "harrowin_work/past_entries.h"
#include "harrowin_work/settings.h"
#include "organiser/document_reader.h"
#include "organiser/memo_divider.h"
#include "platform/http_fetch.h"

namespace harrowin {

namespace fs = std::filesystem;

namespace {

// Creates the folder; with allLevels its missing parents too. EFileError naming it otherwise.
void CreateFolder(const std::string& folder, bool allLevels) {
    const std::string path = TrimmedWithoutTrailingSlash(folder);
    std::error_code ec;
    if (fs::is_directory(path, ec)) return;
    if (allLevels) {
        fs::create_directories(path, ec);
    } else {
        fs::create_directory(path, ec);
    }
    if (ec || !fs::is_directory(path)) throw EFileError("フォルダ " + path + " を作成できません");
}

}  // namespace

TNewsOptions NewsOptionsOf(const TTolvIPodINI& settings) {
    TNewsOptions o;
    o.MakeLink = settings.TextDivide.MakeLink;
    o.MakePageNo = settings.TextDivide.MakePageNo;
    o.AddEncoded = settings.TextDivide.AddEncoded;
    o.AddTitle = settings.TextDivide.AddTitle;
    o.MakeWordSize = settings.TextDivide.MakeWordSize;
    o.AddRSSDate = settings.Internet.AddRSSDate;
    o.AddRSSURL = settings.Internet.AddRSSURL;
    return o;
}

std::string NewsSubFolder(bool makeFolder, const std::string& saveFolder) {
    if (!makeFolder || saveFolder.empty()) return {};
    // The folder is deleted whole before every download: it must stay one level below the
    // notes folder, whatever the setting holds.
    const std::string safe = EntryNameAllowingAllButSlashAndZeroOrNone(saveFolder);
    if (encoding::Trim(safe).empty()) return {};
    return safe;
}

std::string NewsTargetFolder(const std::string& notesFolder, bool makeFolder, const std::string& saveFolder) {
    const std::string sub = NewsSubFolder(makeFolder, saveFolder);
    if (sub.empty()) return WithTrailingSlash(notesFolder);
    return WithTrailingSlash(notesFolder) + sub + "/";
}

std::string NewsCacheFolder() { return ProgramFolder() + "/RDFData/"; }

std::string NewsCacheFile(const std::string& cacheFolder, const std::string& siteName) {
    return WithTrailingSlash(cacheFolder) + EntryNameAllowingAllButSlashAndZeroOrNone(siteName) + ".RDF";
}

bool FetchDocument(const std::string& Address, const std::string& Dest, const std::function<bool()>& Pump) {
    if (IsFetchableAddress(Address)) {
        THttpFetchOptions options;
        options.UserAgent = "MyApp";
        options.Pump = Pump;
        return HttpFetchToFile(Address, Dest, options);
    }
    std::error_code ec;
    if (Address.empty() || !fs::is_regular_file(Address, ec)) return false;
    // A local document is held by the same bound as one from the network.
    const uintmax_t size = fs::file_size(Address, ec);
    if (ec || size > static_cast<uintmax_t>(kFetchLimitBytes)) return false;
    const FileBytes bytes = ReadWholeFile(Address);
    WriteWholeFile(Dest, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return true;
}

std::vector<std::string> NewsDocumentLines(const std::string& address, const std::string& cacheFile,
                                           const TNewsOptions& options, bool& plainText) {
    plainText = MatchesExtension(address, kPlainTextMasks);
    if (plainText) {
        const FileBytes bytes = ReadWholeFile(cacheFile);
        std::vector<std::string> lines =
            SplitLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        // The bytes stay as they are; only their reading (UTF-8, else code page 932) is decided.
        for (std::string& line : lines) line = encoding::Text8ToUtf8(line);
        return lines;
    }
    THTMLReader reader;
    reader.FAddDate = options.AddRSSDate;
    reader.FAddURL = options.AddRSSURL;
    reader.LoadFromFile(cacheFile);
    reader.Convert();
    return reader.FLines.Lines();
}

namespace {

// A recorded page counts as the one the download wrote while its size is the same and its time
// of change is within the two seconds a FAT file system rounds to.
constexpr int64_t kTimeSlackSeconds = 2;
// The record lists pages, never more than a player holds notes: read within a bound (bytes).
constexpr uint64_t kRecordLimit = 4u << 20;

bool StatPage(const std::string& path, int64_t& size, int64_t& mtime) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    size = static_cast<int64_t>(st.st_size);
    mtime = static_cast<int64_t>(st.st_mtime);
    return true;
}

}  // namespace

std::string NewsPagesRecordFile(const std::string& cacheFolder) {
    return WithTrailingSlash(cacheFolder) + "NewsPages.LST";
}

TNewsPages::TNewsPages(std::string recordFile, std::string notesFolder)
    : FRecordFile(std::move(recordFile)), FNotesFolder(WithTrailingSlash(notesFolder)) {
    std::string text;
    try {
        const FileBytes bytes = ReadWholeFile(FRecordFile, kRecordLimit);
        text.assign(bytes.begin(), bytes.end());
    } catch (const ETolvError&) {
        return;
    }
    // One page a line: size, tab, time, tab, path.
    for (const std::string& line : SplitLines(text)) {
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string::npos ? std::string::npos : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos) continue;
        Page page;
        try {
            page.Size = std::stoll(line.substr(0, tab1));
            page.MTime = std::stoll(line.substr(tab1 + 1, tab2 - tab1 - 1));
        } catch (const std::exception&) {
            continue;
        }
        page.Path = line.substr(tab2 + 1);
        // Only a page inside the notes folder is ever deleted.
        if (page.Path.empty() || FileInFolder(FNotesFolder, page.Path).empty()) continue;
        FEarlier.push_back(std::move(page));
    }
}

void TNewsPages::ReplaceEarlierPages() {
    if (FReplaced) return;
    FReplaced = true;
    for (const Page& page : FEarlier) {
        const std::string path = FNotesFolder + page.Path;
        // Nothing below the notes folder is reached through a link.
        if (!LinkFreeBelow(FNotesFolder, path)) continue;
        int64_t size = 0, mtime = 0;
        if (!StatPage(path, size, mtime) || size != page.Size || std::llabs(mtime - page.MTime) > kTimeSlackSeconds)
            continue;
        DeleteFileForced(path);
    }
    FEarlier.clear();
}

void TNewsPages::Written(const std::string& path) {
    if (!path.starts_with(FNotesFolder)) return;
    Page page;
    page.Path = path.substr(FNotesFolder.size());
    if (!StatPage(path, page.Size, page.MTime)) return;
    FNow.push_back(std::move(page));
}

void TNewsPages::Save() const {
    if (!FReplaced) return;
    std::string text;
    for (const Page& page : FNow) {
        // A name with a line break would split its line: such a page is not recorded.
        if (page.Path.find_first_of("\r\n") != std::string::npos) continue;
        text += std::to_string(page.Size) + "\t" + std::to_string(page.MTime) + "\t" + page.Path + "\r\n";
    }
    WriteWholeFile(FRecordFile, text, TFolderLink::Follow);
}

void DivideNews(const std::string& title, const std::string& folder, const std::vector<std::string>& lines,
                const TNewsOptions& options, const TNewsMessageEvent& onMessage, TNewsPages* pages) {
    if (lines.empty()) return;
    TTolvMemoDivider divider;
    divider.FNextLink = options.MakeLink;
    divider.FPageNo = options.MakePageNo;
    divider.FEncodeTag = options.AddEncoded;
    divider.FTitleTag = options.AddTitle;
    divider.FPageSize = options.MakeWordSize;
    divider.FDelRuby = false;
    divider.FCutType = 0;
    divider.FCopyDir = false;
    divider.FTitle = title;
    divider.FOnMessage = onMessage;
    divider.AssignText(lines);
    auto record = [&] {
        if (pages) {
            for (const std::string& page : divider.FWritten) pages->Written(page);
        }
    };
    try {
        divider.Divide(folder);
    } catch (...) {
        record();
        throw;
    }
    record();
}

bool DownloadNewsSite(const std::string& name, const std::string& address, const std::string& cacheFolder,
                      const std::string& targetFolder, const TNewsOptions& options, const std::function<bool()>& pump,
                      const TNewsMessageEvent& onMessage, TNewsPages* pages) {
    const std::string cacheFile = NewsCacheFile(cacheFolder, name);
    if (!FetchDocument(address, cacheFile, pump)) return false;
    if (pages) pages->ReplaceEarlierPages();
    bool plainText = false;
    const std::vector<std::string> lines = NewsDocumentLines(address, cacheFile, options, plainText);
    CreateFolder(targetFolder, !plainText);
    DivideNews(name, targetFolder, lines, options, onMessage, pages);
    return true;
}

void PrepareNewsDownload(const std::string& cacheFolder) { CreateFolder(cacheFolder, false); }

}  // namespace harrowin
