#include "desktop/news_download.h"

#include <filesystem>
#include <system_error>

#include "desktop/settings.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"
#include "organiser/document_reader.h"
#include "organiser/memo_divider.h"
#include "platform/http_fetch.h"
#include "platform/program_folder.h"

namespace fs = std::filesystem;

namespace {

// Creates the folder; with allLevels its missing parents too. EFileError naming it otherwise.
void CreateFolder(const std::string& folder, bool allLevels) {
    const std::string path = ExcludeBackslash(folder);
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

std::string SafeNameComponent(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        if (c == '/' || c == '\0') c = ' ';
    }
    if (safe.find_first_not_of('.') == std::string::npos) return {};
    return safe;
}

std::string NewsSubFolder(bool makeFolder, const std::string& saveFolder) {
    if (!makeFolder || saveFolder.empty()) return {};
    // The folder is deleted whole before every download: it must stay one level below the
    // notes folder, whatever the setting holds.
    const std::string safe = SafeNameComponent(saveFolder);
    if (encoding::Trim(safe).empty()) return {};
    return safe;
}

std::string NewsTargetFolder(const std::string& notesFolder, bool makeFolder, const std::string& saveFolder) {
    const std::string sub = NewsSubFolder(makeFolder, saveFolder);
    if (sub.empty()) return IncludeBackslash(notesFolder);
    return IncludeBackslash(notesFolder) + sub + "/";
}

std::string NewsCacheFolder() { return ProgramFolder() + "/RDFData/"; }

std::string NewsCacheFile(const std::string& cacheFolder, const std::string& siteName) {
    return IncludeBackslash(cacheFolder) + SafeNameComponent(siteName) + ".RDF";
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

void DivideNews(const std::string& title, const std::string& folder, const std::vector<std::string>& lines,
                const TNewsOptions& options, const TNewsMessageEvent& onMessage) {
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
    divider.Divide(folder);
}

bool DownloadNewsSite(const std::string& name, const std::string& address, const std::string& cacheFolder,
                      const std::string& targetFolder, const TNewsOptions& options,
                      const std::function<bool()>& pump, const TNewsMessageEvent& onMessage) {
    const std::string cacheFile = NewsCacheFile(cacheFolder, name);
    if (!FetchDocument(address, cacheFile, pump)) return false;
    bool plainText = false;
    const std::vector<std::string> lines = NewsDocumentLines(address, cacheFile, options, plainText);
    CreateFolder(targetFolder, !plainText);
    DivideNews(name, targetFolder, lines, options, onMessage);
    return true;
}

void PrepareNewsDownload(const std::string& notesFolder, bool makeFolder, const std::string& saveFolder,
                         const std::string& cacheFolder) {
    const std::string sub = NewsSubFolder(makeFolder, saveFolder);
    std::error_code ec;
    if (!sub.empty()) {
        const std::string old = IncludeBackslash(notesFolder) + sub;
        if (fs::exists(fs::symlink_status(old, ec))) DeleteFolderTree(old);
    }
    CreateFolder(cacheFolder, false);
}
