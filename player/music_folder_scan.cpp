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
#include <limits>

namespace {

std::string LowerExtension(const std::string& path) { return encoding::AsciiLower(ExtensionOf(path)); }

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
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
    std::string prefix = WithTrailingSlash(root);
    if (!prefix.empty() && path.compare(0, prefix.size(), prefix) == 0) return path.substr(prefix.size());
    size_t start = path.find_first_not_of('/');
    return start == std::string::npos ? std::string() : path.substr(start);
}

}  // namespace

void TITunesDBLoader::LoadFromFolder(const std::string& Folder, const std::string& ScanRoot) {
    int32_t counter = 0;
    ScanFolder(Folder, ScanRoot, TotalSize, counter);
    RemoveInvalidSongs();
}

bool TITunesDBLoader::ScanFolder(const std::string& Folder, const std::string& ScanRoot, int64_t& TotalBytes,
                                 int32_t& FileCounter) {
    TFolderReader reader(Folder);
    ScanOpenFolder(reader, WithTrailingSlash(Folder), ScanRoot, TotalBytes, FileCounter);
    return true;
}

void TITunesDBLoader::ScanOpenFolder(TFolderReader& reader, const std::string& folder, const std::string& ScanRoot,
                                     int64_t& TotalBytes, int32_t& FileCounter) {
    if (OnProgress) OnProgress(0, 0, "曲情報を取得中 - [ " + folder + " ]");

    // A folder that cannot be listed (one that does not exist) holds no songs.
    if (!reader.IsOpen()) return;

    std::string entryName;
    try {
        TFolderEntry entry{};
        while (reader.Next(entry)) {
            entryName = entry.Name;
            int64_t size = 0;
            if (entry.Kind == TPathKind::Folder) {
                // Opened below this folder's reader: a link to a folder could lead the scan
                // round in a circle and is never entered.
                TFolderReader sub(reader, entry.Name);
                ScanOpenFolder(sub, folder + entryName + "/", ScanRoot, TotalBytes, FileCounter);
                continue;
            }
            if (entry.Kind == TPathKind::File) {
                if (reader.Look(entry.Name, false, &size) != TPathKind::File)
                    throw EFileError(entryName + ": " + SysErrorText(errno));
            } else if (reader.Look(entry.Name, true, &size) != TPathKind::File) {
                continue;  // a link counts only when it leads to a file: taken as that file
            }
            ++FileCounter;
            TotalBytes += size;
            AddSongFromFile(folder + entryName, ScanRoot, FileCounter, size);
        }
        if (reader.Error() != 0) throw EFileError(SysErrorText(reader.Error()));
    } catch (const std::exception&) {
        throw TITBException("フォルダ[ " + folder + " ]でファイル[ " + entryName + " ]の取得に失敗しました");
    }
}

void TITunesDBLoader::AddSongFromFile(const std::string& Path, const std::string& ScanRoot, int32_t Number,
                                      int64_t Size) {
    auto song = std::make_unique<TITBSongItem>();
    song->Location = LocationFromPath(RelativeToRoot(Path, ScanRoot));
    // The record holds the size in 32 bits, as the player's database does.
    song->Size = static_cast<int32_t>(static_cast<uint32_t>(Size));
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

std::string TITunesDBLoader::LocationFromPath(const std::string& Path) { return ReplaceWideChar(Path, "/", ":"); }

bool TITunesDBLoader::IsInvalidSong(const TITBSongItem& Song) {
    return Song.Title.empty() || Song.Length <= 0 || Song.Bitrate < 48 || Song.Size == 0;
}

void TITunesDBLoader::RemoveInvalidSongs() {
    for (int32_t index = Songs.GetCount() - 1; index >= 0; --index) {
        if (IsInvalidSong(*Songs.GetItem(index))) Songs.Delete(index);
    }
}
