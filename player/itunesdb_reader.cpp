// The iTunesDB chunk walk. The file is a tree of chunks, walked here as a flat sequence: the
// section type says what the following chunks mean, and string records apply to the song or
// playlist read last. Every length in the file is untrusted: the walk only moves forward and
// reads through ByteReader, so a broken file ends it quietly with what was read.
#include <string>

#include "foundation/byte_reader.h"
#include "foundation/encoding.h"
#include "foundation/file_read.h"
#include "player/song_records.h"

namespace {

// A header length from here on ends the walk (the player never writes headers this long).
constexpr uint32_t kMaxHeaderLength = 65535;
constexpr uint32_t kMaxTextLength = 65535;
// The oldest track header the player writes is this long; a shorter one ends the walk, as
// without this floor a file of tiny track chunks would make a song of every few bytes.
constexpr uint32_t kMinTrackHeader = 156;
// The largest database read (bytes), far above that of any player's full library.
constexpr uint64_t kMaxDatabaseBytes = 256u << 20;

enum : int32_t { kSectionTracks = 1, kSectionPlayLists = 2, kSectionAlbums = 4 };

// Track string record types and the fields they fill.
std::string* TrackStringField(TITBSongItem& song, int32_t type) {
    switch (type) {
        case 1: return &song.Title;
        case 2: return &song.Location;
        case 3: return &song.Album;
        case 4: return &song.Artist;
        case 5: return &song.Genre;
        case 6: return &song.Kind;
        case 7: return &song.Equalizer;
        case 8: return &song.Comment;
        case 12: return &song.Composer;
        case 13: return &song.Grouping;
        default: return nullptr;
    }
}

bool IsVideoTrack(uint32_t mediaType, uint32_t fileType) {
    switch (mediaType) {
        case 2:
        case 6:
        case 32:
        case 64:
        case 96: return true;
        case 0:
        case 1:
        case 4:
        case 8: return false;
        default: return fileType == 0x4D345620u;  // the bytes "\x20V4M" of an MPEG-4 video
    }
}

// Smart rules whose field is a text (song name, album, artist, genre, kind, comment,
// composer, grouping): their data is the rule's text.
bool IsTextRule(uint32_t field) {
    switch (field) {
        case 2:
        case 3:
        case 4:
        case 8:
        case 9:
        case 15:
        case 18:
        case 39: return true;
        default: return false;
    }
}

}  // namespace

TDateTime ItunesDate(uint32_t Seconds) { return static_cast<double>(Seconds) / 86400.0 + kDaysTo1904; }

// A text of odd length is cut inside its last unit: that byte meets the padding zero.
std::string ReadWideText(std::span<const uint8_t> Buffer, int32_t) {
    return encoding::Utf16UpToZero(Buffer, encoding::ByteOrder::Little, encoding::OddLastByte::ZeroPadded);
}

std::string ReadWideTextBE(std::span<const uint8_t> Buffer) {
    return encoding::Utf16UpToZero(Buffer, encoding::ByteOrder::Big, encoding::OddLastByte::ZeroPadded);
}

void TITunesDBLoader::LoadFromFile(const std::string& FileName) {
    const FileBytes data = ReadPlayerFile(FileName, kMaxDatabaseBytes);
    ReadChunks(ByteReader(data));
}

void TITunesDBLoader::ReadChunks(const ByteReader& data) {
    uint64_t position = 0;
    State = 0;
    CurrentSong = nullptr;
    CurrentPlayList = nullptr;
    // Every track takes at least a minimal header of the file, so no more songs than that.
    const int32_t songLimit = Songs.GetCount() + static_cast<int32_t>(data.Size() / kMinTrackHeader);
    while (position < data.Size()) {
        const uint64_t start = position;
        // The length is taken unsigned, so a "negative" one is simply too long and ends the walk.
        const uint32_t headerLength = data.U32LE(start + 4);
        if (headerLength >= kMaxHeaderLength) break;
        uint64_t length = headerLength;

        const bool isSection = data.Matches(start, "mhsd");
        if (isSection) {
            ReadSectionHeader(data, start, length);
        } else if (State == kSectionTracks) {
            if (data.Matches(start, "mhit")) {
                if (Songs.GetCount() >= songLimit) break;
                CurrentSong = Songs.Add();
                ReadTrack(data, start);
                // A header shorter than any the player writes is read as one of length 0 is:
                // the track is taken, then the walk ends.
                if (headerLength < kMinTrackHeader) length = 0;
            } else if (data.Matches(start, "mhod")) {
                ReadTrackString(data, start, length);
            }
        } else if (State == kSectionPlayLists) {
            if (data.Matches(start, "mhyp")) {
                CurrentPlayList = PlayLists.Add();
                ReadPlayList(data, start);
            } else if (data.Matches(start, "mhlp")) {
                PlayLists.DeclaredCount = data.I32LE(start + 8);
            } else if (data.Matches(start, "mhod")) {
                ReadPlayListRecord(data, start, length);
            }
        } else if (State == kSectionAlbums) {
            if (data.Matches(start, "mhod")) ReadTrackString(data, start, length);
        }

        if (length == 0) break;
        position = start + length;
    }
    TotalSize = GetTotalSize();
    TotalTime = GetTotalTime();
}

void TITunesDBLoader::ReadSectionHeader(const ByteReader& data, uint64_t start, uint64_t& next) {
    const uint32_t total = data.U32LE(start + 8);
    const int32_t type = data.I32LE(start + 12);
    if (type != kSectionTracks && type != kSectionPlayLists && type != kSectionAlbums) next = total;
    State = type;
}

void TITunesDBLoader::ReadTrack(const ByteReader& data, uint64_t start) {
    TITBSongItem& song = *CurrentSong;
    song.Id = data.I32LE(start + 16);
    const uint32_t fileType = data.U32LE(start + 24);
    song.Rating = data.U8(start + 31);
    song.DateModified = ItunesDate(data.U32LE(start + 32));
    song.Size = data.I32LE(start + 36);
    song.Length = data.I32LE(start + 40);
    song.TrackNumber = data.I32LE(start + 44);
    song.TrackCount = data.I32LE(start + 48);
    song.Year = data.I32LE(start + 52);
    song.Bitrate = data.I32LE(start + 56);
    song.SampleRate = static_cast<int32_t>(data.U32LE(start + 60) >> 16);
    song.Volume = data.I32LE(start + 64);
    song.PlayCount = data.I32LE(start + 80);
    song.LastPlayed = ItunesDate(data.U32LE(start + 88));
    song.DiscNumber = data.I32LE(start + 92);
    song.DiscCount = data.I32LE(start + 96);
    song.DateAdded = ItunesDate(data.U32LE(start + 104));
    song.ExtraDate = ItunesDate(data.U32LE(start + 108));
    song.DatabaseId = data.I64LE(start + 112);
    song.ArtworkCount = data.U16LE(start + 124);
    song.ArtworkSize = data.I32LE(start + 128);
    song.IsVideo = IsVideoTrack(data.U32LE(start + 208), fileType);
}

void TITunesDBLoader::ReadTrackString(const ByteReader& data, uint64_t start, uint64_t& next) {
    next = data.U32LE(start + 8);
    if (data.U32LE(start + 24) == 100) return;  // a position record, no text
    const int32_t type = data.I32LE(start + 12);
    const uint32_t length = data.U32LE(start + 28);
    if (CurrentSong == nullptr || length > kMaxTextLength) return;
    std::string* field = TrackStringField(*CurrentSong, type);
    if (field == nullptr) return;
    *field = ReadWideText(data.Bytes(start + 40, length));
}

void TITunesDBLoader::ReadPlayList(const ByteReader& data, uint64_t start) {
    CurrentPlayList->ItemCount = data.I32LE(start + 16);
    CurrentPlayList->Id = data.I32LE(start + 28);
}

void TITunesDBLoader::ReadPlayListRecord(const ByteReader& data, uint64_t start, uint64_t& next) {
    const uint32_t total = data.U32LE(start + 8);
    next = total;
    if (CurrentPlayList == nullptr) return;
    const int32_t type = data.I32LE(start + 12);
    if (type < 50) {
        const uint32_t length = data.U32LE(start + 28);
        if (length > kMaxTextLength) return;
        CurrentPlayList->Title = ReadWideText(data.Bytes(start + 40, length));
    } else if (type == 50) {
        TITBSmartPlayListPrefs& prefs = CurrentPlayList->Rules.Prefs;
        for (int i = 0; i < 5; ++i) prefs.Bytes[i] = data.U8(start + 24 + static_cast<uint64_t>(i));
        prefs.Value = data.I32LE(start + 32);
        prefs.Tail[0] = data.U8(start + 36);
        prefs.Tail[1] = data.U8(start + 37);
    } else if (type == 51) {
        ReadSmartRule(data, start, start + total);
    }
}

// The rules record holds a 136-byte header and then the rules. Unlike the rest of the file a
// rule is big-endian: its field kind, its data length and its UTF-16 text. Only the first rule
// is read; its text never reaches past the record.
void TITunesDBLoader::ReadSmartRule(const ByteReader& data, uint64_t start, uint64_t recordEnd) {
    TITBSmartPlayListItem* item = CurrentPlayList->Rules.Add();
    const uint64_t rule = start + 24 + 136;
    const uint32_t field = data.U32BE(rule);
    if (!IsTextRule(field)) return;
    const uint64_t textStart = rule + 56;
    uint64_t length = data.U32BE(rule + 52);
    if (recordEnd <= textStart) {
        length = 0;
    } else if (length > recordEnd - textStart) {
        length = recordEnd - textStart;
    }
    item->Value = ReadWideTextBE(data.Bytes(textStart, length));
}
