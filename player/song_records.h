// The player's music library in memory: songs and videos, playlists with their smart-playlist
// data, and the loader that owns them and fills them from the player's iTunesDB, its SQLite
// library or a scan of its music folder. Texts are UTF-8; times are in milliseconds, sizes in
// bytes, dates in TDateTime days.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/date_time.h"
#include "foundation/errors.h"
#include "foundation/progress_event.h"

// The tag record of one media file (player/tags/mp3_tag_reader.h).
struct TMP3Tag;
class TFolderReader;

// Raised by the music database (the folder scan names the folder and entry that failed; a
// negative list index names the index).
class TITBException : public ETolvError {
public:
    using ETolvError::ETolvError;
};

// One song or video of the music database.
class TITBSongItem {
public:
    TITBSongItem();

    std::string Location;  // iTunesDB: as stored (":" separators); SQLite: "/iPod_Control/Music/..."
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Genre;
    std::string Comment;
    std::string Kind;
    std::string Equalizer;
    std::string Composer;
    std::string Grouping;
    int32_t Bitrate = 0;  // kbit/s
    int32_t Length = 0;   // ms
    int32_t Size = 0;     // bytes
    int32_t Id = 0;
    int32_t PlayCount = 0;
    int32_t SampleRate = 44100;  // Hz
    uint8_t Rating = 0;          // 0..100
    int32_t Volume = 0;
    int32_t Year = 2000;
    int32_t TrackNumber = 0;
    int32_t TrackCount = 0;
    int32_t DiscNumber = 0;
    int32_t DiscCount = 0;
    TDateTime DateAdded;
    TDateTime DateModified;
    TDateTime ExtraDate;
    TDateTime LastPlayed;
    int64_t DatabaseId = 0;  // the library's own id; the key of the song's artwork
    int32_t ArtworkCount = 0;
    int32_t ArtworkSize = 0;
    bool IsVideo = false;
    bool TransferFailed = false;  // set by the copy to the PC
    int32_t TransferError = 0;
};

// Owning list of songs in the order they were added.
class TITBSongList {
public:
    TITBSongItem* Add();
    void AddItem(std::unique_ptr<TITBSongItem> song);
    // Removes and frees the song; an index outside the list raises TITBException.
    void Delete(int32_t index);
    void Clear();
    int32_t GetCount() const { return static_cast<int32_t>(items_.size()); }
    int32_t GetVideoCount() const;
    // The song at the index; nullptr at or past the end; a negative index raises TITBException.
    TITBSongItem* GetItem(int32_t index) const;
    void Reserve(size_t count) { items_.reserve(count); }

private:
    std::vector<std::unique_ptr<TITBSongItem>> items_;
};

// One rule of a smart playlist: the text of a text rule (empty for other rules).
class TITBSmartPlayListItem {
public:
    std::string Value;
};

// The smart-playlist settings record as stored (nothing in the system interprets it).
struct TITBSmartPlayListPrefs {
    uint8_t Bytes[5] = {0, 0, 0, 0, 0};  // record offsets 24..28
    int32_t Value = 0;                   // offset 32
    uint8_t Tail[2] = {0, 0};            // offsets 36 and 37
};

// The rules of one playlist (empty for an ordinary playlist) and its settings.
class TITBSmartPlayLists {
public:
    TITBSmartPlayListItem* Add();
    void Clear() { items_.clear(); }
    int32_t GetCount() const { return static_cast<int32_t>(items_.size()); }
    TITBSmartPlayListItem* GetItem(int32_t index) const;

    TITBSmartPlayListPrefs Prefs;

private:
    std::vector<std::unique_ptr<TITBSmartPlayListItem>> items_;
};

// One playlist.
class TITBPlayListData {
public:
    int32_t ItemCount = 0;        // as the playlist header declares
    std::vector<int32_t> Tracks;  // track references; no reader fills them
    TITBSmartPlayLists Rules;
    std::string Title;
    int32_t Id = 0;  // low 32 bits of the playlist id
};

// The playlists in file order.
class TITBPlayLists {
public:
    TITBPlayListData* Add();
    void AddItem(std::unique_ptr<TITBPlayListData> playlist);
    void Clear();
    int32_t GetCount() const { return static_cast<int32_t>(items_.size()); }
    // nullptr at or past the end; a negative index raises TITBException.
    TITBPlayListData* GetItem(int32_t index) const;

    int32_t DeclaredCount = 0;  // as the playlist list header declares

private:
    std::vector<std::unique_ptr<TITBPlayListData>> items_;
};

// The music database of one player. The load operations add to what is held; the caller
// clears the loader before a new load.
class TITunesDBLoader {
public:
    TITunesDBLoader() = default;
    TITunesDBLoader(const TITunesDBLoader&) = delete;
    TITunesDBLoader& operator=(const TITunesDBLoader&) = delete;

    int32_t State = 0;                            // type of the iTunesDB section being read
    TITBSongItem* CurrentSong = nullptr;          // not owned
    TITBPlayListData* CurrentPlayList = nullptr;  // not owned
    TTolvProgressEvent OnProgress;
    TITBPlayLists PlayLists;
    TITBSongList Songs;
    int64_t TotalSize = 0;  // bytes
    int64_t TotalTime = 0;  // ms

    void Clear();
    int64_t GetTotalSize() const;
    int64_t GetTotalTime() const;

    // iTunesDB: reads the whole file and walks its chunks. EFileError when it cannot be read.
    void LoadFromFile(const std::string& FileName);
    void ReadChunks(const ByteReader& data);

    // SQLite library: the folder "iTunes Library.itlp" without a trailing "/".
    // ESQLiteException when a database cannot be opened or read.
    void LoadFromSQLite(const std::string& Folder);

    // Scan of the music folder (player/music_folder_scan.cpp). ScanRoot is the drive root (mount
    // point) the song locations are made relative to; "" takes the mount point of each file.
    void LoadFromFolder(const std::string& Folder, const std::string& ScanRoot);
    bool ScanFolder(const std::string& Folder, const std::string& ScanRoot, int64_t& TotalBytes, int32_t& FileCounter);
    // Size in bytes, as the scan found it.
    void AddSongFromFile(const std::string& Path, const std::string& ScanRoot, int32_t Number, int64_t Size);
    TMP3Tag ReadMP3Tag(const std::string& Path);
    static std::string LocationFromPath(const std::string& Path);
    static bool IsInvalidSong(const TITBSongItem& Song);
    void RemoveInvalidSongs();

private:
    void ScanOpenFolder(TFolderReader& reader, const std::string& folder, const std::string& ScanRoot,
                        int64_t& TotalBytes, int32_t& FileCounter);
    void ReadSectionHeader(const ByteReader& data, uint64_t start, uint64_t& next);
    void ReadTrack(const ByteReader& data, uint64_t start);
    void ReadTrackString(const ByteReader& data, uint64_t start, uint64_t& next);
    void ReadPlayList(const ByteReader& data, uint64_t start);
    void ReadPlayListRecord(const ByteReader& data, uint64_t start, uint64_t& next);
    void ReadSmartRule(const ByteReader& data, uint64_t start, uint64_t recordEnd);
};

// Seconds since 1904-01-01 00:00 (the player's clock) as a date-time; no time-zone correction.
TDateTime ItunesDate(uint32_t Seconds);

// Zero-terminated UTF-16LE text to UTF-8, keeping every character (the encoding word of the
// record is not used).
std::string ReadWideText(std::span<const uint8_t> Buffer, int32_t EncodingWord = 0);
// The same for UTF-16BE text (the text of a smart-playlist rule).
std::string ReadWideTextBE(std::span<const uint8_t> Buffer);
