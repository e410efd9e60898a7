// HarrowinCast's memory of every episode it downloaded, keyed by the full path of the file;
// stored in "Lumenquist.LST" in the program folder. Seen marks the episodes the current update
// found in their feeds; PlayListName, Size and Seen are not stored.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TPodCastItem {
    std::string TITLE;        // NAME of the feed it belongs to
    std::string BLOGNAME;     // channel title
    std::string CAPTION;      // the item's title
    std::string AUTHOR;
    std::string DATE;         // as written in the feed
    std::string FILE;         // full path of the downloaded file
    std::string DESCRIPTION;
    std::string FORDELETENAME;  // the track name given in the media library
    std::string PlayListName;
    int32_t Size = 0;         // the enclosure's length attribute, bytes
    bool Seen = false;
};

class TPodCastList {
public:
    void ClearSeen();
    // Removes every episode not seen and returns their paths, last episode first.
    void ExtractUnseen(std::vector<std::string>& files);
    // Every episode seen, except those whose FILE is one of the files ignoring case.
    void MarkByFiles(const std::vector<std::string>& files);
    // The first episode of exactly that path; else a new empty episode appended.
    TPodCastItem* FindOrAdd(const std::string& path);
    int Count() const { return static_cast<int>(FItems.size()); }
    TPodCastItem* GetItem(int index) const;

    // A missing file leaves the list as it is.
    void LoadFromFile(const std::string& FileName);
    // Replaces the whole file (EFileError when it cannot be written).
    void SaveToFile(const std::string& FileName) const;

private:
    std::vector<std::unique_ptr<TPodCastItem>> FItems;
};
