#include "foundation/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "foundation/unique_fd.h"

namespace {

bool ParseInt(const std::string& raw, int32_t& out) {
    std::string text = encoding::Trim(raw);
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') ++first;
    int64_t value = 0;
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        auto [p, ec] = std::from_chars(first + 2, last, value, 16);
        if (ec != std::errc() || p != last) return false;
    } else if (*first == '$') {
        auto [p, ec] = std::from_chars(first + 1, last, value, 16);
        if (ec != std::errc() || p != last) return false;
    } else {
        auto [p, ec] = std::from_chars(first, last, value, 10);
        if (ec != std::errc() || p != last) return false;
    }
    if (value < INT32_MIN || value > INT32_MAX) return false;
    out = static_cast<int32_t>(value);
    return true;
}

std::string OneLine(const std::string& value) {
    std::string out = value;
    for (char& c : out) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return out;
}

}  // namespace

namespace {

constexpr char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Sections of up to this many keys are searched key by key: cheaper than an index for the
// short sections that most files are made of.
constexpr size_t kIndexAbove = 8;

}  // namespace

size_t TIniFile::NoCaseHash::operator()(std::string_view text) const {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (const char c : text) {
        h ^= static_cast<unsigned char>(LowerAscii(c));
        h *= 1099511628211ull;
    }
    return static_cast<size_t>(h);
}

bool TIniFile::NoCaseEqual::operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

const TIniFile::Entry* TIniFile::Section::Find(std::string_view key) const {
    if (Entries.size() <= kIndexAbove) {
        for (const Entry& e : Entries) {
            if (NoCaseEqual()(e.Key, key)) return &e;
        }
        return nullptr;
    }
    const auto it = Index.find(key);
    return it == Index.end() ? nullptr : &Entries[it->second];
}

TIniFile::Entry& TIniFile::Section::FindOrAdd(std::string_view key, bool& added) {
    if (const Entry* e = Find(key)) {
        added = false;
        return const_cast<Entry&>(*e);
    }
    added = true;
    Entries.push_back({std::string(key), {}});
    if (Entries.size() > kIndexAbove) {
        if (Index.empty()) {
            for (size_t i = 0; i < Entries.size(); ++i) Index.emplace(Entries[i].Key, i);
        } else {
            Index.emplace(Entries.back().Key, Entries.size() - 1);
        }
    }
    return Entries.back();
}

TIniFile::TIniFile(std::string FileName, Start How, uint64_t MaxBytes)
    : FFileName(std::move(FileName)), FMaxBytes(MaxBytes) {
    if (How == Start::Empty || FFileName.empty()) return;
    // Only a file that is not there gives the defaults to write back; anything else that
    // stands at the name is kept, so a write at the end never replaces what was not read.
    FileBytes bytes;
    FReadFailure = ReadFileToKeep(FFileName, FMaxBytes, bytes);
    if (FReadFailure.empty()) LoadFromText(std::string(bytes.begin(), bytes.end()));
}

void TIniFile::LoadFromText(const std::string& raw) {
    Clear();
    const std::string converted = encoding::LinesText8ToUtf8(raw);
    std::string_view all(converted);
    if (all.size() >= 3 && static_cast<unsigned char>(all[0]) == 0xEF && static_cast<unsigned char>(all[1]) == 0xBB &&
        static_cast<unsigned char>(all[2]) == 0xBF) {
        all.remove_prefix(3);
    }
    Section* current = nullptr;
    int64_t lines = 0;
    size_t pos = 0;
    while (pos <= all.size()) {
        size_t end = all.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view line = encoding::TrimView(all.substr(pos, end - pos));
        if (end < all.size() && all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n') ++end;
        pos = end + 1;
        ++lines;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            const size_t length = close == std::string_view::npos ? std::string_view::npos : close - 1;
            current = &SectionFor(encoding::TrimView(line.substr(1, length)));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos || current == nullptr) continue;
        const std::string_view key = encoding::TrimView(line.substr(0, eq));
        if (key.empty()) continue;
        // The first of duplicate keys wins: later ones are kept out.
        bool added = false;
        Entry& entry = current->FindOrAdd(key, added);
        if (added) entry.Value = encoding::TrimView(line.substr(eq + 1));
    }
    FLineCount = static_cast<int32_t>(std::min<int64_t>(lines, INT32_MAX));
}

std::string TIniFile::ToText() const {
    size_t size = 0;
    for (const Section& s : FSections) {
        size += s.Name.size() + 6;
        for (const Entry& e : s.Entries) size += e.Key.size() + e.Value.size() + 3;
    }
    std::string out;
    out.reserve(size);
    for (const Section& s : FSections) {
        out.append("[").append(s.Name).append("]\r\n");
        for (const Entry& e : s.Entries) out.append(e.Key).append("=").append(e.Value).append("\r\n");
        out.append("\r\n");
    }
    return out;
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
    const auto it = FSectionIndex.find(name);
    return it == FSectionIndex.end() ? nullptr : &FSections[it->second];
}

TIniFile::Section& TIniFile::SectionFor(std::string_view name) {
    const auto it = FSectionIndex.find(name);
    if (it != FSectionIndex.end()) return FSections[it->second];
    FSections.push_back({std::string(name), {}, {}});
    FSectionIndex.emplace(FSections.back().Name, FSections.size() - 1);
    return FSections.back();
}

const TIniFile::Entry* TIniFile::FindEntry(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    return s ? s->Find(key) : nullptr;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const {
    const Entry* e = FindEntry(Section, Key);
    return e ? e->Value : Default;
}

int32_t TIniFile::ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const {
    const Entry* e = FindEntry(Section, Key);
    int32_t value = 0;
    if (e && ParseInt(e->Value, value)) return value;
    return Default;
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const {
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(const std::string& Section) const { return FindSection(Section) != nullptr; }

bool TIniFile::ValueExists(const std::string& Section, const std::string& Key) const {
    return FindEntry(Section, Key) != nullptr;
}

void TIniFile::WriteString(const std::string& SectionName, const std::string& Key, const std::string& Value) {
    // A key or value with leading/trailing blanks would not read back the same; keys are ours.
    bool added = false;
    SectionFor(SectionName).FindOrAdd(Key, added).Value = OneLine(Value);
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Key, int32_t Value) {
    WriteString(Section, Key, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value) {
    WriteString(Section, Key, Value ? "1" : "0");
}

void TIniFile::Clear() {
    FSections.clear();
    FSectionIndex.clear();
    FLineCount = 0;
}

namespace {

// The settings of a folder that takes no new file (no right to create one there) may still be
// kept: the file itself, when it is a regular file that may be written, is rewritten in place.
// Never through a link, and never in a folder that does take new files (there the safe
// writer's failure, a full disk say, must leave the old file as it was). False when this is
// not such a case or the file cannot be written.
bool RewriteInPlace(const std::string& name, const std::string& text) {
    if (::access(ContainingFolder(name).c_str(), W_OK) == 0 || errno != EACCES) return false;
    TUniqueFd fd(::open(name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.IsOpen()) return false;
    struct stat st {};
    bool ok = ::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd.Get(), 0) == 0;
    size_t done = 0;
    while (ok && done < text.size()) {
        const ssize_t put = ::write(fd.Get(), text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        ok = put > 0;
        if (ok) done += static_cast<size_t>(put);
    }
    // A write that fails only when the file is closed is a failed write.
    return fd.Close() == 0 && ok;
}

}  // namespace

void TIniFile::UpdateFile() const {
    if (!FReadFailure.empty()) throw EFileError(FReadFailure);
    const std::string text = ToText();
    if (text.size() > FMaxBytes) {
        throw EFileError("ファイル " + FFileName + " は設定ファイルとしては大きすぎるため書き込めません (" +
                         std::to_string(std::max<uint64_t>(FMaxBytes >> 20, 1)) + " MB まで)。");
    }
    // The program folder is the user's own place (a linked one included); the file goes
    // through the safe writer, so neither a full disk nor a link planted beside it costs the
    // settings already there, and two programs writing at once never share a temporary.
    try {
        WriteWholeFile(FFileName, text, TFolderLink::Follow);
    } catch (const EFileError&) {
        if (!RewriteInPlace(FFileName, text)) throw;
    }
}
