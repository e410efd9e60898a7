// Path, file and folder helpers. Paths are UTF-8 with "/" as the separator; sizes are in bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Makes the file writable, then deletes it (a symbolic link is removed itself, never its
// target). True when the file is gone by this call.
bool DeleteFileForced(const std::string& fileName);

// Trimmed (bytes <= 32 at both ends) and with one "/" at the end; "" for an empty result.
std::string TrimIncludeBackslash(const std::string& path);
// With one "/" appended unless it ends in "/" already; "" stays ""; no trimming.
std::string IncludeBackslash(const std::string& path);
// Trimmed, with one trailing "/" removed if present (only one); "" stays "".
std::string ExcludeBackslash(const std::string& path);

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
    None,    // nothing (or the path cannot be looked at)
    File,    // a regular file
    Folder,
    Link,    // a symbolic link, whatever it points to
    Other,   // a named pipe, a device or a socket: never read as a file
};
TPathKind PathKindOf(const std::string& path);
// True when a file or a folder is at the path; a link (which is followed nowhere), a named pipe
// or a device counts as nothing there. How the player's untrusted entries are looked at.
bool EntryExists(const std::string& path);

// True when no part of `path` below `root` is a symbolic link (parts that do not exist yet
// are no links) and the path names nothing above the root ("..", another root). The player's
// files and folders are reached through this test, so a link planted in the player can never
// lead a read, write or delete outside it. The root itself may be a link (the user's choice).
bool LinkFreeBelow(const std::string& root, const std::string& path);

// Size of an existing file in bytes; 0 when there is no such file (or it is a folder).
int64_t GetFileSize64(const std::string& fileName);

// Appends folder + "/" + name for every entry of the folder that is not a folder itself (in
// name order); the list is not cleared first.
void ListFiles(const std::string& folder, std::vector<std::string>& files);

// True when a network interface other than loopback is up.
bool IsOnline();
