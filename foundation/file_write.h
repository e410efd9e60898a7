// Writing a whole file safely where links may be planted (the player): the bytes go to a
// temporary name in the target's folder, which then takes the target's name, so a failed
// write never leaves a partial file and never touches what a link points to. A link at the
// target, or a folder that is itself a link, is refused. Failures throw EFileError naming
// the file.
#pragma once

#include <string>
#include <string_view>

// Whether the folder that holds the target may itself be a link. Inside the player it may not;
// a place the user picked in a save dialog (a linked ~/Desktop, say) may.
enum class TFolderLink { Refuse, Follow };

// Writes the bytes as the file, replacing a regular file of that name (which keeps its
// permissions; a read-only one is refused, as opening it for writing would be).
void WriteWholeFile(const std::string& path, std::string_view bytes, TFolderLink folderLink = TFolderLink::Refuse);

// Writes the bytes as a new file; anything already of that name (a file, a link, a folder)
// is never replaced and fails with EEXIST.
void WriteNewFile(const std::string& path, std::string_view bytes);

// Copies the regular file at `source` (never reached through a link at its last part) as a
// new file: the bytes stream to a temporary name in the target's folder, which takes the
// target's name only when all arrived; anything of that name is never replaced (EEXIST). The
// target's folder may not be a link.
void CopyToNewFile(const std::string& source, const std::string& path);
