// The player checker: decides whether a mounted volume is a player, and for the player found
// gathers its disk sizes (bytes), the count and total size (bytes) of the media files of its
// music folder, the paths of its files, the model (from SysInfo and the model table
// "Tessmar.MCD"), the names of its DeviceInfo file and the capability flags that decide which
// pages the main window offers. Paths are "/"-separated and found without regard to case.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/ini_file.h"
#include "foundation/progress_event.h"

class TFolderReader;

class EPlayerCheckError : public ETolvError {
public:
    using ETolvError::ETolvError;
};

// How much of SysInfo is read (bytes): the real file is about a kilobyte of "key: value" lines.
inline constexpr uint64_t kSysInfoLimit = 64u << 10;

// Where the shipped model table is, found as every shipped file is (FindShippedFile): the
// program folder, beside the executable, then ../share/harrowin beside it; the path in the
// program folder when none exists.
std::string FindModelTableFile();

class TMPlayerChecker {
public:
    // Reads the model table found by FindModelTableFile.
    TMPlayerChecker();
    // Reads the model table from the given file (a missing file gives an empty table).
    explicit TMPlayerChecker(const std::string& ModelTableFile);

    TIniFile ModelTable;
    TTolvProgressEvent OnProgress;
    std::string DriveRoot;
    int64_t DiskTotal = 0, DiskFree = 0, DiskUsed = 0;  // bytes
    int32_t SongCount = 0;
    int64_t SongBytes = 0;  // bytes
    std::string MusicPath, NotesPath, ContactsPath, CalendarsPath, LibraryPath, DatabasePath, PhotoDatabasePath,
        ArtworkDatabasePath, SysInfoPath, LockedPath, UnlockedPath;
    bool HasSongs = false, HasNotes = false, HasContacts = false, HasCalendar = false, HasPhotos = false,
         HasToDo = false, HasVideos = false;
    uint8_t ModelClass = 0;  // 1..5 by family
    std::string ModelName, PlayerName, Owner, Host, Serial, ModelNumber, ModelKind, Generation, Family, Region,
        Software, Capacity;

    void Reset();
    // True when the root's volume is removable or a network volume and Check succeeds.
    bool IsPlayerDrive(const std::string& Root);
    // Root ends in "/". False (and nothing changed) when the root holds no iTunesDB.
    bool Check(const std::string& Root);
    bool ReadDiskData(const std::string& Root);
    // Adds the media files of the folder and its sub-folders; EPlayerCheckError naming the
    // folder when it cannot be listed.
    bool CountSongs(const std::string& Folder, int64_t& Bytes, int32_t& Count);
    // The model table lookup for a model number (e.g. "xA623"); sets the model fields and
    // capabilities and returns the model name.
    std::string ReadModel(const std::string& Number);

    // SysInfo: "key: value" lines turned into an INI under "[iPod]"; only its first
    // kSysInfoLimit bytes are read.
    std::vector<std::string> LoadSysInfo(const std::string& FileName) const;
    static std::vector<std::string> SysInfoToIni(const std::vector<std::string>& Lines);
    void ReadSysInfo(const std::vector<std::string>& IniLines);
    // DeviceInfo: four UTF-16LE records in 512-byte slots.
    void ReadDeviceInfo(const std::string& FileName);
    // The record of one slot (0..3) of DeviceInfo bytes; a count beyond the slot is cut at its end.
    static std::string DeviceInfoRecord(std::span<const uint8_t> Data, int Slot);

private:
    void Progress(const std::string& text) const;
    void CountFolder(TFolderReader& reader, const std::string& Folder, int64_t& Bytes, int32_t& Count);
};

// Case-insensitive check for the media extensions the song count takes.
bool IsMediaFileName(const std::string& name);
