// The subscribed feeds of HarrowinCast, in display order (the main window's list shows the
// same names in the same order). Stored in the settings file under RSSURLData.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TIniFile;

namespace harrowincast {

// One subscribed feed. SIZE is the sum of the enclosure lengths of the last update in bytes;
// COLUMNS the number of items of the feed at the last update.
struct TPodSiteItem {
    std::string NAME;
    std::string AUTHOR;
    std::string DATE;
    std::string FILE;
    std::string DESCRIPTION;
    std::string URL;
    std::string LINK;
    std::string PLAYLIST;
    int32_t SIZE = 0;
    int32_t COLUMNS = 0;
};

class TPodSiteList {
public:
    TPodSiteItem* Add();
    // The first feed of exactly that name; else a new empty feed appended (NAME left empty).
    TPodSiteItem* FindOrAdd(const std::string& name);
    // Deletes the last feed of exactly that name; nothing when there is none.
    void Delete(const std::string& name);
    // Deletes the feed at the index (a line of the main window's list names its feed by its
    // place, never by its text); nothing when the index is outside the list.
    void DeleteAt(int index);
    int Count() const { return static_cast<int>(FItems.size()); }
    // nullptr when the index is outside the list.
    TPodSiteItem* GetItem(int index) const;
    // The last feed whose name equals the name ignoring case; nullptr when none does.
    TPodSiteItem* Find(const std::string& name) const;
    // True when a feed other than self (nullptr: a new feed) is SameFeed as the name.
    bool NameTakenByOther(const std::string& name, const TPodSiteItem* self) const;
    // Every feed in order.
    std::vector<TPodSiteItem*> Items() const;

    void LoadFromIni(TIniFile& ini);
    // Writes the feeds and then the whole file (EFileError when it cannot be written).
    void SaveToIni(TIniFile& ini) const;

private:
    std::vector<std::unique_ptr<TPodSiteItem>> FItems;
};

// The name of a feed's episode folder under PodCastings/ and, with ".RSS", of its cache file
// under RSSTemp/: the name made one folder entry, cut so that the cache file's name and the
// temporary name of its download fit the file system's limit.
std::string FeedEntryName(const std::string& FeedName);

// The one rule of a feed's identity: true when two feed names would be one feed, because they
// read back from the settings file as one name without case (EnteredName), or make one folder
// and cache file name without case (the folder may lie on a file system that ignores it), or
// one play list. Such names would share a record, episodes, a play list and their deletion.
bool SameFeed(const std::string& a, const std::string& b);

// Lower-cased (ASCII letters, as 8-bit code page 932 lower-casing does) and trimmed: the key by
// which feed names, play list names and file paths are compared without case.
std::string PodcastCompareKey(const std::string& text);

}  // namespace harrowincast
