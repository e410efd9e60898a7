// Copying songs and videos from the player's drive into a folder on the PC: the target names
// made from a song's tags under the naming settings, the artist and album sub-folders, the
// free "(n)" name, the copy itself (never over an existing file, through a temporary name that
// takes the final one only when the copy is whole) and the texts of the progress and end messages. No windows here.
// Sizes are in bytes; error codes are errno values or the negative codes of the failure log.
#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TITBSongItem;
class TPendingFile;
class TITXMakeLibrary;

namespace harrowin {

// The highest "(n)" of a copy's free name.
constexpr int kHighestCopyNumber = 99;

// Error codes of a failed copy besides errno values.
constexpr int32_t kErrNoFreeName = -2;   // all of "(2)" to "(99)" are taken
constexpr int32_t kErrOutsideRoot = -1;  // the location leaves the player (or the target folder)
// Every failure on the player's files once it has gone (a copy, a photo, an imported note): a
// pulled player answers as its file system goes (a lost connection, an input error, a missing
// file), which would send the user looking for another cause.
constexpr int32_t kErrPlayerGone = ENODEV;
// The reason told for it.
std::string PlayerGoneText();

// How a copy's file name is made. The numbers are those the settings file stores (SongCopy
// MakingNameType, VideoCopy MakeType); any other stored number keeps the player's own name.
enum class TCopyNameType : int32_t { ArtistTitle = 0, Title = 1, PlayerName = 2 };

// The naming settings of one copy run (songs: section SongCopy, videos: VideoCopy).
struct TCopyNaming {
    bool Video = false;  // video rules: no track prefix, no "不明なアーティスト" folder
    bool ArtistFolder = true;
    bool AlbumFolder = false;
    TCopyNameType NameType = TCopyNameType::ArtistTitle;
    bool AddTrackNo = false;  // songs only
};

// True for a text made only of full stops and blanks (also the empty text): such a folder
// name would mean this folder or the one above it.
bool IsDotsAndBlanksOnly(std::string_view text);
// The sub-folder of the artist ("" for none).
std::string ArtistFolderName(const std::string& artist, bool video);
// The sub-folder of the album ("" for none).
std::string AlbumFolderName(const std::string& album);
// The file name part of the target: naming type, track prefix; `playerName` is the file name
// of the source on the player (with its extension).
std::string CopyFileName(const TITBSongItem& song, const std::string& playerName, const TCopyNaming& naming);
// Sub-folders and file name relative to the target folder ("artist/album/name.mp3").
std::string CopyTargetName(const TITBSongItem& song, const std::string& playerName, const TCopyNaming& naming);

// The file of a database location (":" or "/" separated) below the player's root (which ends
// in "/"), found without regard to letter case when the exact spelling is missing. "" when the
// location climbs out of the root.
std::string PlayerSourcePath(const std::string& root, const std::string& location);

// The target itself when nothing has its name, else the first free of its "(2)".."(99)"
// names (FreeEntryName with TNameFit::Cut); "" when all are taken.
std::string FirstFreeName(const std::string& target);

// Gives a file being written its final name: the target's, or the first of its "(2)".."(99)"
// names that is free at that moment, never replacing anything. 0 (finalTarget set),
// kErrNoFreeName when all are taken, or the errno.
int32_t TakeFreeName(TPendingFile& file, const std::string& target, std::string& finalTarget);

// Copies source (only a regular file: a pipe or device fails as a missing file, ENOENT) to a
// new file at target, or at the first of its "(2)".."(99)" names that is free. The bytes go to
// a temporary name beside it first, so a copy that fails or is cut short leaves nothing under
// a final name and an existing file is never opened for writing. On success returns 0 and
// sets finalTarget; the copy is readable and writable by the user and keeps the source's time
// of last change. On failure returns the errno (kErrNoFreeName when all names are taken).
int32_t CopyFileExclusive(const std::string& source, const std::string& target, std::string& finalTarget);
// The same for bytes held in memory (a picture made for the copy).
int32_t WriteFileExclusive(std::string_view bytes, const std::string& target, std::string& finalTarget);

// The counts and texts of one copy run, and the copy of one song.
class TSongCopyRun {
public:
    // folder: the target folder (a "/" is added when missing); playerRoot ends in "/";
    // importList: where the lines of copied songs go, nullptr for none.
    TSongCopyRun(const std::string& folder, const std::string& playerRoot, const TCopyNaming& naming,
                 TITXMakeLibrary* importList);

    enum class TResult { Copied, Failed, NoFreeName };
    // Copies one song; marks it failed (TransferFailed, TransferError) when it cannot be
    // copied, and then removes the sub-folders it made for it while they are empty. Label
    // receives the progress text before the copy (`done`, `total` as shown) and the failure
    // text after a failure.
    TResult CopySong(TITBSongItem& song, int32_t done, int32_t total,
                     const std::function<void(const std::string&)>& label);
    // Counts a song the run could not copy (the player went away before it) as failed with the
    // error code, for the log.
    void MarkFailed(TITBSongItem& song, int32_t code);

    // Asked after a song failed (may be empty): true when the player has gone away, so the
    // failure is logged as the missing device (ENODEV), whatever the file system answered.
    std::function<bool()> PlayerGone;

    int32_t Copied = 0;
    int32_t Failed = 0;
    // A copy failed because the player went away.
    bool PlayerWentAway = false;
    // The last target written (full path), for tests and the log.
    std::string LastTarget;

private:
    std::string FFolder;
    std::string FRoot;
    TCopyNaming FNaming;
    TITXMakeLibrary* FImport;
};

// "(%d/%d) [ %s ]をコピー中".
std::string CopyProgressText(int32_t done, int32_t total, const std::string& fileName);
// How a copy run ended.
struct TCopyEnd {
    int32_t Copied = 0;
    int32_t Failed = 0;
    bool Cancelled = false;
    bool PlayerGone = false;  // the failures are the songs a pulled player kept
    bool ListFailed = false;  // the import list could not be written
};
// The status text at the end of a run. After a cancel the copied count is given, never the
// text that claims every checked item was copied; every song not copied is counted as failed
// (after a pulled player, with the missing device said); an import list that could not be
// written is said.
std::string CopyEndText(bool video, const std::string& folder, const TCopyEnd& end);
std::string CopyEndText(bool video, const std::string& folder, int32_t copied, int32_t failed, bool cancelled);

// The folder check of the copy settings dialog: the label text and whether OK may be pressed.
// freeBytes answers the free bytes of the volume holding an existing folder.
struct TFolderCheck {
    std::string Text;
    bool OkEnabled = false;
};
TFolderCheck CheckCopyFolder(const std::string& text,
                             const std::function<int64_t(const std::string& folder)>& freeBytes);

}  // namespace harrowin
