// Path, file and folder helpers. Paths are UTF-8 with "/" as the separator; sizes are in bytes.
#pragma once

#include <dirent.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Makes the file writable, then deletes it (a symbolic link is removed itself, never its
// target). True when the file is gone by this call.
bool DeleteFileForced(const std::string& fileName);

// Trimmed (bytes <= 32 at both ends) and with one "/" at the end; "" for an empty result.
std::string TrimmedWithTrailingSlash(const std::string& path);
// With one "/" appended unless it ends in "/" already; "" stays "" (never the file-system
// root); no trimming.
std::string WithTrailingSlash(const std::string& path);
// Trimmed, with one trailing "/" removed if present (only one); "" stays "".
std::string TrimmedWithoutTrailingSlash(const std::string& path);

// The parts of a path at its last "/". FileNameOf gives what follows it (the whole path when
// there is none, "" for a path that ends in "/"), FolderPartOf what precedes it with the "/"
// itself ("" when there is none), so that the two together are the path again.
std::string FileNameOf(std::string_view path);
std::string FolderPartOf(std::string_view path);
// The folder that holds the entry a path names, as a path to open: FolderPartOf without its
// trailing "/" (the root stays "/"), "." for a bare name. A trailing "/" would make the system
// follow a link at the folder's last part.
std::string ContainingFolder(std::string_view path);
// Which "." of a file name starts its extension.
enum class TExtensionRule {
    // The last "." wherever it stands: the file's type, so that ".mp3" is all extension.
    LastDot,
    // The last "." when something stands before it and at most 15 bytes follow it: what a name
    // cut to fit or numbered keeps at its end, so that ".bashrc" stays whole and a title with a
    // full stop in it keeps its words.
    ShortAfterStem,
};
// Where the extension of a file name (no "/" in it) starts: the offset of its "."; the name's
// size when it has none.
size_t ExtensionStart(std::string_view fileName, TExtensionRule rule);
// The extension of the path's file name by the LastDot rule: from its last "." on, the "."
// included ("" when the file name has none).
std::string ExtensionOf(std::string_view path);

// True when `path` lies inside `folder` once "." and ".." are resolved (both absolute or both
// relative); a path equal to the folder is not inside it. Only the text is looked at.
bool PathInside(const std::string& folder, const std::string& path);

// True when the file's extension, as "*.ext" in lower case, is one of the ";"-ended entries of
// the mask list ("*.txt;*.c;"): text after the last ";" is no entry; a name without an
// extension never matches.
bool MatchesExtension(const std::string& fileName, const std::string& masks);

// Deletes the folder and everything in it. Stops at the first entry that cannot be deleted and
// returns false, leaving that entry and everything not yet visited (and the folder) in place.
// Symbolic links inside are removed themselves and never followed; a folder given as a link
// has only the link removed.
bool DeleteFolderTree(const std::string& folder);

// What is at a path, without following a link there.
enum class TPathKind {
    None,  // nothing (or the path cannot be looked at)
    File,  // a regular file
    Folder,
    Link,   // a symbolic link, whatever it points to
    Other,  // a named pipe, a device or a socket: never read as a file
};
// A trailing "/" is ignored, so that "link/" is still the link and not what it points to.
TPathKind PathKindOf(const std::string& path);
// True when a file or a folder is at the path; a link (which is followed nowhere), a named pipe
// or a device counts as nothing there. How the player's untrusted entries are looked at.
bool EntryExists(const std::string& path);
// True when anything at all is at the path (a link, even a dangling one, a pipe or a device
// included), without following a link: whether the name is taken.
bool NameTaken(const std::string& path);
// True when a file or folder is at the path once links are followed. Only for files the user
// set up for the program itself (a model table installed as a link); never for the player's
// entries, which go through EntryExists.
bool TargetExists(const std::string& path);

// True when no part of `path` below `root` is a symbolic link (parts that do not exist yet
// are no links) and the path names nothing above the root ("..", another root). The player's
// files and folders are reached through this test, so a link planted in the player can never
// lead a read, write or delete outside it. The root itself may be a link (the user's choice).
bool LinkFreeBelow(const std::string& root, const std::string& path);

// The path root + relative ("/"-separated), each part matched without regard to ASCII case
// when no entry has the exact name (FAT mounts ignore case; copies of a player on ext4 do not).
// Parts that match nothing keep the given spelling. A link counts as an entry of its name and
// is not followed to decide; the folders are listed as TFolderReader lists them.
std::string FindPlayerPath(const std::string& root, const std::string& relative);

// The path as FindPlayerPath gives it, or "" when a part of it below the root is a link: a
// folder or file of the player reached through a link is treated as missing, so nothing is
// read, written, created or deleted through it.
std::string FindPlayerPathNoLinks(const std::string& root, const std::string& relative);

// One entry of a folder as listed, never followed: a link is reported as a link.
struct TFolderEntry {
    std::string_view Name;  // zero-terminated; valid until the next call of Next
    TPathKind Kind;         // File, Folder or Link
};

// Reads the entries of one folder ("." and ".." left out) in the order the file system gives.
// The folder opened by its path is the caller's choice, links on the way included; a sub-folder
// opened through its parent's reader is never reached through a link, so a walk down a tree
// cannot leave it or loop. Named pipes, devices and sockets are not handed out (opening a pipe
// waits for a writer for ever): their names are gathered in Skipped for callers that count or
// delete them. The kind comes from the listing itself where the file system gives it.
class TFolderReader {
public:
    // "" names no folder. With followLink false a link at the path itself is not opened.
    explicit TFolderReader(const std::string& folder, bool followLink = true);
    // The sub-folder `name` of the parent's folder; not open when it is a link or no folder.
    TFolderReader(const TFolderReader& parent, std::string_view name);
    ~TFolderReader();
    TFolderReader(const TFolderReader&) = delete;
    TFolderReader& operator=(const TFolderReader&) = delete;

    bool IsOpen() const { return dir_ != nullptr; }
    // The next entry; false at the end, or when reading failed (Error() then says why).
    bool Next(TFolderEntry& entry);
    // The errno of a failed open or read; 0 when none failed.
    int Error() const { return error_; }
    // The descriptor of the open folder, for calls relative to it (-1 when not open).
    int Fd() const;
    const std::vector<std::string>& Skipped() const { return skipped_; }

    // What the entry of this folder is, and its size in bytes when it is a file. A link is
    // followed only when followLink is true: for a caller that takes a linked file as the
    // file itself. None when there is no such entry (any more).
    TPathKind Look(std::string_view name, bool followLink, int64_t* size = nullptr) const;

private:
    // Takes over the descriptor of an opened folder (or the errno of a failed open when < 0).
    void Adopt(int fd);

    DIR* dir_ = nullptr;
    int error_ = 0;
    std::vector<std::string> skipped_;
};

// Size of an existing file in bytes; 0 when there is no such file (or it is a folder).
int64_t GetFileSize64(const std::string& fileName);

// Appends folder + "/" + name for every entry of the folder that is not a folder itself (in
// name order); a link to a folder counts as a folder, a dangling one as a file. The list is not
// cleared first.
void ListFiles(const std::string& folder, std::vector<std::string>& files);

// True when a network interface other than loopback is up.
bool IsOnline();
