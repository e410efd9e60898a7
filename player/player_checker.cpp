#include "player/player_checker.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "foundation/byte_reader.h"
#include "foundation/drives.h"
#include "foundation/encoding.h"
#include "foundation/file_read.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "foundation/program_folder.h"
#include "foundation/string_list.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaultModelLine = "4G,不明なiPod,不明な種類,不明な世代,不明な容量,";
constexpr size_t kDeviceInfoSlot = 512;

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace

std::string FindModelTableFile() { return FindShippedFile("Tessmar.MCD"); }

bool IsMediaFileName(const std::string& name) {
    const std::string ext = encoding::AsciiLower(ExtensionOf(name));
    if (ext.empty()) return false;
    static const char* const kExtensions[] = {".mp3", ".wma", ".m4a", ".aac", ".wav", ".ogg", ".aif", ".m4b", ".m4p"};
    for (const char* known : kExtensions) {
        if (ext == known) return true;
    }
    return false;
}

TMPlayerChecker::TMPlayerChecker() : TMPlayerChecker(FindModelTableFile()) {}

TMPlayerChecker::TMPlayerChecker(const std::string& ModelTableFile) : ModelTable(ModelTableFile) { Reset(); }

void TMPlayerChecker::Progress(const std::string& text) const {
    if (OnProgress) OnProgress(0, 0, text);
}

void TMPlayerChecker::Reset() {
    DriveRoot.clear();
    PlayerName.clear();
    DiskTotal = DiskFree = DiskUsed = 0;
    SongCount = 0;
    SongBytes = 0;
    for (std::string* path : {&MusicPath, &NotesPath, &ContactsPath, &CalendarsPath, &LibraryPath, &DatabasePath,
                              &PhotoDatabasePath, &ArtworkDatabasePath, &LockedPath, &UnlockedPath}) {
        path->clear();
    }
    HasSongs = HasNotes = HasContacts = HasCalendar = HasPhotos = HasToDo = HasVideos = false;
    ModelClass = 0;
    ModelName.clear();
    Owner.clear();
    Serial.clear();
    Capacity = "不明な容量";
}

bool TMPlayerChecker::IsPlayerDrive(const std::string& Root) {
    const std::string kind = GetDriveTypeName(Root);
    if (kind != "Removable" && kind != "Network") return false;
    DriveRoot = Root;
    return Check(Root);
}

bool TMPlayerChecker::Check(const std::string& RootIn) {
    const std::string Root = WithTrailingSlash(RootIn);
    // A database reached through a link, or a pipe or device in its place, is no database.
    if (!EntryExists(FindPlayerPathNoLinks(Root, "iPod_Control/iTunes/iTunesDB"))) return false;
    Progress("iPodの情報を取得中");
    ReadDiskData(Root);
    const std::string music = FindPlayerPathNoLinks(Root, "iPod_Control/Music/");
    if (!music.empty()) CountSongs(music, SongBytes, SongCount);
    HasSongs = HasNotes = HasContacts = HasCalendar = HasToDo = true;
    ModelClass = 1;
    ModelName = "不明なiPod";
    ModelNumber = "不明";
    ModelKind = "不明なiPod";
    Generation = "不明";
    Family = "unknown";
    Region = "不明";
    Software = "不明";

    MusicPath = music;
    NotesPath = FindPlayerPathNoLinks(Root, "Notes/");
    ContactsPath = FindPlayerPathNoLinks(Root, "Contacts/");
    CalendarsPath = FindPlayerPathNoLinks(Root, "Calendars/");
    LibraryPath = FindPlayerPathNoLinks(Root, "iPod_Control/iTunes/iTunes Library.itlp");
    DatabasePath = FindPlayerPathNoLinks(Root, "iPod_Control/iTunes/iTunesDB");
    PhotoDatabasePath = FindPlayerPathNoLinks(Root, "Photos/Photo DataBase");
    ArtworkDatabasePath = FindPlayerPathNoLinks(Root, "iPod_Control/Artwork/ArtworkDB");
    SysInfoPath = FindPlayerPathNoLinks(Root, "iPod_Control/Device/SysInfo");
    LockedPath = FindPlayerPathNoLinks(Root, "iPod_Control/Device/_locked");
    UnlockedPath = FindPlayerPathNoLinks(Root, "iPod_Control/Device/_unlocked");

    if (EntryExists(SysInfoPath)) {
        ReadSysInfo(SysInfoToIni(LoadSysInfo(SysInfoPath)));
        const std::string deviceInfo = FindPlayerPathNoLinks(Root, "iPod_Control/iTunes/DeviceInfo");
        if (EntryExists(deviceInfo)) ReadDeviceInfo(deviceInfo);
    }
    return true;
}

bool TMPlayerChecker::ReadDiskData(const std::string& Root) {
    if (!IsFolder(Root)) {
        DiskTotal = DiskFree = DiskUsed = 0;
        PlayerName.clear();
        return false;
    }
    GetDiskSpace(Root, DiskFree, DiskUsed, DiskTotal);
    PlayerName = GetVolumeLabel(Root);
    return true;
}

bool TMPlayerChecker::CountSongs(const std::string& FolderIn, int64_t& Bytes, int32_t& Count) {
    const std::string Folder = WithTrailingSlash(FolderIn);
    TFolderReader reader(Folder);
    CountFolder(reader, Folder, Bytes, Count);
    return true;
}

void TMPlayerChecker::CountFolder(TFolderReader& reader, const std::string& Folder, int64_t& Bytes, int32_t& Count) {
    Progress("曲サイズを取得中 - [ " + Folder + " ]");
    const std::string failure = "フォルダ[ " + Folder + " ]でファイルの取得に失敗しました";
    if (!reader.IsOpen()) {
        if (reader.Error() == ENOENT) return;  // no such folder: nothing to count
        throw EPlayerCheckError(failure);
    }
    try {
        TFolderEntry entry{};
        while (reader.Next(entry)) {
            if (entry.Kind == TPathKind::Folder) {
                // Opened below this folder's reader: a linked folder is never entered.
                TFolderReader sub(reader, entry.Name);
                CountFolder(sub, Folder + std::string(entry.Name) + "/", Bytes, Count);
            } else if (IsMediaFileName(std::string(entry.Name))) {
                // A linked song counts as the song, as the music folder scan takes it.
                int64_t size = 0;
                reader.Look(entry.Name, entry.Kind == TPathKind::Link, &size);
                ++Count;
                Bytes += size;
            }
        }
        if (reader.Error() != 0) throw EPlayerCheckError(failure);
    } catch (const std::exception&) {
        throw EPlayerCheckError(failure);
    }
}

std::string TMPlayerChecker::ReadModel(const std::string& Number) {
    // The table key is characters 2 to 5 of the model number ("xA623" -> "A623").
    const std::string_view rest = std::string_view(Number).substr(encoding::Utf8Left(Number, 1).size());
    const std::string key(encoding::Utf8Left(rest, 4));
    const std::string line =
        key.empty() ? std::string(kDefaultModelLine) : ModelTable.ReadString("iPod", key, kDefaultModelLine);
    Capacity = GetDelimitedField(4, line, ",");
    Generation = GetDelimitedField(3, line, ",");
    ModelKind = GetDelimitedField(2, line, ",");
    const std::string name = GetDelimitedField(1, line, ",");
    Family = GetDelimitedField(0, line, ",");
    if (Family == "photo") {
        ModelClass = 3;
        HasPhotos = true;
    } else if (Family == "nano" || Family == "nano2") {
        ModelClass = 4;
        HasPhotos = true;
    } else if (Family == "5G") {
        ModelClass = 5;
        HasPhotos = true;
        HasVideos = true;
    } else if (Family == "shuffle" || Family == "shuffle2") {
        ModelClass = 2;
    } else {
        ModelClass = 1;
        if (EntryExists(PhotoDatabasePath)) HasPhotos = true;
    }
    return name;
}

std::vector<std::string> TMPlayerChecker::LoadSysInfo(const std::string& FileName) const {
    const FileBytes bytes = ReadPlayerFilePart(FileName, 0, kSysInfoLimit);
    return SplitLines(encoding::Text8ToUtf8(std::string(bytes.begin(), bytes.end())));
}

std::vector<std::string> TMPlayerChecker::SysInfoToIni(const std::vector<std::string>& Lines) {
    std::vector<std::string> ini;
    ini.reserve(Lines.size() + 1);
    ini.push_back("[iPod]");
    for (const std::string& line : Lines) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) {
            ini.push_back(line);
        } else {
            ini.push_back(line.substr(0, colon) + "=" + encoding::Trim(line.substr(colon + 1)));
        }
    }
    return ini;
}

void TMPlayerChecker::ReadSysInfo(const std::vector<std::string>& IniLines) {
    TIniFile ini("");
    std::string text;
    for (const std::string& line : IniLines) text += line + "\r\n";
    ini.LoadFromText(text);
    const std::string number = ini.ReadString("iPod", "ModelNumStr", "");
    ModelName = ReadModel(encoding::Trim(number));
    Owner.clear();
    Serial = ini.ReadString("iPod", "pszSerialNumber", "");
    ModelNumber = number;
    Region = ini.ReadString("iPod", "RegionCode", "");
    Software = ini.ReadString("iPod", "buildID", "");
}

std::string TMPlayerChecker::DeviceInfoRecord(std::span<const uint8_t> Data, int Slot) {
    const ByteReader slot = ByteReader(Data).Sub(static_cast<uint64_t>(Slot) * kDeviceInfoSlot, kDeviceInfoSlot);
    // The count is untrusted: characters beyond the slot are not part of the record.
    uint64_t count = slot.U16LE(0);
    const uint64_t room = (kDeviceInfoSlot - 2) / 2;
    if (count > room) count = room;
    return encoding::Utf16UpToZero(slot.Bytes(2, 2 * count), encoding::ByteOrder::Little);
}

void TMPlayerChecker::ReadDeviceInfo(const std::string& FileName) {
    const FileBytes data = ReadPlayerFilePart(FileName, 0, 4 * kDeviceInfoSlot);
    PlayerName = DeviceInfoRecord(data, 0);
    Owner = DeviceInfoRecord(data, 1);
    Host = DeviceInfoRecord(data, 2);
    (void)DeviceInfoRecord(data, 3);
}
