// A small writer of iTunesDB files for tests, the sample player and the benchmark. It writes
// the chunks the player's reader takes (file header, track, playlist and album sections,
// string records, smart-playlist settings and rules) in the layout players use; the chunk
// helpers let a test build odd or broken files chunk by chunk. Lengths are in bytes; dates in
// seconds since 1904-01-01; texts are UTF-8 in, UTF-16 out.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One track with every field the reader takes.
struct ItdbSong {
    std::string Title, Location, Album, Artist, Genre, Kind, Equalizer, Comment, Composer, Grouping;
    int32_t Id = 0;
    uint32_t FileType = 0x4D503320;  // "MP3 " as a little-endian word; 0x4D345620 for an MPEG-4 video
    uint8_t Rating = 0;
    uint32_t DateModified = 0;
    int32_t Size = 0;
    int32_t Length = 0;  // ms
    int32_t TrackNumber = 0, TrackCount = 0, Year = 0, Bitrate = 0;
    uint32_t SampleRate = 44100;  // stored in the upper 16 bits of its word
    uint16_t SampleRateLow = 0;   // whatever the lower 16 bits hold
    int32_t Volume = 0, PlayCount = 0;
    uint32_t LastPlayed = 0;
    int32_t DiscNumber = 0, DiscCount = 0;
    uint32_t DateAdded = 0, ExtraDate = 0;
    int64_t DatabaseId = 0;
    uint16_t ArtworkCount = 0;
    int32_t ArtworkSize = 0;
    uint32_t MediaType = 1;  // 1 audio, 2 video, 4 podcast, ...
    // Further string records after the standard ones: (type, text).
    std::vector<std::pair<int32_t, std::string>> ExtraStrings;
};

struct ItdbSmartRule {
    uint32_t Field = 2;            // 2 song name, 4 artist, ...; text rules carry Text
    uint32_t Action = 0x01000002;  // "contains"
    std::string Text;              // written as UTF-16BE for text fields
    uint64_t FromValue = 0;        // the number of a numeric rule
};

struct ItdbSmartPrefs {
    uint8_t LiveUpdate = 1, CheckRules = 1, CheckLimits = 0, LimitType = 0, LimitSort = 0;
    int32_t LimitValue = 0;
    uint8_t MatchChecked = 0, ReverseSort = 0;
};

struct ItdbPlayList {
    std::string Title;
    int64_t Id = 0;
    bool Master = false;
    std::vector<int32_t> TrackIds;  // one playlist item each; the header declares their count
    bool Smart = false;
    ItdbSmartPrefs Prefs;
    std::vector<ItdbSmartRule> Rules;
};

struct ItdbDatabase {
    std::vector<ItdbSong> Songs;
    std::vector<ItdbPlayList> PlayLists;
    bool AlbumSection = false;  // a section of type 4 with one album per distinct album text
};

// The whole file.
std::vector<uint8_t> BuildITunesDB(const ItdbDatabase& db);
// Writes the file (creating its folders); returns the path.
std::string WriteITunesDB(const std::string& path, const ItdbDatabase& db);
// root + "/iPod_Control/iTunes/iTunesDB".
std::string WriteITunesDBToPlayer(const std::string& root, const ItdbDatabase& db);

// ---- chunk helpers for building odd files ----
namespace itdb {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes& b, size_t offset, uint16_t v);
void PutU32(Bytes& b, size_t offset, uint32_t v);
void PutU64(Bytes& b, size_t offset, uint64_t v);
void PutU32BE(Bytes& b, size_t offset, uint32_t v);
void Append(Bytes& to, const Bytes& from);

// A chunk header of `headerLength` zero bytes with tag, header length and (at 8) total length
// = header + children, followed by the children.
Bytes Chunk(const char* tag, uint32_t headerLength, const Bytes& children = {});
// "mhbd" with the sections.
Bytes FileHeader(const Bytes& sections, uint32_t sectionCount);
// "mhsd" of the type holding the children.
Bytes Section(int32_t type, const Bytes& children);
// "mhlt"/"mhlp"/"mhla" list header with its count.
Bytes ListHeader(const char* tag, int32_t count);
// A string record ("mhod") of the type with UTF-16LE text; `position` at offset 24.
Bytes StringRecord(int32_t type, const std::string& text, uint32_t position = 1);
// A string record whose text-length word claims `claimedLength` but carries `text`.
Bytes StringRecordRaw(int32_t type, const Bytes& textBytes, uint32_t claimedLength, uint32_t position = 1);
// A track ("mhit") with its string records.
Bytes Track(const ItdbSong& song, uint32_t headerLength = 0x184);
// A playlist ("mhyp") with its title, smart records and items.
Bytes PlayList(const ItdbPlayList& playlist);
Bytes SmartPrefsRecord(const ItdbSmartPrefs& prefs);
Bytes SmartRulesRecord(const std::vector<ItdbSmartRule>& rules);

}  // namespace itdb
