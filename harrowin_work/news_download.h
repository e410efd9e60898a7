// The work of the news download that needs no window: fetching a site's document into the
// cache folder ("RDFData" in the program folder), turning it into text and writing it as
// linked note pages into the player's notes folder. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace harrowin {

class TTolvIPodINI;

// The settings the download reads (sections "TextDivide" and "Internet").
struct TNewsOptions {
    bool MakeLink = true;
    bool MakePageNo = true;
    bool AddEncoded = true;
    bool AddTitle = true;
    int32_t MakeWordSize = 4050;  // bytes per page
    bool AddRSSDate = false;
    bool AddRSSURL = false;
};
TNewsOptions NewsOptionsOf(const TTolvIPodINI& settings);

// The extensions of addresses taken as plain text.
inline constexpr const char* kPlainTextMasks = "*.txt;*.c;*.pas;*.h;*.cpp;*.cs;*.vhd;";

// The news sub-folder in use: the "SaveFolder" setting made a safe single folder name when
// "MakeFolder" is on; empty when the notes go into the notes folder itself.
std::string NewsSubFolder(bool makeFolder, const std::string& saveFolder);
// The target folder of the pages (ends in "/"): notes folder + sub-folder + "/", or the notes
// folder itself when no sub-folder is in use.
std::string NewsTargetFolder(const std::string& notesFolder, bool makeFolder, const std::string& saveFolder);
// The cache folder ("RDFData/" in the program folder, ends in "/").
std::string NewsCacheFolder();
// The cache file of a site: cache folder + safe site name + ".RDF".
std::string NewsCacheFile(const std::string& cacheFolder, const std::string& siteName);

// Fetches an address into Dest: network addresses (see IsFetchableAddress) with the agent
// "MyApp", calling Pump while waiting (false from it stops the transfer); anything else is a
// local file path, copied. A document above kFetchLimitBytes is not fetched. False when nothing
// could be fetched (Dest then stays as it was).
// EFileError when a local file was read but Dest cannot be written.
bool FetchDocument(const std::string& Address, const std::string& Dest, const std::function<bool()>& Pump = {});

// The text of a fetched document: plain text (an address with one of kPlainTextMasks'
// extensions) line by line as it is, otherwise converted by the document reader.
std::vector<std::string> NewsDocumentLines(const std::string& address, const std::string& cacheFile,
                                           const TNewsOptions& options, bool& plainText);

// Shows the user a message of the notes splitter (a line too long to cut by lines, after which
// the rest of the site's text is not written).
using TNewsMessageEvent = std::function<void(const std::string& Text)>;

// The note pages that news downloads wrote, kept in a record in the cache folder, so that a
// download replaces exactly those: the pages of the earlier downloads go once the first site
// of a new download was fetched, and every other note stays, whatever folder it is in. A
// recorded page that is no longer as the download wrote it (the user changed it, or put
// another file in its place) stays too. Paths are kept relative to the notes folder.
class TNewsPages {
public:
    // Reads the record (a missing or damaged one records nothing).
    TNewsPages(std::string recordFile, std::string notesFolder);
    // Deletes the recorded pages of the earlier downloads; only the first call of a download
    // does anything.
    void ReplaceEarlierPages();
    // Records a page this download wrote (full path inside the notes folder).
    void Written(const std::string& path);
    // Writes the record of this download, once it replaced the earlier pages (a download that
    // fetched nothing keeps the earlier record). EFileError when it cannot be written.
    void Save() const;

private:
    struct Page {
        std::string Path;   // relative to the notes folder
        int64_t Size = 0;   // bytes
        int64_t MTime = 0;  // seconds since 1970
    };
    std::string FRecordFile;
    std::string FNotesFolder;
    std::vector<Page> FEarlier;
    std::vector<Page> FNow;
    bool FReplaced = false;
};

// The record of the pages of news downloads ("NewsPages.LST" in the cache folder).
std::string NewsPagesRecordFile(const std::string& cacheFolder);

// Writes the lines as the site's linked note pages into folder; nothing when there are no
// lines. Folder must exist. EFileError when a page cannot be written. Each page written goes
// to pages (when given), also when a later one fails.
void DivideNews(const std::string& title, const std::string& folder, const std::vector<std::string>& lines,
                const TNewsOptions& options, const TNewsMessageEvent& onMessage = {}, TNewsPages* pages = nullptr);

// One checked site from fetch to pages: false when the fetch failed (nothing written). Once
// the site is fetched the earlier news pages are replaced (pages, when given). The target
// folder is created when missing (for plain text only its last level).
bool DownloadNewsSite(const std::string& name, const std::string& address, const std::string& cacheFolder,
                      const std::string& targetFolder, const TNewsOptions& options,
                      const std::function<bool()>& pump = {}, const TNewsMessageEvent& onMessage = {},
                      TNewsPages* pages = nullptr);

// Prepares a download: creates the cache folder. Nothing is deleted before a site is fetched.
// EFileError when the cache folder cannot be created.
void PrepareNewsDownload(const std::string& cacheFolder);

}  // namespace harrowin
