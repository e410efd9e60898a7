#include "harrowin_work/news_download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unordered_set>

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
                                           const TNewsOptions& options, bool& plainText,
                                           const TTolvProgressEvent& progress) {
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
    reader.FOnProgress = progress;
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
// The first line of a record that names each page's site.
constexpr const char* kRecordHead = "NewsPages\t2";

bool StatPage(const std::string& path, int64_t& size, int64_t& mtime) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    size = static_cast<int64_t>(st.st_size);
    mtime = static_cast<int64_t>(st.st_mtime);
    return true;
}

// A field of a record line: "%", tab and line breaks as "%25", "%09", "%0D", "%0A".
std::string EscapeField(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '%': out += "%25"; break;
            case '\t': out += "%09"; break;
            case '\r': out += "%0D"; break;
            case '\n': out += "%0A"; break;
            default: out += c;
        }
    }
    return out;
}

std::string UnescapeField(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string code = text.substr(i + 1, 2);
            const char c = code == "25" ? '%' : code == "09" ? '\t' : code == "0D" ? '\r' : code == "0A" ? '\n' : 0;
            if (c) {
                out += c;
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Splits a line at its tabs into exactly n fields, the last one taking the rest.
bool SplitFields(const std::string& line, size_t n, std::vector<std::string>& fields) {
    fields.clear();
    size_t from = 0;
    for (size_t i = 1; i < n; ++i) {
        const size_t tab = line.find('\t', from);
        if (tab == std::string::npos) return false;
        fields.push_back(line.substr(from, tab - from));
        from = tab + 1;
    }
    fields.push_back(line.substr(from));
    return true;
}

bool ToNumber(const std::string& text, int64_t& value) {
    try {
        size_t used = 0;
        value = std::stoll(text, &used);
        return used == text.size();
    } catch (const std::exception&) {
        return false;
    }
}

// Whether the file name is one a division of the site writes: "<title>.txt" or "<title> <n>.txt".
bool IsPageNameOf(const std::string& fileName, const std::string& site) {
    TTolvMemoDivider names;
    names.FTitle = site;
    if (fileName == names.SingleFileName()) return true;
    const std::string first = names.PageFileName(1);  // "<title> 001.txt"
    const std::string head = first.substr(0, first.size() - 7);
    if (!fileName.starts_with(head) || !fileName.ends_with(".txt")) return false;
    const std::string number = fileName.substr(head.size(), fileName.size() - head.size() - 4);
    return number.size() >= 3 && number.find_first_not_of("0123456789") == std::string::npos;
}

// Whether the volume of the folder (it ends in "/") finds a name in any case of its letters,
// as FAT does: its own name in the other case reaches it while its parent lists no such name.
bool FoldsCase(const std::string& folder) {
    const std::string path = TrimmedWithoutTrailingSlash(folder);
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return false;
    const std::string name = path.substr(slash + 1);
    std::string other = name;
    for (char& c : other) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const std::string parent = slash == 0 ? std::string("/") : path.substr(0, slash);
    struct stat st {};
    if (other == name || ::lstat((parent + "/" + other).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    TFolderReader reader(parent);
    TFolderEntry entry{};
    while (reader.Next(entry)) {
        if (entry.Name == other) return false;
    }
    return reader.IsOpen() && reader.Error() == 0;
}

std::string FolderPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string NewsPagesRecordFile(const std::string& cacheFolder) {
    return WithTrailingSlash(cacheFolder) + "NewsPages.LST";
}

TNewsPages::TNewsPages(std::string recordFile, std::string notesFolder)
    : FRecordFile(std::move(recordFile)), FNotesFolder(WithTrailingSlash(notesFolder)) {
    FFoldsCase = FoldsCase(FNotesFolder);
    FileBytes bytes;
    FReadFailure = ReadFileToKeep(FRecordFile, kRecordLimit, bytes);
    std::vector<std::string> lines = SplitLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    bytes = {};
    // One page a line: size, tab, time, tab, site, tab, path; a record without the head line
    // has no site field (and its paths are not escaped). A path may stand more than once: a
    // page written over by a download that was stopped may be either version.
    const bool withSites = !lines.empty() && lines.front() == kRecordHead;
    std::vector<std::string> fields;
    for (size_t i = withSites ? 1 : 0; i < lines.size(); ++i) {
        if (!SplitFields(lines[i], withSites ? 4 : 3, fields)) continue;
        Page page;
        if (!ToNumber(fields[0], page.Size) || !ToNumber(fields[1], page.MTime)) continue;
        if (withSites) {
            page.Site = UnescapeField(fields[2]);
            page.Path = UnescapeField(fields[3]);
            // A page of an earlier record is written back without a site; it stays a page of
            // no known site, so that no other site's download takes it.
            page.SiteKnown = !page.Site.empty();
        } else {
            page.SiteKnown = false;
            page.Path = fields[2];
        }
        // Only a page inside the notes folder is ever replaced or deleted.
        if (page.Path.empty() || FileInFolder(FNotesFolder, page.Path).empty()) continue;
        FPages.push_back(std::move(page));
    }
}

std::string TNewsPages::Key(const std::string& path) const { return FFoldsCase ? encoding::AsciiLower(path) : path; }

bool TNewsPages::Unchanged(const Page& page) const {
    const std::string path = FNotesFolder + page.Path;
    // Nothing below the notes folder is reached through a link.
    if (!LinkFreeBelow(FNotesFolder, path)) return false;
    int64_t size = 0, mtime = 0;
    return StatPage(path, size, mtime) && size == page.Size && std::llabs(mtime - page.MTime) <= kTimeSlackSeconds;
}

void TNewsPages::DeleteUnchanged(const Page& page) const {
    if (Unchanged(page)) DeleteFileForced(FNotesFolder + page.Path);
}

std::string TNewsPages::Relative(const std::string& path) const {
    return path.starts_with(FNotesFolder) ? path.substr(FNotesFolder.size()) : path;
}

bool TNewsPages::MayReplace(const std::string& path) const {
    if (!path.starts_with(FNotesFolder)) return false;
    // Asked for every page of a division: the pages are looked up by path.
    if (!FIndexed) {
        FIndex.clear();
        for (size_t i = 0; i < FPages.size(); ++i) FIndex.emplace(Key(FPages[i].Path), i);
        FIndexed = true;
    }
    const auto [first, last] = FIndex.equal_range(Key(path.substr(FNotesFolder.size())));
    return std::any_of(first, last, [this](const auto& found) { return Unchanged(FPages[found.second]); });
}

namespace {

std::string RecordLine(int64_t size, int64_t mtime, const std::string& site, const std::string& path) {
    return std::to_string(size) + "\t" + std::to_string(mtime) + "\t" + EscapeField(site) + "\t" + EscapeField(path) +
           "\r\n";
}

}  // namespace

void TNewsPages::WriteRecord() {
    if (!FReadFailure.empty()) throw EFileError(FReadFailure);
    FAppend.Reset();
    std::string text = std::string(kRecordHead) + "\r\n";
    for (const Page& page : FPages) {
        text += RecordLine(page.Size, page.MTime, page.SiteKnown ? page.Site : std::string(), page.Path);
    }
    // A record past its bound could not be read back: every page it lists would be lost.
    if (text.size() > kRecordLimit) throw EFileError("ファイル " + FRecordFile + " に記録するページが多すぎます。");
    WriteWholeFile(FRecordFile, text, TFolderLink::Follow);
    FRecordBytes = text.size();
}

void TNewsPages::PageWriting(const std::string& site, const std::string& path, int64_t size) {
    if (!path.starts_with(FNotesFolder)) return;
    Page page;
    page.Site = site;
    page.Path = path.substr(FNotesFolder.size());
    page.Size = size;
    page.MTime = static_cast<int64_t>(::time(nullptr));
    const std::string line = RecordLine(page.Size, page.MTime, page.Site, page.Path);
    FPages.push_back(std::move(page));
    FIndexed = false;
    FChanged = true;
    // The record is written whole once (in this form, with every line ended), and again
    // whenever the added lines would take it past its bound; between, each page is added.
    if (!FAppend.IsOpen() || FRecordBytes + line.size() > kRecordLimit) {
        WriteRecord();
        FAppend.Reset(::open(FRecordFile.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
        if (!FAppend.IsOpen()) throw EFileError("ファイル " + FRecordFile + " に書き込めません。" + SysErrorText(errno));
    } else {
        size_t done = 0;
        while (done < line.size()) {
            const ssize_t put = ::write(FAppend.Get(), line.data() + done, line.size() - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                const int code = put < 0 ? errno : ENOSPC;
                FAppend.Reset();  // the next page writes the record whole, its lines ended
                throw EFileError("ファイル " + FRecordFile + " に書き込めません。" + SysErrorText(code));
            }
            done += static_cast<size_t>(put);
        }
        FRecordBytes += line.size();
    }
    // On disk before the page is: the page lives on another volume, which may keep it first.
    if (::fdatasync(FAppend.Get()) != 0) {
        const int code = errno;
        FAppend.Reset();
        throw EFileError("ファイル " + FRecordFile + " に書き込めません。" + SysErrorText(code));
    }
    FWritingTime = FPages.back().MTime;
}

void TNewsPages::PageWritten(const std::string& path) const {
    // The page takes the time the record gave it, however long its write took; where the
    // volume cannot set it, the write's own time is within the slack.
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(FWritingTime), 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

void TNewsPages::SiteWritten(const std::string& site, const std::string& folder,
                             const std::vector<std::string>& written, bool complete) {
    std::vector<Page> now;
    for (const std::string& path : written) {
        if (!path.starts_with(FNotesFolder)) continue;
        Page page;
        page.Site = site;
        page.Path = path.substr(FNotesFolder.size());
        if (StatPage(path, page.Size, page.MTime)) now.push_back(std::move(page));
    }
    if (now.empty() && !complete) return;
    FChanged = true;
    FIndexed = false;
    std::unordered_set<std::string> nowPaths;
    for (const Page& page : now) nowPaths.insert(Key(page.Path));
    const std::string sub = WithTrailingSlash(folder).starts_with(FNotesFolder)
                                ? Key(WithTrailingSlash(folder).substr(FNotesFolder.size()))
                                : std::string("\n");  // matches no recorded page
    const bool replaceSite = complete && !now.empty();
    std::vector<Page> kept;
    for (Page& page : FPages) {
        if (nowPaths.contains(Key(page.Path))) continue;
        const bool ofSite = page.SiteKnown ? page.Site == site
                                           : Key(FolderPart(page.Path)) == sub &&
                                                 IsPageNameOf(page.Path.substr(sub.size()), site);
        if (replaceSite && ofSite) {
            DeleteUnchanged(page);
            continue;
        }
        kept.push_back(std::move(page));
    }
    for (Page& page : now) kept.push_back(std::move(page));
    FPages = std::move(kept);
    FWrote = FWrote || replaceSite;
}

void TNewsPages::DropSitesOtherThan(const std::vector<std::string>& sites) {
    if (!FWrote) return;
    FIndexed = false;
    std::erase_if(FPages, [&](const Page& page) {
        if (!page.SiteKnown || std::find(sites.begin(), sites.end(), page.Site) != sites.end()) return false;
        DeleteUnchanged(page);
        FChanged = true;
        return true;
    });
}

void TNewsPages::Save() {
    if (!FChanged) return;
    // A page the user changed or removed since is no longer the download's; of a page that
    // stands more than once, the one it is now.
    FIndexed = false;
    std::erase_if(FPages, [&](const Page& page) { return !Unchanged(page); });
    std::unordered_set<std::string> seen;
    std::vector<Page> last;
    for (auto page = FPages.rbegin(); page != FPages.rend(); ++page) {
        if (seen.insert(Key(page->Path)).second) last.push_back(std::move(*page));
    }
    FPages.assign(std::make_move_iterator(last.rbegin()), std::make_move_iterator(last.rend()));
    WriteRecord();
    FChanged = false;
}

bool DivideNews(const std::string& title, const std::string& folder, const std::vector<std::string>& lines,
                const TNewsOptions& options, const TNewsMessageEvent& onMessage, TNewsPages* pages,
                const TTolvProgressEvent& progress, std::string* keptNote) {
    if (lines.empty()) return true;
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
    // A kept note is the caller's to report, with the site it stopped.
    divider.FOnMessage = [&](const std::string& text) {
        if (divider.FKept.empty() && onMessage) onMessage(text);
    };
    divider.FOnProgress = progress;
    if (pages) {
        divider.FMayReplace = [pages](const std::string& path) { return pages->MayReplace(path); };
        divider.FBeforeWrite = [pages, &title](const std::string& path, std::string_view bytes) {
            pages->PageWriting(title, path, static_cast<int64_t>(bytes.size()));
        };
        divider.FAfterWrite = [pages](const std::string& path) { pages->PageWritten(path); };
    }
    divider.AssignText(lines);
    try {
        divider.Divide(folder);
    } catch (...) {
        if (pages) pages->SiteWritten(title, folder, divider.FWritten, false);
        throw;
    }
    if (!divider.FKept.empty()) {
        if (keptNote) *keptNote = pages ? pages->Relative(divider.FKept) : divider.FKept;
        return false;
    }
    if (pages) pages->SiteWritten(title, folder, divider.FWritten, true);
    return true;
}

TNewsSiteResult DownloadNewsSite(const std::string& name, const std::string& address, const std::string& cacheFolder,
                                 const std::string& targetFolder, const TNewsOptions& options,
                                 const std::function<bool()>& pump, const TNewsMessageEvent& onMessage,
                                 TNewsPages* pages, const TTolvProgressEvent& progress, std::string* keptNote) {
    const std::string cacheFile = NewsCacheFile(cacheFolder, name);
    if (!FetchDocument(address, cacheFile, pump)) return TNewsSiteResult::NotFetched;
    bool plainText = false;
    // A long page takes a while to convert: Cancel is answered then as during the division.
    const std::string converting = "メモ[ " + name + " ]の変換処理中";
    TTolvProgressEvent convert;
    if (progress) convert = [&progress, &converting](int32_t p, int32_t m, const std::string&) { progress(p, m, converting); };
    const std::vector<std::string> lines = NewsDocumentLines(address, cacheFile, options, plainText, convert);
    CreateFolder(targetFolder, !plainText);
    return DivideNews(name, targetFolder, lines, options, onMessage, pages, progress, keptNote)
               ? TNewsSiteResult::Updated
               : TNewsSiteResult::NoteKept;
}

void PrepareNewsDownload(const std::string& cacheFolder) { CreateFolder(cacheFolder, false); }

}  // namespace harrowin
