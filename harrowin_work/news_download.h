// The work of the news download that needs no window: fetching a site's document into the
// cache folder ("RDFData" in the program folder), turning it into text and writing it as
// linked note pages into the player's notes folder. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/progress_event.h"
#include "foundation/unique_fd.h"

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
// extensions) line by line as it is, otherwise converted by the document reader, which calls
// progress as it goes (an exception from it stops the conversion).
std::vector<std::string> NewsDocumentLines(const std::string& address, const std::string& cacheFile,
                                           const TNewsOptions& options, bool& plainText,
                                           const TTolvProgressEvent& progress = {});

// Shows the user a message of the notes splitter (a line too long to cut by lines, after which
// the rest of the site's text is not written; a note kept because a page would have taken its
// name).
using TNewsMessageEvent = std::function<void(const std::string& Text)>;

// The note pages that news downloads wrote, each with its site, kept in a record in the cache
// folder, so that a download replaces exactly those: a site's earlier pages go only once that
// site was fetched and its new pages were written, and a page is written over only where it is
// a recorded page as the download left it (size and time). A recorded page that is no longer
// as the download wrote it (the user changed it, or put another file in its place) is the
// user's note from then on. Each page enters the record on disk before it is written, so a
// download stopped at any moment (killed, the power gone, a full disk) leaves a record that
// knows every page it wrote. Paths are kept relative to the notes folder; on a volume that
// folds case (FAT) they are compared as the volume compares names.
class TNewsPages {
public:
    // Reads the record (a missing one records nothing; damaged lines are left out). A record
    // of an earlier version knows no sites: its pages are only replaced by a page of their
    // name, and go with a site only when their names are that site's page names in that
    // site's folder. A record that is there but cannot be read is never written (ReadFailure).
    TNewsPages(std::string recordFile, std::string notesFolder);
    // Empty when the record was read or is missing; else the Japanese sentence that says why
    // it was not read and that it is kept: no page may be written until it can be read, as the
    // pages it lists would otherwise count as the user's notes for good.
    const std::string& ReadFailure() const { return FReadFailure; }
    // Whether the note at path (full path) is a recorded page, unchanged since it was written.
    bool MayReplace(const std::string& path) const;
    // Just before a page of the site is written at path (full path) with `size` bytes: the
    // page enters the record on disk. EFileError when it cannot (the page must not be written).
    void PageWriting(const std::string& site, const std::string& path, int64_t size);
    // Once that page is written: it gets the time of change the record gave it.
    void PageWritten(const std::string& path) const;
    // The pages a division of the site into folder wrote (full paths), complete when it ran to
    // its end: they are recorded for the site in place of what was recorded under their names;
    // after a complete division that wrote a page, the site's other earlier pages are deleted.
    void SiteWritten(const std::string& site, const std::string& folder, const std::vector<std::string>& written,
                     bool complete);
    // Once a site of this download wrote its pages: deletes the pages of the sites that are not
    // among sites (the rows of the list), which no download can update any more.
    void DropSitesOtherThan(const std::vector<std::string>& sites);
    // The path inside the notes folder (the path itself when outside it).
    std::string Relative(const std::string& path) const;
    // Writes the record when it changed. EFileError when it cannot be written.
    void Save();

private:
    struct Page {
        std::string Site;       // the site's name (the page's title)
        bool SiteKnown = true;  // false for the pages of a record without sites
        std::string Path;       // relative to the notes folder
        int64_t Size = 0;       // bytes
        int64_t MTime = 0;      // seconds since 1970
    };
    bool Unchanged(const Page& page) const;
    // Deletes the page when it is unchanged.
    void DeleteUnchanged(const Page& page) const;
    // How a relative path is compared: as it is, or in lower case where the volume folds case.
    std::string Key(const std::string& path) const;
    // Writes the whole record through the safe writer; the next page is added after it.
    void WriteRecord();
    std::string FRecordFile;
    std::string FNotesFolder;
    std::string FReadFailure;
    bool FFoldsCase = false;
    std::vector<Page> FPages;  // a path may stand more than once: the page may be any of them
    mutable std::unordered_multimap<std::string, size_t> FIndex;  // FPages by Key, while FIndexed
    mutable bool FIndexed = false;
    bool FChanged = false;
    bool FWrote = false;
    TUniqueFd FAppend;         // the record opened for adding pages, once written whole
    uint64_t FRecordBytes = 0;  // its size
    int64_t FWritingTime = 0;   // the time of change recorded for the page being written
};

// The record of the pages of news downloads ("NewsPages.LST" in the cache folder).
std::string NewsPagesRecordFile(const std::string& cacheFolder);

// Writes the lines as the site's linked note pages into folder; nothing when there are no
// lines. Folder must exist. Only free names and recorded unchanged pages (pages, when given)
// are written: when another note holds a page's name nothing is written, keptNote (when
// given) gets that note's path inside the notes folder of pages (else its full path), and the
// result is false; the caller tells the user. EFileError when a page cannot be written; EDivideCancelled
// when progress throws it. What was written is recorded (pages) in either case.
bool DivideNews(const std::string& title, const std::string& folder, const std::vector<std::string>& lines,
                const TNewsOptions& options, const TNewsMessageEvent& onMessage = {}, TNewsPages* pages = nullptr,
                const TTolvProgressEvent& progress = {}, std::string* keptNote = nullptr);

// What became of a checked site.
enum class TNewsSiteResult {
    Updated,     // fetched and its pages written
    NotFetched,  // nothing written
    NoteKept,    // fetched, but a note held a page's name: nothing written
};

// One checked site from fetch to pages. The target folder is created when missing (for plain
// text only its last level). Failures as DivideNews.
TNewsSiteResult DownloadNewsSite(const std::string& name, const std::string& address, const std::string& cacheFolder,
                                 const std::string& targetFolder, const TNewsOptions& options,
                                 const std::function<bool()>& pump = {}, const TNewsMessageEvent& onMessage = {},
                                 TNewsPages* pages = nullptr, const TTolvProgressEvent& progress = {},
                                 std::string* keptNote = nullptr);

// Prepares a download: creates the cache folder. Nothing is deleted before a site is fetched.
// EFileError when the cache folder cannot be created.
void PrepareNewsDownload(const std::string& cacheFolder);

}  // namespace harrowin
