// The player's organiser files: one contact (vCard 3.0 lines), one calendar event or one to-do
// item (vCalendar 2.0 lines around one block), each held in memory as key:value lines and
// written back whole by Save. The records carry the values between these files and the editors.
//
// Text is UTF-8. A contact file that is not valid UTF-8 is read as code page 932 (made on a
// Japanese Windows system) and saved as UTF-8; event and to-do values are UTF-8 on disk and a
// value that is not well-formed UTF-8 reads as empty.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The largest note, contact, event or to-do file that is read (bytes); real ones are a few KB.
// A larger file fails to load rather than being cut, so saving it can never lose its tail.
inline constexpr uint64_t kOrganiserFileLimit = 4u << 20;

// A contact: twelve whole texts (a structured vCard value stays one text).
struct TIpodVCF {
    std::string N;        // "N"
    std::string FN;       // "FN"
    std::string Title;    // "TITLE"
    std::string Org;      // "ORG"
    std::string AdrHome;  // "adr;type=home"
    std::string AdrWork;  // "adr;type=work;type=pref"
    std::string TelHome;  // "tel;type=home"
    std::string TelWork;  // "tel;type=work"
    std::string TelCell;  // "tel;type=cell"
    std::string Url;      // "url;type=work"
    std::string Email;    // "EMAIL;PREF;INTERNET"
    std::string Note;     // "NOTE"
};

// A calendar event. Date-times are the 15-character local text yyyymmddThhnn00.
struct TIpodVCal {
    int32_t Flag = 0;  // set to 0 whenever a record is filled; read by nothing
    std::string Summary;
    std::string DtStart;
    std::string DtEnd;
    std::string DAlarm;
    std::string Categories;
    std::string Priority;  // "0" to "5"
    std::string Class;
    std::string Description;
};

// A to-do item. Due is read from DTEND and written to both DTSTART and DTEND.
struct TVTodoObj {
    std::string Summary;
    std::string Due;
    std::string Description;
};

// The line machinery the three file classes share. A key line holds a ":"; its key is the text
// before the first ":" (trimmed, parameters included, compared without letter case) and its
// value everything after it, untrimmed. Other lines are kept but never match a key.
class TTolvKeyLineFile {
public:
    virtual ~TTolvKeyLineFile() = default;
    TTolvKeyLineFile(const TTolvKeyLineFile&) = delete;
    TTolvKeyLineFile& operator=(const TTolvKeyLineFile&) = delete;

    // Writes every line followed by CR LF to the file, replacing it (EFileError on failure).
    void Save();

    const std::string& FileName() const { return FFileName; }
    // The lines in memory, in file order.
    const std::vector<std::string>& Lines() const { return FLines; }
    // True when the loaded file failed the validity rule of its class. The marker text is
    // kept here rather than among the lines, so that saving never writes it into the file.
    bool IsInvalid() const { return FInvalid; }
    // The marker of an invalid file ("" for a valid or new file).
    std::string InvalidMarker() const { return FInvalid ? FMarker : std::string(); }

protected:
    // Keeps the name; the new-file lines when no file is at the path (a link, a named pipe or a
    // device counts as none: the player's files are untrusted), else the file's lines
    // (EFileError when it cannot be read or is larger than kOrganiserFileLimit).
    TTolvKeyLineFile(const std::string& FileName, std::vector<std::string> NewFileLines, bool ContactText);
    // Records the validity rule's outcome after loading (only a loaded file can be invalid).
    void SetValidity(bool Valid, const char* Marker);

    // The index of the first line with that key (-1 when none) and its raw value.
    int FindKey(const std::string& Key, std::string* RawValue) const;
    // The raw value of the first line with that key; empty when there is none.
    std::string RawValue(const std::string& Key) const;
    bool Loaded() const { return FLoaded; }

    std::string FFileName;
    std::vector<std::string> FLines;

private:
    bool FLoaded = false;
    bool FInvalid = false;
    std::string FMarker;
};

// One contact file.
class TTolvVCF : public TTolvKeyLineFile {
public:
    explicit TTolvVCF(const std::string& FileName);

    std::string GetValue(const std::string& Key) const;
    // Sets or inserts the key's line (after the version line); a blank value changes nothing.
    // The line index, or -1 when nothing was set.
    int SetValue(const std::string& Key, const std::string& Value);
    int IndexOfKey(const std::string& Key) const;

    void ReadContact(TIpodVCF& Contact) const;
    void WriteContact(const TIpodVCF& Contact);

    bool IsValid() const;
};

// The frame shared by event and to-do files: UTF-8 values, blank values delete their line.
class TTolvVCalBase : public TTolvKeyLineFile {
public:
    // The value decoded from UTF-8; empty when missing or not well-formed UTF-8.
    std::string GetValue(const std::string& Key) const;
    // Sets, inserts (after the inner begin line) or, for a blank value, deletes the key's line.
    // The line index, or -1 when nothing was set.
    int SetValue(const std::string& Key, const std::string& Value);
    // The first line whose key matches and whose raw value matches (both trimmed, without
    // letter case); an empty Value matches any value. -1 when none.
    int IndexOfKeyValue(const std::string& Key, const std::string& Value) const;

    bool IsValid() const;

protected:
    TTolvVCalBase(const std::string& FileName, const char* BlockName);

private:
    std::string FBlockName;  // "vevent" or "vtodo"
};

// One calendar-event file.
class TTolvVCal : public TTolvVCalBase {
public:
    explicit TTolvVCal(const std::string& FileName);

    void ReadEvent(TIpodVCal& Event) const;
    void WriteEvent(const TIpodVCal& Event);
};

// One to-do file.
class TTolvVTodo : public TTolvVCalBase {
public:
    explicit TTolvVTodo(const std::string& FileName);

    void ReadTask(TVTodoObj& Task) const;
    void WriteTask(const TVTodoObj& Task);
};

// The markers of files that fail the validity rule.
inline constexpr const char* kInvalidVCardMarker = "不正なVCARDファイルです";
inline constexpr const char* kInvalidVCalMarker = "不正なVCARD Calenderファイルです";
