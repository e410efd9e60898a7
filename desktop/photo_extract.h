// Copying the photos of the player's albums into a folder on the PC, without any window: one
// folder per album (its title made safe for a file name) holding either "IMG00000.jpg"... (the
// widest small picture of each photo as a JPEG, quality 90) or the full-size photo files under
// their own names. Also the few photo lookups the photos page and its viewer share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TArtItem;
class TArtworkDBLoader;

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

// Writes the widest small picture of the photo as a JPEG (quality 90). False when the photo has
// no small picture, its picture cannot be decoded or the file cannot be written (nothing is
// reported: the extraction does not report a failed save). A picture it had to decode is
// released again, so extracting every photo holds one decoded picture at a time.
bool SavePhotoAsJpeg(TArtItem& entry, const std::string& file);

// One extraction into a folder: type 0 the small pictures as JPEG, 1 the full-size files.
class TPhotoExtractRun {
public:
    using TLabelEvent = std::function<void(const std::string& Text)>;
    // Called after each photo that was handled; false ends the whole extraction.
    using TStepEvent = std::function<bool()>;

    TPhotoExtractRun(const TArtworkDBLoader& photos, std::string folder, int32_t type);

    // The photos of the album titled caption; done and total are the album counts for the
    // label. False when the step event ended the extraction.
    bool ExtractAlbum(const std::string& caption, int32_t done, int32_t total, const TLabelEvent& label,
                      const TStepEvent& step);

    int32_t Written = 0;   // files saved or copied

private:
    const TArtworkDBLoader& FPhotos;
    std::string FFolder;
    int32_t FType;
};
