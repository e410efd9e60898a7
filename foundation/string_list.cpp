#include "foundation/string_list.h"

#include "foundation/byte_reader.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/japanese_codes.h"
#include "foundation/names.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

const std::string& TStringList::Strings(int index) const {
    static const std::string kEmpty;
    if (index < 0 || index >= Count()) return kEmpty;
    return lines_[static_cast<size_t>(index)];
}

void TStringList::SetStrings(int index, const std::string& line) {
    if (index < 0 || index >= Count()) return;
    lines_[static_cast<size_t>(index)] = line;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        const size_t end = std::min(text.find_first_of("\r\n", i), text.size());
        lines.emplace_back(text.substr(i, end - i));
        i = end;
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    out.reserve(size);
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string TStringList::Text() const { return JoinLines(lines_); }

void TStringList::SetText(std::string_view text) { lines_ = SplitLines(text); }

void TStringList::LoadFromFile(const std::string& file_name) {
    const FileBytes data = ReadWholeFile(file_name);
    SetText(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

void TStringList::SaveToFile(const std::string& file_name) const {
    WriteWholeFile(file_name, Text(), TFolderLink::Follow);
}

void TTolvStringList::LoadFromFile(const std::string& file_name, TextEncoding code) {
    const FileBytes data = ReadWholeFile(file_name);
    LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), code);
}

void TTolvStringList::LoadFromStream(std::istream* stream, TextEncoding code) {
    if (stream == nullptr) return;
    stream->clear();
    stream->seekg(0);
    if (!*stream) stream->clear();  // not seekable: take it from where it stands
    const std::string bytes((std::istreambuf_iterator<char>(*stream)), std::istreambuf_iterator<char>());
    LoadFromBytes(bytes, code);
}

void TTolvStringList::LoadFromBytes(std::string_view bytes, TextEncoding code) {
    if (code == kTextDetect) {
        const auto b0 = bytes.size() > 0 ? static_cast<uint8_t>(bytes[0]) : 0;
        const auto b1 = bytes.size() > 1 ? static_cast<uint8_t>(bytes[1]) : 0;
        if (b0 == 0xFF && b1 == 0xFE) {
            code = kTextUtf16Le;
        } else if (b0 == 0xFE && b1 == 0xFF) {
            code = kTextUtf16Be;
        } else if (encoding::IsMultiByteUtf8(bytes)) {
            // Text written on this system is UTF-8; the Japanese-code guess would garble it.
            code = kTextUtf8;
        } else {
            // The guess runs over the joined lines (CR LF line breaks), not the raw bytes.
            SetText(bytes);
            switch (DetectJapaneseCode(Text())) {
                case kJapaneseSjis: code = kTextShiftJis; break;
                case kJapaneseJis: code = kTextJis; break;
                default: code = kTextEucJp; break;
            }
        }
    }
    switch (code) {
        case kTextShiftJis: SetSjisText(bytes); break;
        case kTextJis:
            SetText(bytes);
            SetSjisText(JisToSjis(Text()));
            break;
        case kTextEucJp:
            SetText(bytes);
            SetSjisText(EucToSjis(Text()));
            break;
        case kTextUtf16Le: LoadUtf16(bytes, false); break;
        case kTextUtf16Be: LoadUtf16(bytes, true); break;
        case kTextUtf8:
            // A UTF-8 byte-order mark is a mark, like the UTF-16 ones, not a character.
            if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
            // A document declared UTF-8 may still hold a stray byte: it becomes U+FFFD, so
            // every load hands on well-formed UTF-8 lines.
            SetText(encoding::RepairUtf8(bytes));
            break;
        default: break;  // an unknown code loads nothing
    }
    FEncoding = code;
}

// Shift_JIS lines are split first (CR and LF are never trail bytes), then each line turns
// into UTF-8, so a broken pair cannot swallow a line break.
void TTolvStringList::SetSjisText(std::string_view sjis) {
    SetText(sjis);
    for (int i = 0; i < Count(); ++i) SetStrings(i, encoding::Cp932ToUtf8(Strings(i)));
}

// The first two bytes are skipped whether or not they are a byte-order mark; the text ends
// at the first zero character. An odd last byte is taken with a zero byte after it.
void TTolvStringList::LoadUtf16(std::string_view bytes, bool big_endian) {
    const auto text = ByteReader(bytes).Bytes(2, bytes.size());
    SetText(encoding::Utf16UpToZero(text, big_endian ? encoding::ByteOrder::Big : encoding::ByteOrder::Little,
                                    encoding::OddLastByte::ZeroPadded));
}
