#include "harrowin_work/song_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/file_write.h"
#include "foundation/names.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "foundation/unique_fd.h"
#include "player/song_list_export.h"
#include "player/song_records.h"

namespace harrowin {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUnknownArtist = "不明なアーティスト";

std::string CutBytes(const std::string& text, size_t maxBytes) {
    return std::string(encoding::Utf8TruncateBytes(text, maxBytes));
}

// Control characters become blanks as the forbidden characters do: a zero byte would end the
// name where the file system reads it, and a tab or line break in a name would split the
// import list's columns and lines. (No byte of a multi-byte UTF-8 character is below 32.)
std::string WithoutControls(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    }
    return text;
}

// Makes the folders of `folder` (below `base`, both ending in "/") that are missing, outermost
// first; returns those this call made, in that order.
std::vector<std::string> MakeMissingFolders(const std::string& base, const std::string& folder) {
    std::vector<std::string> made;
    if (!folder.starts_with(base)) return made;
    for (size_t slash = folder.find('/', base.size()); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (NameTaken(part)) continue;
        if (::mkdir(part.c_str(), 0777) != 0) break;
        made.push_back(part);
    }
    return made;
}

// Removes the folders, innermost first, each only while it is empty.
void RemoveEmptyFolders(const std::vector<std::string>& folders) {
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) ::rmdir(it->c_str());
}

}  // namespace

bool IsDotsAndBlanksOnly(std::string_view text) {
    for (char c : text) {
        if (c != '.' && static_cast<unsigned char>(c) > 32) return false;
    }
    return true;
}

std::string ArtistFolderName(const std::string& artist, bool video) {
    if (video) {
        // Videos keep full stops and blanks in the artist folder, but a name of nothing else
        // would name this folder or its parent: no artist folder then.
        std::string name = WithoutControls(ReplaceInvalidFileChars(artist));
        if (IsDotsAndBlanksOnly(name)) return {};
        name = CutBytes(name, kMaxEntryNameBytes);
        return IsDotsAndBlanksOnly(name) ? std::string() : name;
    }
    const std::string name = EntryNameWithoutReservedCharsAndDots(artist);
    return name.empty() ? std::string(kUnknownArtist) : name;
}

std::string AlbumFolderName(const std::string& album) { return EntryNameWithoutReservedCharsAndDots(album); }

std::string CopyFileName(const TITBSongItem& song, const std::string& playerName, const TCopyNaming& naming) {
    const std::string ext = ExtensionOf(WithoutControls(playerName));
    const std::string artist = WithoutControls(ReplaceInvalidFileChars(song.Artist));
    const std::string title = WithoutControls(ReplaceInvalidFileChars(song.Title));
    const bool hasArtist = !encoding::TrimView(artist).empty();
    const bool hasTitle = !encoding::TrimView(title).empty();
    std::string name = WithoutControls(playerName);
    if (naming.NameType == TCopyNameType::ArtistTitle) {
        if (hasArtist && hasTitle) {
            name = artist + "-" + title + ext;
        } else if (hasTitle) {
            name = title + ext;
        }
    } else if (naming.NameType == TCopyNameType::Title) {
        if (hasTitle) name = title + ext;
    }
    if (!naming.Video && naming.AddTrackNo && song.TrackNumber >= 1 && song.TrackNumber <= 99) {
        name = Format("%0.2d %s", {song.TrackNumber, name});
    }
    // A name of full stops alone ("." or ".." from a title without extension) is no file.
    if (IsDotsAndBlanksOnly(name))
        name = IsDotsAndBlanksOnly(playerName) ? std::string("_") : WithoutControls(playerName);
    return EntryNameFitting(name, kMaxEntryNameBytes, TNameFit::Cut);
}

std::string CopyTargetName(const TITBSongItem& song, const std::string& playerName, const TCopyNaming& naming) {
    std::string sub;
    if (naming.ArtistFolder) sub = ArtistFolderName(song.Artist, naming.Video);
    if (naming.AlbumFolder) {
        const std::string album = AlbumFolderName(song.Album);
        if (!album.empty()) sub = sub.empty() ? album : sub + "/" + album;
    }
    return WithTrailingSlash(sub) + CopyFileName(song, playerName, naming);
}

std::string PlayerSourcePath(const std::string& root, const std::string& location) {
    // The file system would read such a path only up to the zero: not the file checked here.
    if (location.find('\0') != std::string::npos) return {};
    const std::string relative = ColonsToSlashes(location);
    // Walk the parts: a ".." that would leave the root makes the location unusable.
    int depth = 0;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        const std::string_view part(relative.data() + start, end - start);
        if (part == "..") {
            if (--depth < 0) return {};
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        start = end + 1;
    }
    if (depth <= 0) return {};
    return FindPlayerPath(root, relative);
}

namespace {

// The first free name of a target's file name in its folder as `taken` finds it.
std::string FreeCopyName(const std::string& target, const std::function<bool(const std::string&)>& taken) {
    return FreeEntryName(FileNameOf(target), kMaxEntryNameBytes, kHighestCopyNumber, TNameFit::Cut, taken);
}

}  // namespace

std::string FirstFreeName(const std::string& target) {
    const std::string folder = FolderPartOf(target);
    const std::string name = FreeCopyName(target, [&](const std::string& n) { return NameTaken(folder + n); });
    return name.empty() ? std::string() : folder + name;
}

int32_t TakeFreeName(TPendingFile& file, const std::string& target, std::string& finalTarget) {
    int err = 0;
    const std::string name = FreeCopyName(target, [&](const std::string& n) {
        err = file.TakeName(n, TPendingFile::TTake::New);
        return err == EEXIST;
    });
    if (name.empty()) return kErrNoFreeName;
    if (err != 0) return err;
    finalTarget = FolderPartOf(target) + name;
    return 0;
}

int32_t WriteFileExclusive(std::string_view bytes, const std::string& target, std::string& finalTarget) {
    if (FirstFreeName(target).empty()) return kErrNoFreeName;
    try {
        TPendingFile file(target, TFolderLink::Follow);
        if (const int err = file.Write(bytes)) return err;
        return TakeFreeName(file, target, finalTarget);
    } catch (const EFileWriteError& e) {
        return e.Code();
    }
}

int32_t CopyFileExclusive(const std::string& source, const std::string& target, std::string& finalTarget) {
    // Non-blocking: opening a named pipe must not wait for a writer that never comes.
    const TUniqueFd in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!in.IsOpen()) return errno;
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    // Only regular files are copied: a pipe or a device in the player counts as a missing file
    // (a device would give endless bytes).
    if (!S_ISREG(st.st_mode)) return ENOENT;
    // No copy when no name is left for it.
    if (FirstFreeName(target).empty()) return kErrNoFreeName;
    int32_t err = 0;
    try {
        // The bytes go to a temporary name in the target's folder, which takes a free final
        // name only once the copy is whole: a copy cut short (a full disk, a pulled player, a
        // killed program) never stands under a song's name, and nothing there is replaced.
        TPendingFile out(target, TFolderLink::Follow);
        err = CopyFileData(in.Get(), out.Fd());
        if (err == 0) {
            struct stat made {};
            if (::fstat(out.Fd(), &made) == 0) ::fchmod(out.Fd(), (made.st_mode & 07777) | S_IRUSR | S_IWUSR);
            // The source's times go on only once the copy has its name: a temporary that looks
            // days old would be taken for one a killed writer left behind.
            const TUniqueFd copy(::fcntl(out.Fd(), F_DUPFD_CLOEXEC, 0));
            err = TakeFreeName(out, target, finalTarget);
            if (err == 0 && copy.IsOpen()) {
                const struct timespec times[2] = {st.st_atim, st.st_mtim};
                ::futimens(copy.Get(), times);
            }
        }
    } catch (const EFileWriteError& e) {
        err = e.Code();
    }
    return err;
}

TSongCopyRun::TSongCopyRun(const std::string& folder, const std::string& playerRoot, const TCopyNaming& naming,
                           TITXMakeLibrary* importList)
    : FFolder(WithTrailingSlash(folder)), FRoot(WithTrailingSlash(playerRoot)), FNaming(naming), FImport(importList) {}

TSongCopyRun::TResult TSongCopyRun::CopySong(TITBSongItem& song, int32_t done, int32_t total,
                                             const std::function<void(const std::string&)>& label) {
    auto fail = [&](int32_t code, const std::string& name, const char* what) {
        // A pulled player answers as its file system goes (a lost connection, an input error,
        // a missing file): the user is told the device is missing, as wherever the player
        // went away.
        if (code != kErrNoFreeName && PlayerGone && PlayerGone()) {
            PlayerWentAway = true;
            code = kErrPlayerGone;
        }
        label(Format("[ %s ]%s", {name, what}));
        ++Failed;
        song.TransferFailed = true;
        song.TransferError = code;
    };
    const std::string source = PlayerSourcePath(FRoot, song.Location);
    const std::string playerName = FileNameOf(ColonsToSlashes(song.Location));
    const std::string name = CopyTargetName(song, playerName, FNaming);
    const std::string target = FFolder + name;
    label(CopyProgressText(done + 1, total, FileNameOf(target)));
    if (source.empty() || !PathInside(FRoot, source) || !PathInside(FFolder, target)) {
        fail(kErrOutsideRoot, FileNameOf(target), "のコピーに失敗しました");
        return TResult::Failed;
    }
    // A link inside a copied player must not lead the copy outside it either.
    char resolvedRoot[PATH_MAX];
    char resolvedSource[PATH_MAX];
    if (::realpath(FRoot.c_str(), resolvedRoot) && ::realpath(source.c_str(), resolvedSource) &&
        !PathInside(resolvedRoot, resolvedSource)) {
        fail(kErrOutsideRoot, FileNameOf(target), "のコピーに失敗しました");
        return TResult::Failed;
    }
    std::error_code ec;
    fs::create_directories(FFolder, ec);
    const std::vector<std::string> madeFolders = MakeMissingFolders(FFolder, FolderPartOf(target));
    std::string finalTarget;
    const int32_t err = CopyFileExclusive(source, target, finalTarget);
    // The artist and album folders made for a copy that failed hold nothing of it: they go
    // (only while empty), so a failed run leaves no folders that look like copies.
    if (err != 0) RemoveEmptyFolders(madeFolders);
    if (err == kErrNoFreeName) {
        fail(kErrNoFreeName, FileNameOf(target), "のリネームに失敗しました");
        return TResult::NoFreeName;
    }
    if (err != 0) {
        fail(err, FileNameOf(target), "のコピーに失敗しました");
        return TResult::Failed;
    }
    ++Copied;
    LastTarget = finalTarget;
    // The line names the file as it was written (after any "(n)" renaming), and only a copy
    // that exists gets one.
    if (FImport) FImport->AddSong(song, finalTarget);
    return TResult::Copied;
}

void TSongCopyRun::MarkFailed(TITBSongItem& song, int32_t code) {
    ++Failed;
    song.TransferFailed = true;
    song.TransferError = code;
}

std::string PlayerGoneText() { return SysErrorText(kErrPlayerGone); }

std::string CopyProgressText(int32_t done, int32_t total, const std::string& fileName) {
    return Format("(%d/%d) [ %s ]をコピー中", {done, total, fileName});
}

std::string CopyEndText(bool video, const std::string& folder, const TCopyEnd& end) {
    std::string text;
    if (end.Failed < 1 && !end.Cancelled) {
        text = Format(video ? "フォルダ \"%s\" にビデオファイルを全て転送しました"
                            : "フォルダ \"%s\" に音楽ファイルを全曲転送しました",
                      {folder});
    } else {
        // What was not copied failed (a full disk, a missing source, no free name): never
        // called skipped, as if the user had left it out.
        text = Format(video ? "フォルダ \"%s\" にビデオファイルを %d 本転送しました(失敗は %d 本)"
                            : "フォルダ \"%s\" に音楽ファイルを %d 曲転送しました(失敗は %d 曲)",
                      {folder, end.Copied, end.Failed});
        if (end.PlayerGone) text += PlayerGoneText();
    }
    if (end.ListFailed) text += "（iPodLibrary.TXT は書き込めませんでした）";
    return text;
}

std::string CopyEndText(bool video, const std::string& folder, int32_t copied, int32_t failed, bool cancelled) {
    TCopyEnd end;
    end.Copied = copied;
    end.Failed = failed;
    end.Cancelled = cancelled;
    return CopyEndText(video, folder, end);
}

TFolderCheck CheckCopyFolder(const std::string& text,
                             const std::function<int64_t(const std::string& folder)>& freeBytes) {
    TFolderCheck check;
    // The "drive" of a path is the volume it lies on: an absolute path always has one, found
    // through its nearest existing folder; an empty or relative text has none.
    const std::string path = encoding::Trim(text);
    if (path.empty() || path.front() != '/') {
        check.Text = "ドライブが存在しません";
        return check;
    }
    std::error_code ec;
    fs::path existing = fs::path(path).lexically_normal();
    while (!fs::is_directory(existing, ec) && existing.has_relative_path()) existing = existing.parent_path();
    if (!fs::is_directory(existing, ec)) {
        check.Text = "ドライブが存在しません";
        return check;
    }
    const int64_t free = freeBytes(existing.string());
    if (free <= 0) {
        check.Text = "このドライブにはコピーできません";
        return check;
    }
    check.OkEnabled = true;
    const int64_t mb = free >> 20;
    check.Text = Format(
        fs::is_directory(path, ec) ? "このフォルダは存在します (%d MB空き)" : "このフォルダは存在しません (%d MB空き)",
        {mb});
    return check;
}

}  // namespace harrowin
