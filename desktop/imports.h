// Bringing files from the PC into the player's organiser folders: a text file as one note or
// as linked note pages (with the note-splitting dialog), a contact or calendar file copied as
// it is (never over a file of the same name). Kinds: 0 text into notes, 1 contact file,
// 2 calendar file; other kinds do nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace harrowin {

class TPageHost;

// The open-file dialog's filter of an import command's Tag ("name|masks|..." as stored);
// empty for other Tags.
std::string ImportFilter(int tag);
// The same filter in the form Qt's file dialogs take ("name (masks);;...").
std::string ImportFilterForQt(int tag);

// Byte length (code page 932, every line followed by CR LF) of the lines.
int64_t SjisTextLength(const std::vector<std::string>& lines);
// Whether a text of that length is split into pages rather than kept as one note.
bool TextNeedsSplit(int64_t length, bool addEncoded);
// Writes the lines as one note folder + the source file's own name (code page 932, CR LF),
// after the encoding line when asked. EFileError when it cannot be written.
void WriteSingleNote(const std::string& folder, const std::string& sourceFile, const std::vector<std::string>& lines,
                     bool addEncoded);
// The open-file dialog with the filter of a Tag (or the test seam below); "" when cancelled.
std::string AskImportFileName(TPageHost& host, int tag);
// The main window's import command of a Tag: the open-file dialog, then ImportFile.
void Button_MemoInputClick(TPageHost& host, int tag);
void ImportFile(TPageHost& host, const std::string& FileName, int32_t Kind);
void ImportTextFile(TPageHost& host, const std::string& FileName);
void ImportContactFile(TPageHost& host, const std::string& FileName);
void ImportCalendarFile(TPageHost& host, const std::string& FileName);
// The split with the dialog (shown when "EveryDisplay" is on), run in the progress window;
// false when the dialog was cancelled (a division stopped by Cancel keeps the pages written).
bool ImportTextAsNotes(TPageHost& host, const std::string& Folder, std::vector<std::string> Lines,
                       const std::string& FileName);

// Test seam: the open-file dialog (gets the Qt filter, returns the chosen file or empty).
void SetImportOpenFileHook(std::function<std::string(const std::string& filter)> hook);

}  // namespace harrowin
