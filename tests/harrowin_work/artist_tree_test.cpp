// The artist tree of the song page: each artist once, its albums under it.
#include <gtest/gtest.h>

#include "harrowin_work/artist_tree.h"

using namespace harrowin;

TEST(ArtistTree, GroupingHandlesEachArtistOnce) {
    const std::vector<TArtistEntry> entries = {{"B", "x"}, {"a", "1"}, {"b", "X"}, {"A", "2"}, {"B", "y"}, {"b", "x2"}};
    const auto groups = GroupArtistEntries(entries);
    ASSERT_EQ(groups.size(), size_t(2));
    // The first pair, then the rest from the last backwards.
    EXPECT_EQ(groups[0], (std::vector<int32_t>{0, 5, 4, 2}));
    EXPECT_EQ(groups[1], (std::vector<int32_t>{1, 3}));
    TArtistTree tree;
    for (const auto& group : groups) {
        const int32_t node = tree.FindOrAddArtistNode(entries[static_cast<size_t>(group[0])].Artist);
        for (int32_t e : group) tree.AddAlbumNode(node, entries[static_cast<size_t>(e)].Album);
    }
    ASSERT_EQ(tree.Nodes().size(), size_t(2));
    EXPECT_EQ(tree.Nodes()[0].Text, std::string("B"));
    EXPECT_EQ(tree.Nodes()[0].Albums, (std::vector<std::string>{"x", "x2", "y"}));
    EXPECT_EQ(tree.Nodes()[1].Albums, (std::vector<std::string>{"1", "2"}));
    // Empty and blank albums make no node; the untrimmed text is kept.
    tree.AddAlbumNode(1, "");
    tree.AddAlbumNode(1, "  ");
    tree.AddAlbumNode(1, " z ");
    tree.AddAlbumNode(1, " Z ");
    tree.AddAlbumNode(7, "nothing");
    EXPECT_EQ(tree.Nodes()[1].Albums, (std::vector<std::string>{"1", "2", " z "}));
}

