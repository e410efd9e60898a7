#include "platform/media_library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace {

TEST(MediaLibrary, AddFileFindsTrackByLocationOnceAndKeepsItAcrossReopen) {
    TempDir dir;
    const std::string a = dir.Write("a/ep1.mp3", "x");
    const std::string b = dir.Write("a/ep2.mp3", "y");
    {
        TMediaLibrary app(dir / "lib.sqlite");
        auto lib = app.LibraryPlaylist();
        lib.AddFile(a);
        lib.AddFile(b);
        lib.AddFile(a);  // already there: not twice
        auto tracks = lib.Tracks();
        ASSERT_EQ(tracks.Count(), 2);
        EXPECT_EQ(tracks.Item(1).Location(), a);
        EXPECT_EQ(tracks.Item(1).Name(), "ep1");
        EXPECT_EQ(tracks.Item(2).Location(), b);
        tracks.Item(2).SetArtist("someone");
        tracks.Item(2).SetGenre("PodCasting");
        EXPECT_THROW(tracks.Item(0), EMediaLibraryError);
        EXPECT_THROW(tracks.Item(3), EMediaLibraryError);
        EXPECT_THROW(lib.AddFile(dir / "missing.mp3"), EMediaLibraryError);
    }
    TMediaLibrary again(dir / "lib.sqlite");
    auto tracks = again.LibraryPlaylist().Tracks();
    ASSERT_EQ(tracks.Count(), 2);
    EXPECT_EQ(tracks.Item(2).Artist(), "someone");
    EXPECT_EQ(tracks.Item(2).Genre(), "PodCasting");
}

TEST(MediaLibrary, DeletingTracksAndPlaylistsRenumbersCollectionsFromOne) {
    TempDir dir;
    TMediaLibrary app(dir / "lib.sqlite");
    auto lib = app.LibraryPlaylist();
    for (const char* n : {"1.mp3", "2.mp3", "3.mp3"}) lib.AddFile(dir.Write(n, "x"));
    auto list = app.CreatePlaylist("Harrowin Cast");
    list.AddTrack(lib.Tracks().Item(1));
    list.AddTrack(lib.Tracks().Item(3));
    TMediaTrack first = lib.Tracks().Item(1);
    first.Delete();
    ASSERT_EQ(lib.Tracks().Count(), 2);
    EXPECT_EQ(lib.Tracks().Item(1).Location(), dir / "2.mp3");
    ASSERT_EQ(list.Tracks().size(), 1u);  // gone from the play list as well
    EXPECT_EQ(list.Tracks()[0].Location(), dir / "3.mp3");
    EXPECT_THROW(first.Name(), EMediaLibraryError);

    app.CreatePlaylist("second");
    auto lists = app.LibrarySource().PlayLists();
    ASSERT_EQ(lists.Count(), 2);
    lists.Item(1).Delete();
    ASSERT_EQ(lists.Count(), 1);
    EXPECT_EQ(lists.Item(1).Name(), "second");
    EXPECT_THROW(list.AddTrack(lib.Tracks().Item(1)), EMediaLibraryError);
}

TEST(MediaLibrary, UpdateiPodWritesEachPlaylistAsM3u8InsideTheLibraryFolder) {
    TempDir dir;
    TMediaLibrary app(dir / "lib/lib.sqlite");
    auto lib = app.LibraryPlaylist();
    lib.AddFile(dir.Write("ep.mp3", "x"));
    auto track = lib.Tracks().Item(1);
    track.SetName("Episode(Mon)");
    track.SetArtist("Author");
    app.CreatePlaylist("PCast News").AddTrack(track);
    // A feed's title that tries to add an entry of its own; an episode without an author.
    lib.AddFile(dir.Write("ep2.mp3", "x"));
    auto crafted = lib.Tracks().Item(2);
    crafted.SetName("Title\r\n/etc/shadow");
    app.CreatePlaylist("Crafted").AddTrack(crafted);
    app.CreatePlaylist("../../evil/name");  // a user's text, never a path
    app.CreatePlaylist("..");
    app.UpdateiPod();
    EXPECT_EQ(ReadFileText(dir / "lib/PCast News.m3u8"),
              "#EXTM3U\r\n#EXTINF:-1,Author - Episode(Mon)\r\n" + (dir / "ep.mp3") + "\r\n");
    EXPECT_EQ(ReadFileText(dir / "lib/Crafted.m3u8"),
              "#EXTM3U\r\n#EXTINF:-1,Title  /etc/shadow\r\n" + (dir / "ep2.mp3") + "\r\n");
    EXPECT_EQ(ReadFileText(dir / "lib/_. .. evil name.m3u8"), "#EXTM3U\r\n");
    EXPECT_EQ(ReadFileText(dir / "lib/Playlist.m3u8"), "#EXTM3U\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "evil"));
    app.Quit();
    EXPECT_THROW(lib.Tracks().Count(), EMediaLibraryError);
    EXPECT_THROW(app.CreatePlaylist("x"), EMediaLibraryError);
}

}  // namespace
