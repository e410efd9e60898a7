#include "player/player.h"

#include <filesystem>
#include <system_error>

#include "foundation/drives.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"

namespace fs = std::filesystem;

namespace {

// The lock markers hold a short word; more than this is not read (bytes).
constexpr uint64_t kLockMarkerLimit = 64u << 10;

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
    if (PathKindOf(Checker->LibraryPath) == TPathKind::Folder) {
        Music->LoadFromSQLite(TrimmedWithoutTrailingSlash(Checker->LibraryPath));
    } else if (EntryExists(Checker->DatabasePath)) {
        Music->LoadFromFile(Checker->DatabasePath);
    } else if (!Checker->MusicPath.empty()) {
        Music->LoadFromFolder(Checker->MusicPath, WithTrailingSlash(root));
    }
    if (EntryExists(Checker->ArtworkDatabasePath)) {
        // The songs do without their pictures: an artwork database that cannot be read is told
        // of, and the player is used all the same.
        try {
            Artwork->LoadFromFile(Checker->ArtworkDatabasePath);
        } catch (const ETolvError& e) {
            Artwork->Clear();
            if (OnShowMessage) OnShowMessage(e.Message());
        }
    }
    if (EntryExists(Checker->LockedPath) || EntryExists(Checker->UnlockedPath)) ReadLockState();
    return true;
}

std::string TTolvIPOD::FindPlayer() {
    // The mounted volumes take the place of the drive letters: position n of their count.
    const std::vector<TMountedVolume> volumes = GetMountedVolumes();
    const int32_t count = static_cast<int32_t>(volumes.size());
    for (int32_t n = 1; n <= count; ++n) {
        Progress(n, count, "iPodを検索中");
        const std::string drive = WithTrailingSlash(volumes[static_cast<size_t>(n - 1)].Root);
        if (Checker->IsPlayerDrive(drive)) {
            Progress(n, count, "iPodを[ " + drive + " ]ドライブで発見しました");
            const std::string root = drive == "/" ? drive : TrimmedWithoutTrailingSlash(drive);
            return root;
        }
    }
    return {};
}

std::string TTolvIPOD::CheckDrive() {
    Progress(1, 1, "iPodを検索中");
    const std::string drive = WithTrailingSlash(FixedDrive);
    // The user's word replaces the drive-kind test: any folder may hold the player.
    Checker->DriveRoot = drive;
    if (!Checker->Check(drive)) return {};
    Progress(1, 1, "iPodを[ " + drive + " ]ドライブで発見しました");
    return drive == "/" ? drive : TrimmedWithoutTrailingSlash(drive);
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
    const std::string Folder = WithTrailingSlash(FolderIn);
    Progress(0, 0, "データ一覧を取得中 - [ " + Folder + " ]");
    // Only regular files are listed and only real folders entered: a link (dangling or not)
    // would lead outside the player, and a named pipe or device cannot be read as a file.
    if (PathKindOf(Folder) != TPathKind::Folder) return true;
    TFolderReader reader(Folder, false);
    TFolderEntry entry{};
    while (reader.Next(entry)) {
        if (entry.Kind == TPathKind::Folder) {
            ListFolder(Folder + std::string(entry.Name), List);
        } else if (entry.Kind == TPathKind::File && !IsWriterTemporaryName(entry.Name)) {
            // A temporary that a cut-short write left is no note, contact or event.
            List.push_back(Folder + std::string(entry.Name));
        }
    }
    return true;
}

int32_t TTolvIPOD::CountFolderEntries(const std::string& Folder) {
    // Every entry counts, pipes and devices too: a folder holding any is not empty.
    TFolderReader reader(Folder);
    int32_t count = 0;
    TFolderEntry entry{};
    while (reader.Next(entry)) ++count;
    return count + static_cast<int32_t>(reader.Skipped().size());
}

bool TTolvIPOD::DeleteEmptyFolders(const std::string& FolderIn) {
    const std::string Folder = WithTrailingSlash(FolderIn);
    // Never through a link: the folders removed would be outside the player.
    if (PathKindOf(Folder) != TPathKind::Folder) return true;
    std::vector<std::string> folders;
    TFolderReader reader(Folder, false);
    TFolderEntry entry{};
    while (reader.Next(entry)) {
        if (entry.Kind == TPathKind::Folder) folders.emplace_back(entry.Name);
    }
    for (const std::string& name : folders) {
        const std::string path = Folder + name;
        if (CountFolderEntries(path) != 0) continue;
        const bool yes = OnConfirm && OnConfirm("フォルダ [ " + path + " ] が空ですので削除してもよろしいですか？");
        if (!yes) continue;
        std::error_code ec;
        if (!fs::remove(path, ec) || ec) throw EIPODError("フォルダ[ " + path + " ]の削除に失敗しました");
    }
    return true;
}
