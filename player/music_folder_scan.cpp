// The scan of the player's music folder: one song per file, tags from the WMA or the media tag
// reader, then the entries that do not look like playable songs are dropped.
#include "player/song_records.h"

#include "foundation/drives.h"
#include "foundation/encoding.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "player/tags/mp3_tag_reader.h"
#include "player/tags/wma_tag_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>

namespace {

class DirHandle {
public:
    explicit DirHandle(const std::string& path) : dir_(::opendir(path.c_str())) {}
    ~DirHandle() {
        if (dir_) ::closedir(dir_);
    }
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;
    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

enum class EntryKind { Folder, File, Other };

// Folders are entered only when they are real folders: a link to a folder could lead the scan
// round in a circle. Links to files count as files; devices, pipes and sockets are passed over
// (opening a pipe would wait for a writer for ever).
EntryKind KindOf(DIR* dir, const dirent& entry, uint64_t& size) {
    struct stat st {};
    if (::fstatat(::dirfd(dir), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        throw EFileError(std::string(entry.d_name) + ": " + SysErrorText(errno));
    if (S_ISLNK(st.st_mode)) {
        if (::fstatat(::dirfd(dir), entry.d_name, &st, 0) != 0) return EntryKind::Other;
        if (!S_ISREG(st.st_mode)) return EntryKind::Other;
    }
    if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
    if (!S_ISREG(st.st_mode)) return EntryKind::Other;
    size = static_cast<uint64_t>(st.st_size);
    return EntryKind::File;
}

std::string LowerExtension(const std::string& path) {
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return encoding::AsciiLower(path.substr(dot));
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Every occurrence of one character replaced by another (each given as its UTF-8 bytes).
std::string ReplaceWideChar(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (!from.empty()) {
        size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

// The path with its drive part (the mount point) removed, without a leading separator.
std::string RelativeToRoot(const std::string& path, const std::string& scanRoot) {
    std::string root = scanRoot.empty() ? VolumeOfPath(path).Root : scanRoot;
    std::string prefix = IncludeBackslash(root);
    if (!prefix.empty() && path.compare(0, prefix.size(), prefix) == 0) return path.substr(prefix.size());
    size_t start = path.find_first_not_of('/');
    return start == std::string::npos ? std::string() : path.substr(start);
}

}  // namespace

void TITunesDBLoader::LoadFromFolder(const std::string& Folder) {
    int32_t counter = 0;
    ScanFolder(Folder, TotalSize, counter);
    RemoveInvalidSongs();
}

bool TITunesDBLoader::ScanFolder(const std::string& Folder, int64_t& TotalBytes, int32_t& FileCounter) {
    const std::string folder = IncludeBackslash(Folder);
    if (OnProgress) OnProgress(0, 0, "曲情報を取得中 - [ " + folder + " ]");

    // A folder that cannot be listed (one that does not exist) holds no songs.
    DirHandle dir(folder);
    if (!dir.get()) return true;

    std::string entryName;
    bool ok = true;
    try {
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir.get());
            if (!entry) {
                if (errno != 0) throw EFileError(SysErrorText(errno));
                break;
            }
            entryName = entry->d_name;
            if (entryName == "." || entryName == "..") continue;
            uint64_t size = 0;
            switch (KindOf(dir.get(), *entry, size)) {
                case EntryKind::Folder:
                    if (ok) ok = ScanFolder(folder + entryName, TotalBytes, FileCounter);
                    break;
                case EntryKind::File:
                    ++FileCounter;
                    TotalBytes += static_cast<int64_t>(size);
                    AddSongFromFile(folder + entryName, FileCounter);
                    break;
                case EntryKind::Other:
                    break;
            }
        }
    } catch (const std::exception&) {
        throw TITBException("フォルダ[ " + folder + " ]でファイル[ " + entryName + " ]の取得に失敗しました");
    }
    return true;
}

void TITunesDBLoader::AddSongFromFile(const std::string& Path, int32_t Number) {
    auto song = std::make_unique<TITBSongItem>();
    song->Location = LocationFromPath(RelativeToRoot(Path, ScanRoot));
    // The record holds the size in 32 bits, as the player's database does.
    song->Size = static_cast<int32_t>(static_cast<uint32_t>(GetFileSize64(Path)));
    song->Id = Number;
    song->PlayCount = 0;
    if (LowerExtension(Path) == ".wma") {
        TWMATagReader reader;
        reader.LoadFromFile(Path);
        song->Title = reader.Title;
        song->Artist = reader.Author;
        song->Comment = reader.Description;
        song->Kind = "WindowsMediaAudio";
        song->Length = 1000;
        song->Bitrate = 64;
        song->SampleRate = 44100;
    } else {
        TMP3Tag tag = ReadMP3Tag(Path);
        song->Title = tag.Title;
        song->Artist = tag.Artist;
        song->Album = tag.Album;
        song->Genre = tag.Genre;
        song->Comment = tag.Comment;
        song->Kind = tag.KindText;
        song->Bitrate = tag.Bitrate;
        song->Length = ClampToInt32(int64_t(tag.Length) * 1000);
        song->SampleRate = tag.SampleRate;
    }
    Songs.AddItem(std::move(song));
}

TMP3Tag TITunesDBLoader::ReadMP3Tag(const std::string& Path) {
    TMP3Tag tag;
    TTolvMP3TagReader reader;
    reader.ReadFile(Path, tag);
    return tag;
}

std::string TITunesDBLoader::LocationFromPath(const std::string& Path) {
    return ReplaceWideChar(Path, "/", ":");
}

bool TITunesDBLoader::IsInvalidSong(const TITBSongItem& Song) {
    return Song.Title.empty() || Song.Length <= 0 || Song.Bitrate < 48 || Song.Size == 0;
}

void TITunesDBLoader::RemoveInvalidSongs() {
    for (int32_t index = Songs.GetCount() - 1; index >= 0; --index) {
        if (IsInvalidSong(*Songs.GetItem(index))) Songs.Delete(index);
    }
}
