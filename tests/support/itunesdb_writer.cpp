#include "tests/support/itunesdb_writer.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>

#include "foundation/encoding.h"

namespace itdb {

void PutU16(Bytes& b, size_t offset, uint16_t v) {
    if (b.size() < offset + 2) b.resize(offset + 2);
    b[offset] = static_cast<uint8_t>(v);
    b[offset + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(Bytes& b, size_t offset, uint32_t v) {
    if (b.size() < offset + 4) b.resize(offset + 4);
    for (int i = 0; i < 4; ++i) b[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

void PutU64(Bytes& b, size_t offset, uint64_t v) {
    PutU32(b, offset, static_cast<uint32_t>(v));
    PutU32(b, offset + 4, static_cast<uint32_t>(v >> 32));
}

void PutU32BE(Bytes& b, size_t offset, uint32_t v) {
    if (b.size() < offset + 4) b.resize(offset + 4);
    for (int i = 0; i < 4; ++i) b[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * (3 - i)));
}

void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

Bytes Chunk(const char* tag, uint32_t headerLength, const Bytes& children) {
    Bytes b(std::max<uint32_t>(headerLength, 12), 0);
    for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<uint8_t>(tag[i]);
    PutU32(b, 4, headerLength);
    PutU32(b, 8, static_cast<uint32_t>(b.size() + children.size()));
    Append(b, children);
    return b;
}

Bytes FileHeader(const Bytes& sections, uint32_t sectionCount) {
    Bytes b = Chunk("mhbd", 0x68, sections);
    PutU32(b, 12, 1);
    PutU32(b, 16, 0x19);
    PutU32(b, 20, sectionCount);
    return b;
}

Bytes Section(int32_t type, const Bytes& children) {
    Bytes b = Chunk("mhsd", 0x60, children);
    PutU32(b, 12, static_cast<uint32_t>(type));
    return b;
}

Bytes ListHeader(const char* tag, int32_t count) {
    Bytes b = Chunk(tag, 0x5C);
    PutU32(b, 8, static_cast<uint32_t>(count));  // list headers hold their count where others hold a length
    return b;
}

Bytes StringRecordRaw(int32_t type, const Bytes& textBytes, uint32_t claimedLength, uint32_t position) {
    Bytes body(16, 0);  // offsets 24..39 of the record
    PutU32(body, 0, position);
    PutU32(body, 4, claimedLength);
    PutU32(body, 8, 1);  // encoding word: UTF-16
    Append(body, textBytes);
    Bytes b = Chunk("mhod", 0x18, body);
    PutU32(b, 12, static_cast<uint32_t>(type));
    return b;
}

Bytes StringRecord(int32_t type, const std::string& text, uint32_t position) {
    const std::string utf16 = encoding::Utf8ToUtf16Le(text);
    const Bytes bytes(utf16.begin(), utf16.end());
    return StringRecordRaw(type, bytes, static_cast<uint32_t>(bytes.size()), position);
}

Bytes Track(const ItdbSong& s, uint32_t headerLength) {
    Bytes strings;
    uint32_t count = 0;
    const std::pair<int32_t, const std::string*> standard[] = {
        {1, &s.Title}, {2, &s.Location},  {3, &s.Album},   {4, &s.Artist},    {5, &s.Genre},
        {6, &s.Kind},  {7, &s.Equalizer}, {8, &s.Comment}, {12, &s.Composer}, {13, &s.Grouping}};
    for (const auto& [type, text] : standard) {
        if (text->empty()) continue;
        Append(strings, StringRecord(type, *text));
        ++count;
    }
    for (const auto& [type, text] : s.ExtraStrings) {
        Append(strings, StringRecord(type, text));
        ++count;
    }
    // The fields reach to offset 212; a shorter header leaves them to the bytes that follow.
    Bytes header(std::max<uint32_t>(headerLength, 212), 0);
    header[0] = 'm';
    header[1] = 'h';
    header[2] = 'i';
    header[3] = 't';
    PutU32(header, 4, headerLength);
    PutU32(header, 12, count);
    PutU32(header, 16, static_cast<uint32_t>(s.Id));
    PutU32(header, 20, 1);
    PutU32(header, 24, s.FileType);
    header[31] = s.Rating;
    PutU32(header, 32, s.DateModified);
    PutU32(header, 36, static_cast<uint32_t>(s.Size));
    PutU32(header, 40, static_cast<uint32_t>(s.Length));
    PutU32(header, 44, static_cast<uint32_t>(s.TrackNumber));
    PutU32(header, 48, static_cast<uint32_t>(s.TrackCount));
    PutU32(header, 52, static_cast<uint32_t>(s.Year));
    PutU32(header, 56, static_cast<uint32_t>(s.Bitrate));
    PutU32(header, 60, (s.SampleRate << 16) | s.SampleRateLow);
    PutU32(header, 64, static_cast<uint32_t>(s.Volume));
    PutU32(header, 80, static_cast<uint32_t>(s.PlayCount));
    PutU32(header, 88, s.LastPlayed);
    PutU32(header, 92, static_cast<uint32_t>(s.DiscNumber));
    PutU32(header, 96, static_cast<uint32_t>(s.DiscCount));
    PutU32(header, 104, s.DateAdded);
    PutU32(header, 108, s.ExtraDate);
    PutU64(header, 112, static_cast<uint64_t>(s.DatabaseId));
    PutU16(header, 124, s.ArtworkCount);
    PutU32(header, 128, static_cast<uint32_t>(s.ArtworkSize));
    PutU32(header, 208, s.MediaType);
    if (headerLength < 212) header.resize(std::max<uint32_t>(headerLength, 12));
    PutU32(header, 8, static_cast<uint32_t>(header.size() + strings.size()));
    Append(header, strings);
    return header;
}

Bytes SmartPrefsRecord(const ItdbSmartPrefs& p) {
    Bytes body(72, 0);
    body[0] = p.LiveUpdate;
    body[1] = p.CheckRules;
    body[2] = p.CheckLimits;
    body[3] = p.LimitType;
    body[4] = p.LimitSort;
    PutU32(body, 8, static_cast<uint32_t>(p.LimitValue));
    body[12] = p.MatchChecked;
    body[13] = p.ReverseSort;
    Bytes b = Chunk("mhod", 0x18, body);
    PutU32(b, 12, 50);
    return b;
}

namespace {

bool IsTextField(uint32_t field) {
    switch (field) {
        case 2:
        case 3:
        case 4:
        case 8:
        case 9:
        case 14:
        case 15:
        case 18:
        case 39: return true;
        default: return false;
    }
}

}  // namespace

// Smart rules are big-endian on the player, text included.
Bytes SmartRulesRecord(const std::vector<ItdbSmartRule>& rules) {
    Bytes body(136, 0);
    body[0] = 'S';
    body[1] = 'L';
    body[2] = 's';
    body[3] = 't';
    PutU32BE(body, 4, 0x00010000);
    PutU32BE(body, 8, static_cast<uint32_t>(rules.size()));
    PutU32BE(body, 12, 0);  // all rules must match
    for (const ItdbSmartRule& rule : rules) {
        Bytes r(56, 0);
        PutU32BE(r, 0, rule.Field);
        PutU32BE(r, 4, rule.Action);
        Bytes data;
        if (IsTextField(rule.Field)) {
            const std::string text = encoding::Utf8ToUtf16Be(rule.Text);
            data.assign(text.begin(), text.end());
        } else {
            data.assign(0x44, 0);
            PutU32BE(data, 4, static_cast<uint32_t>(rule.FromValue));
            PutU32BE(data, 12, 1);
        }
        PutU32BE(r, 52, static_cast<uint32_t>(data.size()));
        Append(body, r);
        Append(body, data);
    }
    Bytes b = Chunk("mhod", 0x18, body);
    PutU32(b, 12, 51);
    return b;
}

Bytes PlayList(const ItdbPlayList& p) {
    Bytes children;
    uint32_t records = 0;
    Append(children, StringRecord(1, p.Title));
    ++records;
    if (p.Smart) {
        Append(children, SmartPrefsRecord(p.Prefs));
        Append(children, SmartRulesRecord(p.Rules));
        records += 2;
    }
    for (size_t i = 0; i < p.TrackIds.size(); ++i) {
        Bytes position = StringRecord(100, "", static_cast<uint32_t>(i + 1));
        Bytes item = Chunk("mhip", 0x4C, position);
        PutU32(item, 12, 1);
        PutU32(item, 24, static_cast<uint32_t>(p.TrackIds[i]));
        Append(children, item);
    }
    Bytes b = Chunk("mhyp", 0x6C, children);
    PutU32(b, 12, records);
    PutU32(b, 16, static_cast<uint32_t>(p.TrackIds.size()));
    PutU32(b, 20, p.Master ? 1 : 0);
    PutU64(b, 28, static_cast<uint64_t>(p.Id));
    return b;
}

}  // namespace itdb

std::vector<uint8_t> BuildITunesDB(const ItdbDatabase& db) {
    using namespace itdb;
    Bytes tracks = ListHeader("mhlt", static_cast<int32_t>(db.Songs.size()));
    for (const ItdbSong& song : db.Songs) Append(tracks, Track(song));
    Bytes sections = Section(1, tracks);
    uint32_t sectionCount = 1;

    Bytes lists = ListHeader("mhlp", static_cast<int32_t>(db.PlayLists.size()));
    for (const ItdbPlayList& p : db.PlayLists) Append(lists, PlayList(p));
    Append(sections, Section(2, lists));
    ++sectionCount;

    if (db.AlbumSection) {
        std::set<std::string> names;
        for (const ItdbSong& song : db.Songs) names.insert(song.Album);
        Bytes albums = ListHeader("mhla", static_cast<int32_t>(names.size()));
        int32_t id = 1;
        for (const std::string& name : names) {
            Bytes album = Chunk("mhia", 0x58, StringRecord(200, name));
            PutU32(album, 12, 1);
            PutU32(album, 16, static_cast<uint32_t>(id++));
            Append(albums, album);
        }
        Append(sections, Section(4, albums));
        ++sectionCount;
    }
    return FileHeader(sections, sectionCount);
}

std::string WriteITunesDB(const std::string& path, const ItdbDatabase& db) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const std::vector<uint8_t> bytes = BuildITunesDB(db);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
}

std::string WriteITunesDBToPlayer(const std::string& root, const ItdbDatabase& db) {
    return WriteITunesDB(root + "/iPod_Control/iTunes/iTunesDB", db);
}
