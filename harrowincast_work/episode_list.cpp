#include "harrowincast_work/episode_list.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "foundation/errors.h"
#include "foundation/ini_file.h"
#include "foundation/names.h"

namespace harrowincast {

namespace {
// The list keeps every episode with its description, so it may grow far beyond a settings
// file; the bound only keeps a file that is no list of ours from filling the memory (bytes).
constexpr uint64_t kMaxListBytes = 256u << 20;

std::string Section(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "Item-%d", n);
    return name;
}
}  // namespace

void TPodCastList::ExtractWhere(const std::function<bool(const TPodCastItem&)>& leaves,
                                std::vector<std::string>& files) {
    files.clear();
    std::vector<std::unique_ptr<TPodCastItem>> kept;
    kept.reserve(FItems.size());
    for (auto& item : FItems) {
        if (leaves(*item)) {
            files.push_back(item->FILE);
        } else {
            kept.push_back(std::move(item));
        }
    }
    FItems = std::move(kept);
    std::reverse(files.begin(), files.end());
}

TPodCastItem* TPodCastList::FindOrAdd(const std::string& path) {
    for (const auto& item : FItems)
        if (item->FILE == path) return item.get();
    return Add(path);
}

TPodCastItem* TPodCastList::Add(const std::string& path) {
    FItems.push_back(std::make_unique<TPodCastItem>());
    FItems.back()->FILE = path;
    return FItems.back().get();
}

TPodCastItem* TPodCastList::GetItem(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return FItems[static_cast<size_t>(index)].get();
}

void TPodCastList::LoadFromFile(const std::string& FileName) {
    TIniFile ini(FileName, TIniFile::Start::ReadFile, kMaxListBytes);
    if (!ini.ReadFailure().empty()) {
        FUnreadFile = FileName;
        FUnreadFailure = ini.ReadFailure();
        throw EFileError(FUnreadFailure);
    }
    FUnreadFile.clear();
    std::error_code ec;
    if (!std::filesystem::exists(FileName, ec)) return;
    FItems.clear();
    // Missing sections give empty episodes, but never more than the file has lines: a Count
    // edited to two thousand million must not fill the memory.
    const int count = std::min(ini.ReadInteger("RSSURLData", "Count", 0), ini.LineCount());
    for (int n = 0; n < count; ++n) {
        const std::string s = Section(n);
        auto item = std::make_unique<TPodCastItem>();
        // The feed's name, read as the settings read it, so that the episode stays the feed's.
        item->TITLE = EnteredName(ini.ReadString(s, "TITLE", ""));
        item->BLOGNAME = ini.ReadString(s, "BLOGNAME", "");
        item->CAPTION = ini.ReadString(s, "CAPTION", "");
        item->DATE = ini.ReadString(s, "DATE", "");
        item->FILE = ini.ReadString(s, "FILE", "");
        item->DESCRIPTION = ini.ReadString(s, "DESCRIPTION", "");
        item->AUTHOR = ini.ReadString(s, "AUTHOR", "");
        item->FORDELETENAME = ini.ReadString(s, "FORDELETENAME", "");
        item->URL = ini.ReadString(s, "URL", "");
        FItems.push_back(std::move(item));
    }
}

void TPodCastList::SaveToFile(const std::string& FileName) const {
    if (!FUnreadFile.empty() && FileName == FUnreadFile) throw EFileError(FUnreadFailure);
    TIniFile ini(FileName, TIniFile::Start::Empty, kMaxListBytes);
    ini.WriteInteger("RSSURLData", "Count", Count());
    for (int n = 0; n < Count(); ++n) {
        const TPodCastItem& item = *FItems[static_cast<size_t>(n)];
        const std::string s = Section(n);
        ini.WriteString(s, "TITLE", item.TITLE);
        ini.WriteString(s, "BLOGNAME", item.BLOGNAME);
        ini.WriteString(s, "CAPTION", item.CAPTION);
        ini.WriteString(s, "DATE", item.DATE);
        ini.WriteString(s, "FILE", item.FILE);
        ini.WriteString(s, "DESCRIPTION", item.DESCRIPTION);
        ini.WriteString(s, "AUTHOR", item.AUTHOR);
        ini.WriteString(s, "FORDELETENAME", item.FORDELETENAME);
        // A key of its own after the others: a reader that knows only those reads the file
        // as before.
        ini.WriteString(s, "URL", item.URL);
    }
    ini.UpdateFile();
}

}  // namespace harrowincast
