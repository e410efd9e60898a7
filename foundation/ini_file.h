// An INI file held in memory with Windows semantics: sections and keys compared without case,
// the first of duplicate keys wins, Booleans written "1"/"0" and read as any non-zero integer,
// CR LF line ends. Text is UTF-8; a file that is not valid UTF-8 is read as code page 932.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TIniFile {
public:
    // Reads the file when it exists; a missing or unreadable file gives an empty INI.
    explicit TIniFile(std::string FileName);

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
    // Writes the whole file (through "<name>.new", so a failed write leaves the old file as it
    // was); throws EFileError naming the file when it cannot be written.
    void UpdateFile() const;

private:
    struct Entry {
        std::string Key;
        std::string Value;
    };
    struct Section {
        std::string Name;
        std::vector<Entry> Entries;
    };
    const Section* FindSection(const std::string& name) const;
    Section& SectionFor(const std::string& name);
    const Entry* FindEntry(const std::string& section, const std::string& key) const;

    std::string FFileName;
    std::vector<Section> FSections;
};
