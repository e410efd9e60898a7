// The plain file work of the contacts, calendar and to-do pages, kept apart from their windows:
// which rows of a list lie before a base date-time, deleting listed files of an organiser folder,
// the names of new event and to-do files, rows' paths relative to their folder, the import copy
// that never replaces a file, and the name of a new contact's file. Folders end in "/".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "foundation/date_time.h"

namespace harrowin {

// One row of the calendar or to-do list as the removal sees it: the raw DTSTART text and the
// file's path relative to the calendars folder.
struct TPastEntryRow {
    std::string RawStart;
    std::string FileName;
};

// Walks the rows in the order given (the list's display order) and adds the file name of every
// row whose start lies strictly before Base. An empty start ends the walk. A start that is no
// date-time raises EConvertError (nothing is returned then). True when a row was found.
bool CollectPastEntries(std::vector<std::string>& Names, const std::vector<TPastEntryRow>& Rows, TDateTime Base);

// The file of a name relative to the folder; "" when the name is empty or leads out of the
// folder ("..", an absolute name).
std::string FileInFolder(const std::string& Folder, const std::string& Name);

// Deletes folder + name for each name in order (made writable first). OnFailure is called with
// the path of each file that could not be deleted (or that would lie outside the folder); the
// others are still deleted.
void DeleteListedFiles(const std::string& Folder, const std::vector<std::string>& Names,
                       const std::function<void(const std::string& Path)>& OnFailure);

// The path of a listed file relative to the folder ("sub/name" for a file in a sub-folder);
// the path as it is when it does not start with the folder.
std::string RelativeToFolder(const std::string& Folder, const std::string& Path);

// Whether a file name exists (a test seam for the name searches below).
using TFileExists = std::function<bool(const std::string& Path)>;

// Folder + Base + "_<n>.ics" with the first n (0 to 0x10000, upper-case hexadecimal) whose file
// does not exist; when all exist, folder + Base + "_Error".
std::string MakeEventFileName(const std::string& Folder, const std::string& Base, const TFileExists& Exists = {});
// Folder + "t" + Base + "_<n>" (without extension) with the first n whose ".ics" file does not
// exist; when all exist, folder + Base + "_Error". The caller appends ".ics".
std::string MakeTaskFileName(const std::string& Folder, const std::string& Base, const TFileExists& Exists = {});

// The file of a new contact: folder + full name + ".vcf". A full name that cannot be one file
// name inside the folder (a path separator, a character the player's file system refuses), or
// an empty folder (no player), raises EFileError, as a failed write would.
std::string NewContactFileName(const std::string& Folder, const std::string& FullName);

// Copies the file to folder + its own name, never replacing an existing file. False when the
// copy failed (the target exists, the source cannot be read, the folder cannot be written).
bool CopyIntoFolder(const std::string& Source, const std::string& Folder);

}  // namespace harrowin
