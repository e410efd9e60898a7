// An INI file held in memory with Windows semantics: sections and keys compared without case,
// the first of duplicate keys wins, Booleans written "1"/"0" and read as any non-zero integer,
// CR LF line ends. Text is UTF-8; a file written in code page 932 is read as such, and one that
// is UTF-8 but for a few bytes keeps its UTF-8 lines (encoding::LinesText8ToUtf8).
// Sections and keys are found through indexes, so reading, looking up and writing take time in
// proportion to the file's size, however many keys it holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The largest settings file read or written, in bytes: far above what the programs write (a
// few kilobytes; a list of some hundred feeds, a megabyte or two), far below what would strain
// the memory when read whole.
inline constexpr uint64_t kMaxIniFileBytes = 16u << 20;

class TIniFile {
public:
    enum class Start { ReadFile, Empty };
    // Reads the file when it exists; a missing file gives an empty INI. A file that is there
    // but is not read gives an empty INI too and is never replaced (UpdateFile refuses), so
    // that whatever is in it stays for the user to look at: one that cannot be read (no right
    // to read it, a read error), one larger than MaxBytes, a link (never followed: the file is
    // untrusted), a folder, a pipe or a device. Empty: the file is not read (it is to be
    // replaced whole).
    explicit TIniFile(std::string FileName, Start How = Start::ReadFile, uint64_t MaxBytes = kMaxIniFileBytes);

    const std::string& FileName() const { return FFileName; }

    // Replaces the contents with the given INI text (for tests and the constructor).
    void LoadFromText(const std::string& text);
    std::string ToText() const;

    std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;
    // A value that is not a whole decimal number (after trimming) gives the default.
    int32_t ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const;
    // Any non-zero integer is true; a value that is not an integer gives the default.
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;
    bool SectionExists(const std::string& Section) const;
    bool ValueExists(const std::string& Section, const std::string& Key) const;

    // Line breaks inside a value are written as a blank, so a value never starts a new line.
    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Key, int32_t Value);
    void WriteBool(const std::string& Section, const std::string& Key, bool Value);

    // Drops every section and key.
    void Clear();
    // Empty when the file was read or is missing; else the Japanese sentence that names the
    // file, says why it was not read and that it is kept as it is.
    const std::string& ReadFailure() const { return FReadFailure; }
    // The lines of the text last read (0 for a missing file): a bound for counts that the file
    // itself states, which can never describe more records than it has lines.
    int32_t LineCount() const { return FLineCount; }
    // Writes the whole file through the safe writer (foundation/file_write), so a failed write
    // leaves the old file as it was; throws EFileError naming the file when it cannot be written,
    // when the text would be larger than MaxBytes (it could not be read back) and when the file
    // was there but not read (the ReadFailure text).
    void UpdateFile() const;

private:
    // Hashing and comparing that ignore ASCII case, usable with plain string views.
    struct NoCaseHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const;
    };
    struct NoCaseEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    using NameIndex = std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual>;

    struct Entry {
        std::string Key;
        std::string Value;
    };
    struct Section {
        std::string Name;
        std::vector<Entry> Entries;
        // Key -> position in Entries, kept only for sections too long to search key by key.
        NameIndex Index;
        const Entry* Find(std::string_view key) const;
        // The entry of that key, appended (with an empty value) when there is none.
        Entry& FindOrAdd(std::string_view key, bool& added);
    };
    const Section* FindSection(std::string_view name) const;
    Section& SectionFor(std::string_view name);
    const Entry* FindEntry(std::string_view section, std::string_view key) const;

    std::string FFileName;
    uint64_t FMaxBytes;
    std::string FReadFailure;  // set when the file was there but not read
    std::vector<Section> FSections;
    NameIndex FSectionIndex;  // section name -> position in FSections
    int32_t FLineCount = 0;
};
