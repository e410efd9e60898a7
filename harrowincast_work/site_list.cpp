#include "harrowincast_work/site_list.h"

#include <algorithm>
#include <cstdio>

#include "foundation/encoding.h"
#include "foundation/ini_file.h"
#include "foundation/names.h"

namespace harrowincast {

namespace {
const char* const kSection = "RSSURLData";

std::string ItemKey(int n, const char* field) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "Item-%d", n);
    return std::string(prefix) + "." + field;
}
}  // namespace

std::string FeedEntryName(const std::string& FeedName) {
    // ".RSS" and the ".partXXXXXX" of a download in progress follow the name.
    constexpr size_t kRoom = kMaxEntryNameBytes - 4 - 11;
    return EntryNameFitting(EntryNameAllowingAllButSlash(FeedName), kRoom, TNameFit::Marked);
}

std::string PodcastCompareKey(const std::string& text) { return encoding::AsciiLower(encoding::Trim(text)); }

bool SameFeed(const std::string& a, const std::string& b) {
    // A play list key (PodcastCompareKey of "PCast " and the name) is the name trimmed and
    // lower-cased: equal keys give equal lower-cased entered names, so the first test holds it.
    return encoding::AsciiLower(EnteredName(a)) == encoding::AsciiLower(EnteredName(b)) ||
           encoding::AsciiLower(FeedEntryName(a)) == encoding::AsciiLower(FeedEntryName(b));
}

TPodSiteItem* TPodSiteList::Add() {
    FItems.push_back(std::make_unique<TPodSiteItem>());
    return FItems.back().get();
}

TPodSiteItem* TPodSiteList::FindOrAdd(const std::string& name) {
    for (const auto& item : FItems)
        if (item->NAME == name) return item.get();
    return Add();
}

void TPodSiteList::Delete(const std::string& name) {
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it) {
        if ((*it)->NAME == name) {
            FItems.erase(std::next(it).base());
            return;
        }
    }
}

void TPodSiteList::DeleteAt(int index) {
    if (index < 0 || index >= Count()) return;
    FItems.erase(FItems.begin() + index);
}

std::vector<TPodSiteItem*> TPodSiteList::Items() const {
    std::vector<TPodSiteItem*> items;
    for (const auto& item : FItems) items.push_back(item.get());
    return items;
}

TPodSiteItem* TPodSiteList::GetItem(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return FItems[static_cast<size_t>(index)].get();
}

TPodSiteItem* TPodSiteList::Find(const std::string& name) const {
    // Lower-casing without trimming: the names are compared whole.
    const std::string key = encoding::AsciiLower(name);
    TPodSiteItem* found = nullptr;
    for (const auto& item : FItems)
        if (encoding::AsciiLower(item->NAME) == key) found = item.get();
    return found;
}

bool TPodSiteList::NameTakenByOther(const std::string& name, const TPodSiteItem* self) const {
    for (const auto& item : FItems)
        if (item.get() != self && SameFeed(item->NAME, name)) return true;
    return false;
}

void TPodSiteList::LoadFromIni(TIniFile& ini) {
    FItems.clear();
    // Never more feeds than the file has lines, whatever Count says.
    const int count = std::min(ini.ReadInteger("System", "Count", 0), ini.LineCount());
    for (int n = 0; n < count; ++n) {
        TPodSiteItem* item = Add();
        // Names edited by hand into the file are read as typed ones: a control character (a
        // NUL among them) would cut the play list's name and its file.
        item->NAME = EnteredName(ini.ReadString(kSection, ItemKey(n, "NAME"), ""));
        item->URL = ini.ReadString(kSection, ItemKey(n, "URL"), "");
        item->LINK = ini.ReadString(kSection, ItemKey(n, "LINK"), "");
        item->DATE = ini.ReadString(kSection, ItemKey(n, "DATE"), "");
        item->FILE = ini.ReadString(kSection, ItemKey(n, "FILE"), "");
        item->DESCRIPTION = ini.ReadString(kSection, ItemKey(n, "DESCRIPTION"), "");
        item->AUTHOR = ini.ReadString(kSection, ItemKey(n, "AUTHOR"), "");
        item->PLAYLIST = EnteredName(ini.ReadString(kSection, ItemKey(n, "PLAYLIST"), ""));
        item->COLUMNS = ini.ReadInteger(kSection, ItemKey(n, "COLUMNS"), 0);
        item->SIZE = ini.ReadInteger(kSection, ItemKey(n, "SIZE"), 0);
    }
}

void TPodSiteList::SaveToIni(TIniFile& ini) const {
    ini.WriteInteger("System", "Count", Count());
    for (int n = 0; n < Count(); ++n) {
        const TPodSiteItem& item = *FItems[static_cast<size_t>(n)];
        ini.WriteString(kSection, ItemKey(n, "NAME"), item.NAME);
        ini.WriteString(kSection, ItemKey(n, "URL"), item.URL);
        ini.WriteString(kSection, ItemKey(n, "LINK"), item.LINK);
        ini.WriteString(kSection, ItemKey(n, "DATE"), item.DATE);
        ini.WriteString(kSection, ItemKey(n, "FILE"), item.FILE);
        ini.WriteString(kSection, ItemKey(n, "DESCRIPTION"), item.DESCRIPTION);
        ini.WriteString(kSection, ItemKey(n, "AUTHOR"), item.AUTHOR);
        ini.WriteString(kSection, ItemKey(n, "PLAYLIST"), item.PLAYLIST);
        ini.WriteInteger(kSection, ItemKey(n, "COLUMNS"), item.COLUMNS);
        ini.WriteInteger(kSection, ItemKey(n, "SIZE"), item.SIZE);
    }
    ini.UpdateFile();
}

}  // namespace harrowincast
