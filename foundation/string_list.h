// A list of text lines, and TTolvStringList, which loads a file in a given or detected
// Japanese encoding (or UTF-16, or UTF-8) and keeps its lines as UTF-8.
#pragma once

#include <cstdint>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The program's line rules: a line ends at CR, LF or CR LF, and a break at the very end of a
// text adds no empty line. "" gives no line, "a\r\n" one line, "\r\n" one empty line. Texts
// are byte strings; their encoding is the caller's business.
std::vector<std::string> SplitLines(std::string_view text);
// Every line followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);

// A list of lines. Text splits at CR, LF or CR LF and joins every line with CR LF after it.
// The list holds the bytes it is given: no encoding is applied here.
class TStringList {
public:
    virtual ~TStringList() = default;

    int Count() const { return static_cast<int>(lines_.size()); }
    // The line at the index; empty when the index is outside the list.
    const std::string& Strings(int index) const;
    void SetStrings(int index, const std::string& line);
    void Add(const std::string& line) { lines_.push_back(line); }
    void Clear() { lines_.clear(); }
    const std::vector<std::string>& Lines() const { return lines_; }

    // Every line followed by CR LF.
    std::string Text() const;
    // Replaces the lines by the text split at CR, LF or CR LF; a final line break adds no
    // empty line.
    void SetText(std::string_view text);

    // Reads the file's bytes as the text; throws EFileError naming the file.
    void LoadFromFile(const std::string& file_name);
    // Writes Text() as it is through the safe writer (a link at the name is refused, a failed
    // write keeps the old file); the folder may be a link. Throws EFileError naming the file.
    void SaveToFile(const std::string& file_name) const;

private:
    std::vector<std::string> lines_;
};

// The encoding code of TTolvStringList (a byte). Codes above kTextUtf8 load nothing.
using TextEncoding = uint8_t;
constexpr TextEncoding kTextDetect = 0;    // a request only; never stored after a load
constexpr TextEncoding kTextShiftJis = 1;  // code page 932
constexpr TextEncoding kTextJis = 2;       // ISO-2022-JP
constexpr TextEncoding kTextEucJp = 3;
constexpr TextEncoding kTextUtf16Le = 4;  // the first two bytes (the mark) are skipped
constexpr TextEncoding kTextUtf16Be = 5;  // the first two bytes (the mark) are skipped
constexpr TextEncoding kTextUtf8 = 6;

class TTolvStringList : public TStringList {
public:
    using TStringList::LoadFromFile;

    // Reads the whole file, then loads it as LoadFromBytes does; throws EFileError naming
    // the file when it cannot be read.
    void LoadFromFile(const std::string& file_name, TextEncoding code);
    // Loads the whole stream from its start; a null stream changes nothing.
    void LoadFromStream(std::istream* stream, TextEncoding code);
    // Replaces the lines by the bytes decoded in the given encoding (kTextDetect guesses it)
    // and sets FEncoding to the code used. A code above kTextUtf8 keeps the lines and is
    // stored as it is.
    void LoadFromBytes(std::string_view bytes, TextEncoding code);

    TextEncoding FEncoding = kTextDetect;  // the code used by the last load through the above

private:
    void LoadUtf16(std::string_view bytes, bool big_endian);
    void SetSjisText(std::string_view sjis);
};
