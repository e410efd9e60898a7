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

TEST(MediaLibrary, AListThatCannotBeWrittenStopsNoOtherAndGoneListsLoseTheirFiles) {
    TempDir dir;
    TMediaLibrary app(dir / "lib/lib.sqlite");
    auto lib = app.LibraryPlaylist();
    lib.AddFile(dir.Write("ep.mp3", "x"));
    std::string longName = "PCast ";
    for (int i = 0; i < 150; ++i) longName += "番";  // 456 bytes
    app.CreatePlaylist("Blocked");
    app.CreatePlaylist(longName).AddTrack(lib.Tracks().Item(1));
    app.CreatePlaylist("Harrowin Cast").AddTrack(lib.Tracks().Item(1));
    app.CreatePlaylist("harrowin cast");  // a file name of its own, also where case is ignored
    dir.Write("lib/Blocked.m3u8/inside", "a folder where the list's file should go");
    try {
        app.UpdateiPod();
        ADD_FAILURE() << "the blocked list was not reported";
    } catch (const EMediaLibraryError& e) {
        EXPECT_EQ(e.Message().find("Blocked.m3u8"), e.Message().rfind("Blocked.m3u8")) << e.Message();
        EXPECT_NE(e.Message().find("Blocked.m3u8"), std::string::npos) << e.Message();
    }
    const std::string entry = "#EXTM3U\r\n#EXTINF:-1,ep\r\n" + (dir / "ep.mp3") + "\r\n";
    EXPECT_EQ(ReadFileText(dir / "lib/Harrowin Cast.m3u8"), entry);
    EXPECT_EQ(ReadFileText(dir / "lib/harrowin cast(2).m3u8"), "#EXTM3U\r\n");
    std::string longFile;
    for (const auto& e : std::filesystem::directory_iterator(dir / "lib")) {
        if (e.path().filename().string().starts_with("PCast ")) longFile = e.path().filename();
    }
    EXPECT_LE(longFile.size(), 255u);
    EXPECT_TRUE(longFile.ends_with(".m3u8")) << longFile;
    EXPECT_EQ(ReadFileText(dir / ("lib/" + longFile)), entry);

    // A list that is gone takes its file with it; a file the library never wrote stays.
    auto lists = app.LibrarySource().PlayLists();
    lists.Item(4).Delete();
    lists.Item(3).Delete();
    dir.Write("lib/Mine.m3u8", "the user's own");
    EXPECT_THROW(app.UpdateiPod(), EMediaLibraryError);
    EXPECT_FALSE(std::filesystem::exists(dir / "lib/Harrowin Cast.m3u8"));
    EXPECT_FALSE(std::filesystem::exists(dir / "lib/harrowin cast(2).m3u8"));
    EXPECT_TRUE(std::filesystem::exists(dir / ("lib/" + longFile)));
    EXPECT_EQ(ReadFileText(dir / "lib/Mine.m3u8"), "the user's own");
}

}  // namespace
