#include "foundation/ini_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/names.h"

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return encoding::AsciiLower(a) == encoding::AsciiLower(b);
}

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

TIniFile::TIniFile(std::string FileName) : FFileName(std::move(FileName)) {
    std::ifstream in(FFileName, std::ios::binary);
    if (!in) return;
    std::ostringstream buf;
    buf << in.rdbuf();
    LoadFromText(buf.str());
}

void TIniFile::LoadFromText(const std::string& raw) {
    FSections.clear();
    std::string text = encoding::IsValidUtf8(raw) ? raw : encoding::Cp932ToUtf8(raw);
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) {
        text.erase(0, 3);
    }
    Section* current = nullptr;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = encoding::Trim(std::string_view(text).substr(pos, end - pos));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            std::string name = encoding::Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            current = &SectionFor(name);
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos || current == nullptr) continue;
        std::string key = encoding::Trim(line.substr(0, eq));
        if (key.empty()) continue;
        // The first of duplicate keys wins: later ones are kept out.
        bool seen = false;
        for (const Entry& e : current->Entries) {
            if (SameText(e.Key, key)) { seen = true; break; }
        }
        if (!seen) current->Entries.push_back({key, encoding::Trim(line.substr(eq + 1))});
    }
}

std::string TIniFile::ToText() const {
    std::string out;
    for (const Section& s : FSections) {
        out += "[" + s.Name + "]\r\n";
        for (const Entry& e : s.Entries) out += e.Key + "=" + e.Value + "\r\n";
        out += "\r\n";
    }
    return out;
}

const TIniFile::Section* TIniFile::FindSection(const std::string& name) const {
    for (const Section& s : FSections) {
        if (SameText(s.Name, name)) return &s;
    }
    return nullptr;
}

TIniFile::Section& TIniFile::SectionFor(const std::string& name) {
    for (Section& s : FSections) {
        if (SameText(s.Name, name)) return s;
    }
    FSections.push_back({name, {}});
    return FSections.back();
}

const TIniFile::Entry* TIniFile::FindEntry(const std::string& section, const std::string& key) const {
    const Section* s = FindSection(section);
    if (!s) return nullptr;
    for (const Entry& e : s->Entries) {
        if (SameText(e.Key, key)) return &e;
    }
    return nullptr;
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
    Section& s = SectionFor(SectionName);
    // A key or value with leading/trailing blanks would not read back the same; keys are ours.
    std::string value = OneLine(Value);
    for (Entry& e : s.Entries) {
        if (SameText(e.Key, Key)) {
            e.Value = value;
            return;
        }
    }
    s.Entries.push_back({Key, value});
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Key, int32_t Value) {
    WriteString(Section, Key, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value) {
    WriteString(Section, Key, Value ? "1" : "0");
}

void TIniFile::Clear() { FSections.clear(); }

namespace {

// Writes text to name; false (errno set) when it cannot be written whole.
bool WriteWhole(const std::string& name, const std::string& text) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return false;
    const size_t written = std::fwrite(text.data(), 1, text.size(), f);
    const int saved = errno;
    const bool closed = std::fclose(f) == 0;
    if (written != text.size()) errno = saved;
    return written == text.size() && closed;
}

}  // namespace

void TIniFile::UpdateFile() const {
    const std::string text = ToText();
    // A full disk must not cost the settings that are already there: the new text goes to a
    // file beside the old one and replaces it only once it is written whole.
    const std::string temp = FFileName + ".new";
    if (WriteWhole(temp, text)) {
        if (std::rename(temp.c_str(), FFileName.c_str()) == 0) return;
    }
    const int failed = errno;
    std::remove(temp.c_str());
    // A folder that takes no new file may still hold a writable file of ours.
    if (failed == EACCES || failed == EROFS || failed == EPERM) {
        std::FILE* probe = std::fopen(FFileName.c_str(), "r+b");
        if (probe) {
            std::fclose(probe);
            if (WriteWhole(FFileName, text)) return;
        }
    }
    throw EFileError("ファイル " + FFileName + " を書き込めません: " + SysErrorText(failed));
}
