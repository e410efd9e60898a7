#include "harrowin_work/artist_tree.h"

#include <algorithm>

#include "foundation/encoding.h"

namespace harrowin {

int32_t TArtistTree::FindOrAddArtistNode(const std::string& artist) {
    auto [it, added] = FIndex.try_emplace(encoding::AsciiLower(artist), static_cast<int32_t>(FNodes.size()));
    if (added) {
        FNodes.push_back(TArtistNode{artist, {}});
        FAlbumKeys.emplace_back();
    }
    return it->second;
}

void TArtistTree::AddAlbumNode(int32_t node, const std::string& album) {
    if (node < 0 || node >= static_cast<int32_t>(FNodes.size())) return;
    if (encoding::TrimView(album).empty()) return;
    if (FAlbumKeys[static_cast<size_t>(node)].insert(encoding::AsciiLower(album)).second) {
        FNodes[static_cast<size_t>(node)].Albums.push_back(album);
    }
}

void TArtistTree::Clear() {
    FNodes.clear();
    FAlbumKeys.clear();
    FIndex.clear();
}

std::vector<std::vector<int32_t>> GroupArtistEntries(const std::vector<TArtistEntry>& entries) {
    std::vector<std::vector<int32_t>> groups;
    std::unordered_map<std::string, size_t> byArtist;
    byArtist.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        auto [it, added] = byArtist.try_emplace(encoding::AsciiLower(entries[i].Artist), groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(static_cast<int32_t>(i));
    }
    for (auto& group : groups) {
        if (group.size() > 2) std::reverse(group.begin() + 1, group.end());
    }
    return groups;
}

}  // namespace harrowin
