#include "player/player.h"

#include <filesystem>
#include <system_error>

#include "foundation/string_list.h"
#include "foundation/file_read.h"
#include "foundation/drives.h"
#include "foundation/encoding.h"
#include "foundation/paths.h"

namespace fs = std::filesystem;

namespace {

// A real folder at the path (a trailing "/" allowed); a link to one is none.
bool IsRealFolderPath(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return PathKindOf(path) == TPathKind::Folder;
}

// The lock markers hold a short word; more than this is not read (bytes).
constexpr uint64_t kLockMarkerLimit = 64u << 10;

// The entries of a folder in the order the file system gives; empty when it cannot be listed.
std::vector<fs::directory_entry> Entries(const std::string& folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), last; !ec && it != last; it.increment(ec)) entries.push_back(*it);
    return entries;
}

// A real sub-folder: linked folders are never entered, so a link cannot make a walk loop or
// reach outside the player.
bool IsRealFolder(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_directory(ec) && !entry.is_symlink(ec);
}

std::string TextLines(const std::string& fileName) {
    const FileBytes bytes = ReadPlayerFilePart(fileName, 0, kLockMarkerLimit);
    const std::string text = encoding::Text8ToUtf8(std::string(bytes.begin(), bytes.end()));
    // The lines joined again with CR LF, as a string list's text.
    return JoinLines(SplitLines(text));
}

}  // namespace

TTolvIPOD::TTolvIPOD() : TTolvIPOD(FindModelTableFile()) {}

TTolvIPOD::TTolvIPOD(const std::string& ModelTableFile)
    : Music(std::make_unique<TITunesDBLoader>()),
      Artwork(std::make_unique<TArtworkDBLoader>()),
      Photos(std::make_unique<TArtworkDBLoader>()),
      Checker(std::make_unique<TMPlayerChecker>(ModelTableFile)),
      Library(std::make_unique<TITXMakeLibrary>()) {
    // The checker and the loader call whatever callback this object holds when they report.
    auto forward = [this](int32_t position, int32_t max, const std::string& text) {
        if (OnProgress) OnProgress(position, max, text);
    };
    Music->OnProgress = forward;
    Checker->OnProgress = forward;
    auto tell = [this](const std::string& text) {
        if (OnShowMessage) OnShowMessage(text);
    };
    Artwork->OnShowMessage = tell;
    Photos->OnShowMessage = tell;
}

TTolvIPOD::~TTolvIPOD() {
    Music.reset();
    Artwork.reset();
    Photos.reset();
    Checker.reset();
    Library.reset();
}

void TTolvIPOD::Progress(int32_t position, int32_t max, const std::string& text) const {
    if (OnProgress) OnProgress(position, max, text);
}

bool TTolvIPOD::Load() {
    const std::string root = FixedDrive.empty() ? FindPlayer() : CheckDrive();
    if (root.empty()) return false;

    // The checker's paths are empty where a link stood in the player: such a source is missing.
    if (IsRealFolderPath(Checker->LibraryPath)) {
        Music->LoadFromSQLite(ExcludeBackslash(Checker->LibraryPath));
    } else if (EntryExists(Checker->DatabasePath)) {
        Music->LoadFromFile(Checker->DatabasePath);
    } else if (!Checker->MusicPath.empty()) {
        Music->ScanRoot = IncludeBackslash(root);
        Music->LoadFromFolder(Checker->MusicPath);
    }
    if (EntryExists(Checker->ArtworkDatabasePath)) Artwork->LoadFromFile(Checker->ArtworkDatabasePath);
    if (EntryExists(Checker->LockedPath) || EntryExists(Checker->UnlockedPath)) ReadLockState();
    return true;
}

std::string TTolvIPOD::FindPlayer() {
    // The mounted volumes take the place of the drive letters: position n of their count.
    const std::vector<TMountedVolume> volumes = GetMountedVolumes();
    const int32_t count = static_cast<int32_t>(volumes.size());
    for (int32_t n = 1; n <= count; ++n) {
        Progress(n, count, "iPodを検索中");
        const std::string drive = IncludeBackslash(volumes[static_cast<size_t>(n - 1)].Root);
        if (Checker->IsPlayerDrive(drive)) {
            Progress(n, count, "iPodを[ " + drive + " ]ドライブで発見しました");
            const std::string root = drive == "/" ? drive : ExcludeBackslash(drive);
            return root;
        }
    }
    return {};
}

std::string TTolvIPOD::CheckDrive() {
    Progress(1, 1, "iPodを検索中");
    const std::string drive = IncludeBackslash(FixedDrive);
    // The user's word replaces the drive-kind test: any folder may hold the player.
    Checker->DriveRoot = drive;
    if (!Checker->Check(drive)) return {};
    Progress(1, 1, "iPodを[ " + drive + " ]ドライブで発見しました");
    return drive == "/" ? drive : ExcludeBackslash(drive);
}

void TTolvIPOD::ReadLockState() {
    std::string text;
    if (EntryExists(Checker->LockedPath)) {
        text = TextLines(Checker->LockedPath);
        Locked = 1;
    }
    if (EntryExists(Checker->UnlockedPath)) {
        text = TextLines(Checker->UnlockedPath);
        Locked = 0;
    }
    LockText = encoding::Trim(text);
}

bool TTolvIPOD::ListFolder(const std::string& FolderIn, std::vector<std::string>& List) {
    const std::string Folder = IncludeBackslash(FolderIn);
    Progress(0, 0, "データ一覧を取得中 - [ " + Folder + " ]");
    // Only regular files are listed and only real folders entered: a link (dangling or not)
    // would lead outside the player, and a named pipe or device cannot be read as a file.
    if (!IsRealFolderPath(Folder)) return true;
    for (const fs::directory_entry& entry : Entries(Folder)) {
        const std::string name = entry.path().filename().string();
        std::error_code ec;
        const fs::file_type type = entry.symlink_status(ec).type();
        if (type == fs::file_type::directory) {
            ListFolder(Folder + name, List);
        } else if (type == fs::file_type::regular) {
            List.push_back(Folder + name);
        }
    }
    return true;
}

int32_t TTolvIPOD::CountFolderEntries(const std::string& Folder) {
    return static_cast<int32_t>(Entries(Folder).size());
}

bool TTolvIPOD::DeleteEmptyFolders(const std::string& FolderIn) {
    const std::string Folder = IncludeBackslash(FolderIn);
    // Never through a link: the folders removed would be outside the player.
    if (!IsRealFolderPath(Folder)) return true;
    for (const fs::directory_entry& entry : Entries(Folder)) {
        if (!IsRealFolder(entry)) continue;
        const std::string path = Folder + entry.path().filename().string();
        if (CountFolderEntries(path) != 0) continue;
        const bool yes = OnConfirm && OnConfirm("フォルダ [ " + path + " ] が空ですので削除してもよろしいですか？");
        if (!yes) continue;
        std::error_code ec;
        if (!fs::remove(path, ec) || ec) throw EIPODError("フォルダ[ " + path + " ]の削除に失敗しました");
    }
    return true;
}
