// Writing files safely where links may be planted (the player) and where a write may be cut
// short (a full disk, a killed program, a pulled player): the bytes go to a temporary name in
// the target's folder, created exclusively and never through a link, which then takes the
// target's name, so a failed write never leaves a partial file under a final name and never
// touches what a link points to. A link at the target, or a folder that is itself a link, is
// refused. Temporaries that a killed writer left behind are cleared from a folder the next
// time something is written there, and lists leave them out. Failures throw EFileWriteError
// (an EFileError) naming the file.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "foundation/errors.h"
#include "foundation/unique_fd.h"

// Whether the folder that holds the target may itself be a link. Inside the player it may not;
// a place the user picked in a save dialog (a linked ~/Desktop, say) may.
enum class TFolderLink { Refuse, Follow };

// Writes the bytes as the file, replacing a regular file of that name (which keeps its
// permissions; a read-only one is refused, as opening it for writing would be).
void WriteWholeFile(const std::string& path, std::string_view bytes, TFolderLink folderLink = TFolderLink::Refuse);

// Writes the bytes as a new file; anything already of that name (a file, a link, a folder)
// is never replaced and fails with EEXIST.
void WriteNewFile(const std::string& path, std::string_view bytes, TFolderLink folderLink = TFolderLink::Refuse);

// A file that could not be created or written, with the errno that said why.
class EFileWriteError : public EFileError {
public:
    EFileWriteError(const std::string& message, int code) : EFileError(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

// Copies what the descriptor `in` gives, from where it stands to its end, to `out` (in large
// blocks; the kernel's copy where the two file systems allow it): 0 or the errno.
int CopyFileData(int in, int out);

// Copies the regular file `source` (not a link, a pipe or a device there) to `path` as
// WriteWholeFile writes bytes: through a temporary, replacing a regular file of that name.
// 0 or the errno (ENOENT for a source that is no regular file).
int CopyWholeFile(const std::string& source, const std::string& path, TFolderLink folderLink = TFolderLink::Refuse);

// Gives the open file the permission bits `mode`. A file system without permissions (FAT,
// through the kernel or through FUSE) refuses; the file is whole all the same, so the refusal
// is never a failed write.
void SetModeWherePermitted(int fd, mode_t mode);

// True for a name this writer gives its temporaries (".~hw<process>-<n>.tmp").
bool IsWriterTemporaryName(std::string_view name);

// A file being written under a temporary name in its folder; it takes a final name only when
// told to, and a temporary that never took one is removed when the object goes. For copies
// that stream their bytes and choose among several final names.
class TPendingFile {
public:
    // The temporary in the folder that `path` names a file of (the folder must exist). The
    // folder is first cleared of temporaries that writers no longer running left there.
    explicit TPendingFile(const std::string& path, TFolderLink folderLink = TFolderLink::Refuse);
    ~TPendingFile();
    TPendingFile(const TPendingFile&) = delete;
    TPendingFile& operator=(const TPendingFile&) = delete;

    // The descriptor to write to, and to read back from (-1 once closed).
    int Fd() const { return fd_.Get(); }
    // The descriptor of the folder, and the file name part of the path given.
    int FolderFd() const { return folder_.Get(); }
    const std::string& TargetName() const { return name_; }

    // Writes all of the bytes: 0 or the errno.
    int Write(std::string_view bytes);
    // Closes the file: 0 or the errno of the close (a write that failed only then). Done by
    // TakeName when not done before.
    int Close();

    enum class TTake { Replace, New };
    // Gives the file the name `name` in its folder (a name without "/"). Replace: a file of
    // that name is replaced (the name, never what a link there points to); New: nothing of
    // that name is ever replaced, EEXIST when the name is taken. 0 or the errno; after a
    // failure the temporary is still there for another name.
    int TakeName(const std::string& name, TTake how);

private:
    std::string name_;
    std::string temp_;
    TUniqueFd folder_;
    TUniqueFd fd_;
    int closeError_ = 0;
    bool taken_ = false;
};

// Copies the regular file `source` (never reached through a link at its last part) as a new
// file: through a temporary in the target's folder, which takes the target's name only when
// all arrived; anything of that name is never replaced (EEXIST).
void CopyToNewFile(const std::string& source, const std::string& path);
