// HarrowinCast's memory of every episode it downloaded, keyed by the full path of the file;
// stored in "Lumenquist.LST" in the program folder. PlayListName and Size are not stored. Which
// episodes leave the list is decided by TEpisodeRemoval (harrowincast_work/episode_removal.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace harrowincast {

struct TPodCastItem {
    std::string TITLE;     // NAME of the feed it belongs to
    std::string BLOGNAME;  // channel title
    std::string CAPTION;   // the item's title
    std::string AUTHOR;
    std::string DATE;  // as written in the feed
    std::string FILE;  // full path of the downloaded file
    std::string DESCRIPTION;
    std::string FORDELETENAME;  // the track name given in the media library
    // The enclosure's address the file came from, so that two enclosures of one file name
    // keep two files; empty in lists written before it was kept.
    std::string URL;
    std::string PlayListName;
    int32_t Size = 0;  // the enclosure's length attribute, bytes
};

class TPodCastList {
public:
    // Removes every episode for which leaves is true and gives their paths, last episode first.
    void ExtractWhere(const std::function<bool(const TPodCastItem&)>& leaves, std::vector<std::string>& files);
    // The first episode of exactly that path; else a new episode of that path appended.
    TPodCastItem* FindOrAdd(const std::string& path);
    // A new episode of that path appended, for a caller that knows the list has none.
    TPodCastItem* Add(const std::string& path);
    int Count() const { return static_cast<int>(FItems.size()); }
    TPodCastItem* GetItem(int index) const;

    // A missing file leaves the list as it is. So does one that is there but could not be read
    // (see TIniFile): it throws EFileError saying so, and that file is never replaced.
    void LoadFromFile(const std::string& FileName);
    // Replaces the whole file (EFileError when it cannot be written, or when it is the file
    // that could not be read).
    void SaveToFile(const std::string& FileName) const;
    // True when the file last loaded was there but not read (it is kept, see LoadFromFile).
    bool KeepsUnreadFile() const { return !FUnreadFile.empty(); }

private:
    std::vector<std::unique_ptr<TPodCastItem>> FItems;
    std::string FUnreadFile;     // the file that was there but not read
    std::string FUnreadFailure;  // why, as told when it was read
};

}  // namespace harrowincast
