#include "organiser/organiser_files.h"

#include <utility>

#include "foundation/encoding.h"
#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"

namespace {

// Each record's keys and the fields they fill, in the order a record is written (a new key goes
// in after "version", so the order decides the file's lines). Reading and writing share the
// table, so a key can never be read under one spelling and written under another.
template <class Record>
struct TRecordKey {
    const char* Key;
    std::string Record::*Field;
};

constexpr TRecordKey<TIpodVCF> kContactKeys[] = {
    {"FN", &TIpodVCF::FN},
    {"N", &TIpodVCF::N},
    {"TITLE", &TIpodVCF::Title},
    {"ORG", &TIpodVCF::Org},
    {"NOTE", &TIpodVCF::Note},
    {"url;type=work", &TIpodVCF::Url},
    {"adr;type=home", &TIpodVCF::AdrHome},
    {"adr;type=work;type=pref", &TIpodVCF::AdrWork},
    {"tel;type=home", &TIpodVCF::TelHome},
    {"tel;type=work", &TIpodVCF::TelWork},
    {"tel;type=cell", &TIpodVCF::TelCell},
    {"EMAIL;PREF;INTERNET", &TIpodVCF::Email},
};

constexpr TRecordKey<TIpodVCal> kEventKeys[] = {
    {"SUMMARY", &TIpodVCal::Summary}, {"DTSTART", &TIpodVCal::DtStart},         {"DTEND", &TIpodVCal::DtEnd},
    {"DALARM", &TIpodVCal::DAlarm},   {"CATEGORIES", &TIpodVCal::Categories},   {"PRIORITY", &TIpodVCal::Priority},
    {"CLASS", &TIpodVCal::Class},     {"DESCRIPTION", &TIpodVCal::Description},
};

// The key of a line (trimmed text before the first ":"), or false for a line without ":".
bool SplitKeyLine(const std::string& line, std::string_view* key, std::string_view* value) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    const std::string_view view(line);
    *key = encoding::TrimView(view.substr(0, colon));
    *value = view.substr(colon + 1);
    return true;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Shared line machinery

TTolvKeyLineFile::TTolvKeyLineFile(const std::string& FileName, std::vector<std::string> NewFileLines, bool ContactText)
    : FFileName(FileName) {
    if (!EntryExists(FileName)) {
        FLines = std::move(NewFileLines);
        return;
    }
    const FileBytes bytes = ReadPlayerFile(FileName, kOrganiserFileLimit);
    std::string text(bytes.begin(), bytes.end());
    // A contact file made on a Japanese Windows system is in code page 932.
    if (ContactText) text = encoding::Text8ToUtf8(text);
    FLines = SplitLines(text);
    FLoaded = true;
}

void TTolvKeyLineFile::SetValidity(bool Valid, const char* Marker) {
    FInvalid = FLoaded && !Valid;
    FMarker = Marker;
}

void TTolvKeyLineFile::Save() { WriteWholeFile(FFileName, JoinLines(FLines)); }

int TTolvKeyLineFile::FindKey(const std::string& Key, std::string* Raw) const {
    const std::string_view wanted = Key;
    for (size_t i = 0; i < FLines.size(); ++i) {
        std::string_view key, value;
        if (!SplitKeyLine(FLines[i], &key, &value)) continue;
        if (SameText(key, wanted)) {
            if (Raw) Raw->assign(value);
            return static_cast<int>(i);
        }
    }
    if (Raw) Raw->clear();
    return -1;
}

std::string TTolvKeyLineFile::RawValue(const std::string& Key) const {
    std::string value;
    FindKey(Key, &value);
    return value;
}

// ---------------------------------------------------------------------------------------------
// Contact

TTolvVCF::TTolvVCF(const std::string& FileName)
    : TTolvKeyLineFile(FileName, {"BEGIN:vcard", "VERSION:3.0", "END:vcard"}, true) {
    SetValidity(IsValid(), kInvalidVCardMarker);
}

std::string TTolvVCF::GetValue(const std::string& Key) const { return RawValue(Key); }

int TTolvVCF::IndexOfKey(const std::string& Key) const { return FindKey(Key, nullptr); }

bool TTolvVCF::IsValid() const {
    return encoding::AsciiLower(GetValue("begin")) == "vcard" && !GetValue("version").empty() &&
           encoding::AsciiLower(GetValue("end")) == "vcard";
}

int TTolvVCF::SetValue(const std::string& Key, const std::string& Value) {
    if (encoding::TrimView(Value).empty()) return -1;
    const std::string line = Key + ":" + Value;
    const int index = IndexOfKey(Key);
    if (index >= 0) {
        FLines[static_cast<size_t>(index)] = line;
        return index;
    }
    const int at = IndexOfKey("version") + 1;
    FLines.insert(FLines.begin() + at, line);
    return at;
}

void TTolvVCF::ReadContact(TIpodVCF& C) const {
    for (const auto& [key, field] : kContactKeys) C.*field = GetValue(key);
}

void TTolvVCF::WriteContact(const TIpodVCF& C) {
    for (const auto& [key, field] : kContactKeys) SetValue(key, C.*field);
}

// ---------------------------------------------------------------------------------------------
// Event and to-do frame

TTolvVCalBase::TTolvVCalBase(const std::string& FileName, const char* BlockName)
    : TTolvKeyLineFile(FileName,
                       {"BEGIN:vcalender", "VERSION:2.0", std::string("BEGIN:") + BlockName,
                        std::string("END:") + BlockName, "END:vcalender"},
                       false),
      FBlockName(BlockName) {
    SetValidity(IsValid(), kInvalidVCalMarker);
}

std::string TTolvVCalBase::GetValue(const std::string& Key) const {
    std::string raw = RawValue(Key);
    if (!encoding::IsValidUtf8(raw)) return std::string();
    return raw;
}

bool TTolvVCalBase::IsValid() const {
    return encoding::AsciiLower(GetValue("begin")) == "vcalender" && !GetValue("version").empty();
}

int TTolvVCalBase::IndexOfKeyValue(const std::string& Key, const std::string& Value) const {
    const std::string_view wanted_key = Key;
    const std::string_view wanted_value = encoding::TrimView(Value);
    for (size_t i = 0; i < FLines.size(); ++i) {
        std::string_view key, value;
        if (!SplitKeyLine(FLines[i], &key, &value)) continue;
        if (!SameText(key, wanted_key)) continue;
        if (Value.empty() || SameText(encoding::TrimView(value), wanted_value)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TTolvVCalBase::SetValue(const std::string& Key, const std::string& Value) {
    const int index = IndexOfKeyValue(Key, "");
    if (encoding::TrimView(Value).empty()) {
        if (index >= 0) FLines.erase(FLines.begin() + index);
        return -1;
    }
    // A value handed in by the caller: anything that is not UTF-8 is replaced, so a line
    // written here always reads back.
    std::string line = encoding::RepairUtf8(Key + ":" + Value);
    if (index >= 0) {
        FLines[static_cast<size_t>(index)] = std::move(line);
        return index;
    }
    const int at = IndexOfKeyValue("begin", FBlockName) + 1;
    FLines.insert(FLines.begin() + at, std::move(line));
    return at;
}

TTolvVCal::TTolvVCal(const std::string& FileName) : TTolvVCalBase(FileName, "vevent") {}

void TTolvVCal::ReadEvent(TIpodVCal& E) const {
    E.Flag = 0;
    for (const auto& [key, field] : kEventKeys) E.*field = GetValue(key);
}

void TTolvVCal::WriteEvent(const TIpodVCal& E) {
    for (const auto& [key, field] : kEventKeys) SetValue(key, E.*field);
}

TTolvVTodo::TTolvVTodo(const std::string& FileName) : TTolvVCalBase(FileName, "vtodo") {}

void TTolvVTodo::ReadTask(TVTodoObj& T) const {
    T.Summary = GetValue("SUMMARY");
    T.Due = GetValue("DTEND");
    T.Description = GetValue("DESCRIPTION");
}

void TTolvVTodo::WriteTask(const TVTodoObj& T) {
    SetValue("SUMMARY", T.Summary);
    SetValue("DTSTART", T.Due);
    SetValue("DTEND", T.Due);
    SetValue("DESCRIPTION", T.Description);
}
