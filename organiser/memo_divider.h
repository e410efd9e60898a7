// Splits a text into the player's note files: one file when it fits, else numbered pages
// ("<title> 001.txt", ...) with optional page-number, encoding and title lines at their head
// and a link to the next page at their end.
//
// The lines in FLines are UTF-8; the files are written in Shift_JIS (code page 932), and every
// size (FPageSize, the room, line lengths) is counted in Shift_JIS bytes, a two-byte character
// being one whose first byte is a Shift_JIS lead byte. A two-byte character is never split.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/errors.h"
#include "foundation/progress_event.h"
#include "foundation/string_list.h"

// Thrown by a progress handler to stop a division at once: the pages written before stay, and
// FWritten lists them.
class EDivideCancelled : public ETolvError {
public:
    EDivideCancelled() : ETolvError("メモの分割を中止しました") {}
};

class TTolvMemoDivider {
public:
    TTolvMemoDivider() = default;

    // FLines receives the text of the source lines (a line holding breaks becomes several).
    void AssignText(const std::vector<std::string>& Source);
    void AssignText(const TStringList& Source) { AssignText(Source.Lines()); }
    // The same, taking the lines over rather than copying them (a long text is held once).
    void AssignText(std::vector<std::string>&& Source);
    // Writes the note file(s) into Folder (its sub-folder named after the title when FCopyDir
    // is on). A name a page would take that is held by a note FMayReplace does not allow
    // stops the division before anything is written: FKept names that note, and a message
    // says so. Folder-creation and file-writing failures raise EFileError; pages written
    // before a failure (or an EDivideCancelled from the progress handler) stay.
    void Divide(const std::string& Folder);

    // Ruby annotations and editorial notes (《...》, ［...］) removed from Shift_JIS text.
    static std::string RemoveRuby(std::string_view SjisText, const TTolvProgressEvent& Progress);
    // The bytes of body text one page may take: FPageSize less the reserves of the options.
    int64_t Room() const;
    // The file name of page n (without folder), and of the one-file case; the title with "/"
    // (and NUL) replaced by blanks, so a title can never name a file outside the folder.
    std::string PageFileName(int n) const;
    std::string SingleFileName() const;

    std::vector<std::string> FLines;  // the text to split (UTF-8)
    std::string FTitle;               // base of the file names, title line and message text
    int32_t FCutType = 0;             // 0 at line ends, 1 after Japanese punctuation, 2 after English, 3 anywhere
    bool FDelRuby = false;
    int32_t FPageSize = 0;  // bytes
    bool FNextLink = false;
    bool FCopyDir = false;
    bool FPageNo = false;
    bool FEncodeTag = false;
    bool FTitleTag = false;
    TTolvProgressEvent FOnProgress;  // may be empty
    // The files the last Divide wrote (full paths, in order), also when it ended in an error.
    std::vector<std::string> FWritten;
    std::function<void(const std::string&)> FOnMessage;  // the messages shown to the user
    // Whether the file at a page's path (full path), which exists, may be replaced; empty:
    // nothing is ever replaced.
    std::function<bool(const std::string& Path)> FMayReplace;
    // Called with each note's path (full path) and bytes just before it is written (an
    // exception from it stops the division before that note), and with its path once it is.
    std::function<void(const std::string& Path, std::string_view Bytes)> FBeforeWrite;
    std::function<void(const std::string& Path)> FAfterWrite;
    // The note (full path) that stopped the last Divide by holding a page's name, else "".
    std::string FKept;

private:
    struct Context;
    bool NameMayBeWritten(Context& ctx, const std::string& name);
    bool PagesMayBeWritten(Context& ctx, const std::function<void()>& cut);
    std::vector<std::string> HeadLines(int n) const;
    std::string LinkLine(int n) const;
    std::string SafeTitle() const;
    void CutByLines(Context& ctx, const std::vector<std::string>& lines);
    void CutByCharacters(Context& ctx, const std::string& text);
    void WritePage(Context& ctx, int n, const std::vector<std::string>& lines);
    void WriteNote(const Context& ctx, const std::string& name, std::string_view bytes);
    void ShowMessage(const std::string& text) const;
};

// The splitter's message for a note it kept rather than replace it (the note's name inside
// the folder given to Divide) and wrote nothing of the title's text.
std::string MemoKeptMessage(const std::string& note, const std::string& title);

// The splitter's message for a line (or a room) too small to cut by: it is also the answer
// to a page size that leaves no room at all, whatever the cut type.
inline constexpr const char* kMemoLineTooLong = "行に文字を詰め込みすぎです。行によるカット処理が行えません。";
