// The artist tree of the song page: top-level artists, each with its albums. Artists whose
// names differ only in the case of Latin letters share one node (the spelling met first);
// an album is added to an artist once. Built with hash lookups, so a player of tens of
// thousands of songs is grouped in one pass.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace harrowin {

struct TArtistNode {
    std::string Text;
    std::vector<std::string> Albums;  // in the order they were added
};

class TArtistTree {
public:
    // The node whose lower-cased text equals the lower-cased artist, else a new one.
    int32_t FindOrAddArtistNode(const std::string& artist);
    // Nothing when the trimmed album is empty or the node has an album of the same
    // lower-cased text; else the album (untrimmed) is added.
    void AddAlbumNode(int32_t node, const std::string& album);
    void Clear();

    const std::vector<TArtistNode>& Nodes() const { return FNodes; }

private:
    std::vector<TArtistNode> FNodes;
    std::vector<std::unordered_set<std::string>> FAlbumKeys;
    std::unordered_map<std::string, int32_t> FIndex;
};

// One (artist, album) pair of a song that has an artist, in list order.
struct TArtistEntry {
    std::string Artist;
    std::string Album;
};

// The order in which the fill handles the pairs: one group per artist (by lower-cased name),
// groups in the order of their first pair; inside a group the first pair, then the others
// from the last one backwards (the order the fill has always added albums in, which decides
// which spelling of an album differing only in case is shown).
std::vector<std::vector<int32_t>> GroupArtistEntries(const std::vector<TArtistEntry>& entries);

}  // namespace harrowin
