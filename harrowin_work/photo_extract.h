// Copying the photos of the player's albums into a folder on the PC, without any window: one
// folder per album (its title made safe for a file name) holding either "IMG00000.jpg"... (the
// widest small picture of each photo as a JPEG, quality 90) or the full-size photo files under
// their own names. Also the few photo lookups the photos page and its viewer share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TArtItem;
class TArtworkDBLoader;

namespace harrowin {

// The image id an item text of the photo list stands for; false when the text is no id.
bool PhotoIdOfText(const std::string& text, uint32_t& id);

// The full-size file of a photo: the database folder + its PhotoName (which begins with the
// separator as the player stores it; one is put between them when it does not). An empty
// PhotoName gives the folder without its final separator.
std::string PhotoFileOf(const std::string& dbFolder, const std::string& photoName);

// True when a PhotoName has a ".." part, so that it would name a file outside the database folder.
bool PhotoNameClimbs(const std::string& photoName);

// The file-name part of a PhotoName; "" when there is none a file may take ("", "." or "..").
std::string PhotoFileNamePart(const std::string& photoName);

// The folder an album's photos go to: its title with the characters a file name may not hold
// and "." made blanks.
std::string PhotoAlbumFolderName(const std::string& caption);

// Where one photo goes before a free name is searched: folder/albumFolder/fileName, or
// folder/fileName when the album folder name is empty.
std::string PhotoTargetPath(const std::string& folder, const std::string& albumFolder, const std::string& fileName);

// Outcomes of one photo besides 0 (written) and errno values (the copy's kErrNoFreeName and
// kErrOutsideRoot among them).
constexpr int32_t kPhotoNoPicture = -10;   // nothing to write for it: no failure
constexpr int32_t kPhotoBadPicture = -11;  // its picture cannot be decoded

// Writes the widest small picture of the photo as a JPEG (quality 90) at target, or at the
// first free of its "(2)".."(99)" names (finalTarget), through a temporary name, never over an
// existing file. A picture it had to decode is released again, so extracting every photo
// holds one decoded picture at a time. 0 or the outcome above.
int32_t SavePhotoAsJpeg(TArtItem& entry, const std::string& target, std::string& finalTarget);

// The reason the user reads for an outcome that is a failure.
std::string PhotoFailureText(int32_t code);

// One extraction into a folder: type 0 the small pictures as JPEG, 1 the full-size files.
class TPhotoExtractRun {
public:
    using TLabelEvent = std::function<void(const std::string& Text)>;
    // Called after each photo that was handled; false ends the whole extraction.
    using TStepEvent = std::function<bool()>;

    TPhotoExtractRun(const TArtworkDBLoader& photos, std::string folder, int32_t type);

    // The photos of the album titled caption; done and total are the album counts for the
    // label. False when the step event ended the extraction, or the player went away (the
    // album's photos not reached then count as failed).
    bool ExtractAlbum(const std::string& caption, int32_t done, int32_t total, const TLabelEvent& label,
                      const TStepEvent& step);
    // Counts the photos of an album that the extraction did not reach because the player went
    // away as failed.
    void SkipAlbum(const std::string& caption);

    int32_t Written = 0;  // files saved or copied
    int32_t Failed = 0;   // photos asked for that were not written
    // One line per failure: the file (or album) and the reason.
    std::vector<std::string> Failures;
    // Asked before each photo (may be empty): true once the player has gone away.
    std::function<bool()> PlayerGone;

private:
    void Fail(const std::string& what, int32_t code, int32_t count = 1);

    const TArtworkDBLoader& FPhotos;
    std::string FFolder;
    int32_t FType;
};

// The status text at the end: the plain "transferred" text only when nothing failed; after a
// pulled player it says the device is missing, as the song and video copies do.
std::string PhotoExtractEndText(const std::string& folder, int32_t written, int32_t failed, bool playerGone = false);
// The message listing the failures (the first few of them); "" when there are none.
std::string PhotoFailureMessage(const std::vector<std::string>& failures, int32_t failed);

}  // namespace harrowin
