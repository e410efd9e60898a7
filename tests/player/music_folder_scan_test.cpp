#include "player/song_records.h"

#include "player/tags/mp3_tag_reader.h"
#include "tests/support/asf_writer.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/mp4_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A player root with its music folder, and a loader that scans relative to the root.
struct ScanFixture {
    TempDir root;
    std::string music = root / "iPod_Control/Music";
    TITunesDBLoader loader;
    std::vector<std::string> messages;

    ScanFixture() {
        fs::create_directories(music);
        loader.OnProgress = [this](int32_t pos, int32_t max, const std::string& msg) {
            EXPECT_EQ(pos, 0);
            EXPECT_EQ(max, 0);
            messages.push_back(msg);
        };
    }

    std::string Mp3(const std::string& relative, const std::string& title, int bitrate = 128, int seconds = 3) {
        std::string path = music + "/" + relative;
        fs::create_directories(fs::path(path).parent_path());
        WriteTaggedMp3(path,
                       {.title = title, .artist = "Artist " + title, .album = "Album", .comment = "c", .genre = "Pop"},
                       bitrate, seconds);
        return path;
    }

    std::vector<TITBSongItem*> Songs() const {
        std::vector<TITBSongItem*> out;
        for (int32_t i = 0; i < loader.Songs.GetCount(); ++i) out.push_back(loader.Songs.GetItem(i));
        return out;
    }
};

// The file names of a folder in the order the file system lists them.
std::vector<std::string> ListingOrder(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(MusicFolderScan, EmptyFolderGivesNoSongsAndOneProgressCall) {
    ScanFixture f;
    f.loader.LoadFromFolder(f.music, f.root.Path());
    EXPECT_EQ(f.loader.Songs.GetCount(), 0);
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0], "曲情報を取得中 - [ " + f.music + "/ ]");
    EXPECT_EQ(f.loader.TotalSize, 0);
}

TEST(MusicFolderScan, MissingFolderGivesNoSongsAndNoError) {
    ScanFixture f;
    EXPECT_NO_THROW(f.loader.LoadFromFolder(f.root / "iPod_Control/Nothing", f.root.Path()));
    EXPECT_EQ(f.loader.Songs.GetCount(), 0);
}

TEST(MusicFolderScan, Mp3SongFieldsAndLocationRelativeToTheRoot) {
    ScanFixture f;
    std::string path = f.Mp3("F00/a.mp3", "Song A", 128, 3);
    f.loader.LoadFromFolder(f.music + "/", f.root.Path());
    ASSERT_EQ(f.loader.Songs.GetCount(), 1);
    const TITBSongItem& s = *f.loader.Songs.GetItem(0);
    EXPECT_EQ(s.Location, "iPod_Control:Music:F00:a.mp3");
    EXPECT_EQ(s.Title, "Song A");
    EXPECT_EQ(s.Artist, "Artist Song A");
    EXPECT_EQ(s.Album, "Album");
    EXPECT_EQ(s.Genre, "Pop");
    EXPECT_EQ(s.Comment, "c");
    EXPECT_EQ(s.Kind, "MPEG オーディオファイル");
    EXPECT_EQ(s.Bitrate, 128);
    EXPECT_EQ(s.Length, 3000);
    EXPECT_EQ(s.SampleRate, 44100);
    EXPECT_EQ(s.Size, static_cast<int32_t>(fs::file_size(path)));
    EXPECT_EQ(s.Id, 1);
    EXPECT_EQ(s.PlayCount, 0);
    EXPECT_EQ(f.loader.TotalSize, static_cast<int64_t>(fs::file_size(path)));
    // One progress call per folder, each naming its folder with a trailing separator.
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_EQ(f.messages[1], "曲情報を取得中 - [ " + f.music + "/F00/ ]");
}

TEST(MusicFolderScan, LowBitRateShortOrUntitledSongsAreDropped) {
    ScanFixture f;
    f.Mp3("keep.mp3", "kept", 128, 3);
    f.Mp3("low.mp3", "low", 32, 3);       // below 48 kbit/s
    f.Mp3("edge.mp3", "edge", 48, 3);     // 48 stays
    f.Mp3("short.mp3", "short", 128, 0);  // length 0
    f.Mp3("untitled.mp3", "", 128, 3);
    std::string notes = f.music + "/readme.txt";
    { std::ofstream(notes) << std::string(500, 'x'); }
    f.loader.LoadFromFolder(f.music, f.root.Path());
    std::map<std::string, int32_t> lengths;
    for (TITBSongItem* s : f.Songs()) lengths[s->Title] = s->Length;
    EXPECT_EQ(lengths, (std::map<std::string, int32_t>{{"kept", 3000}, {"edge", 3000}}));
    // Every file counts toward the total size, dropped ones too.
    int64_t total = 0;
    for (const auto& e : fs::directory_iterator(f.music)) total += static_cast<int64_t>(e.file_size());
    EXPECT_EQ(f.loader.TotalSize, total);
}

TEST(MusicFolderScan, IdsCountEveryFileVisitedInListingOrder) {
    ScanFixture f;
    f.Mp3("1.mp3", "one");
    f.Mp3("2.mp3", "");  // dropped
    f.Mp3("3.mp3", "three");
    f.loader.LoadFromFolder(f.music, f.root.Path());
    std::vector<std::string> order = ListingOrder(f.music);
    std::map<std::string, int32_t> ids;
    for (TITBSongItem* s : f.Songs()) ids[s->Location.substr(s->Location.rfind(':') + 1)] = s->Id;
    ASSERT_EQ(ids.size(), 2u);
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] == "2.mp3") EXPECT_EQ(ids.count("2.mp3"), 0u);
        else EXPECT_EQ(ids[order[i]], static_cast<int32_t>(i + 1)) << order[i];
    }
}

TEST(MusicFolderScan, WmaFilesByExtensionInAnyCase) {
    ScanFixture f;
    auto write = [&](const std::string& name, const Bytes& bytes) {
        std::ofstream out(f.music + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    write("song.WMA", BuildWma("WMA Title", "WMA Author", "WMA Description"));
    write("notitle.wma", BuildWma("", "Author", ""));
    f.loader.LoadFromFolder(f.music, f.root.Path());
    ASSERT_EQ(f.loader.Songs.GetCount(), 1);
    const TITBSongItem& s = *f.loader.Songs.GetItem(0);
    EXPECT_EQ(s.Title, "WMA Title");
    EXPECT_EQ(s.Artist, "WMA Author");
    EXPECT_EQ(s.Comment, "WMA Description");
    EXPECT_EQ(s.Kind, "WindowsMediaAudio");
    EXPECT_EQ(s.Length, 1000);
    EXPECT_EQ(s.Bitrate, 64);
    EXPECT_EQ(s.SampleRate, 44100);
}

TEST(MusicFolderScan, M4aHasNoLengthAndIsDropped) {
    ScanFixture f;
    Bytes m4a = BuildM4a({.title = "AAC song"});
    std::ofstream(f.music + "/a.m4a", std::ios::binary)
        .write(reinterpret_cast<const char*>(m4a.data()), static_cast<std::streamsize>(m4a.size()));
    int64_t total = 0;
    int32_t counter = 0;
    f.loader.ScanFolder(f.music, f.root.Path(), total, counter);
    ASSERT_EQ(f.loader.Songs.GetCount(), 1);
    EXPECT_EQ(f.loader.Songs.GetItem(0)->Kind, "AAC オーディオファイル");
    EXPECT_EQ(f.loader.Songs.GetItem(0)->Title, "AAC song");
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(total, static_cast<int64_t>(m4a.size()));
    f.loader.RemoveInvalidSongs();
    EXPECT_EQ(f.loader.Songs.GetCount(), 0);
}

TEST(MusicFolderScan, AddsToSongsAlreadyHeld) {
    ScanFixture f;
    f.loader.Songs.Add()->Title = "";  // held before: an invalid entry is dropped by the filter as well
    f.loader.Songs.Add()->Title = "from database";
    f.loader.Songs.GetItem(1)->Length = 1;
    f.loader.Songs.GetItem(1)->Bitrate = 128;
    f.loader.Songs.GetItem(1)->Size = 1;
    f.Mp3("x.mp3", "scanned");
    f.loader.LoadFromFolder(f.music, f.root.Path());
    ASSERT_EQ(f.loader.Songs.GetCount(), 2);
    EXPECT_EQ(f.loader.Songs.GetItem(0)->Title, "from database");
    EXPECT_EQ(f.loader.Songs.GetItem(1)->Title, "scanned");
}

TEST(MusicFolderScan, FailureNamesStartingFolderAndItsEntryAndKeepsSongs) {
    ScanFixture f;
    f.Mp3("A/B/deep.mp3", "deep");
    f.Mp3("A/B/C/x.mp3", "x");
    std::string badFolder = f.music + "/A/B/C/";
    f.loader.OnProgress = [&](int32_t, int32_t, const std::string& msg) {
        if (msg.find(badFolder) != std::string::npos) throw EFileError("listing failed");
    };
    try {
        f.loader.LoadFromFolder(f.music, f.root.Path());
        FAIL() << "no exception";
    } catch (const TITBException& e) {
        EXPECT_EQ(e.Message(), "フォルダ[ " + f.music + "/ ]でファイル[ A ]の取得に失敗しました");
    }
    // Songs read before the failure stay; the filter did not run.
    bool deepSeen = false;
    for (TITBSongItem* s : f.Songs()) deepSeen |= s->Title == "deep";
    std::vector<std::string> order = ListingOrder(f.music + "/A/B");
    bool deepFirst = order.front() == "deep.mp3";
    EXPECT_EQ(deepSeen, deepFirst);
}

TEST(MusicFolderScan, UnreadableFileRaisesWithItsName) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    ScanFixture f;
    std::string path = f.Mp3("locked.mp3", "locked");
    ::chmod(path.c_str(), 0);
    try {
        f.loader.LoadFromFolder(f.music, f.root.Path());
        FAIL() << "no exception";
    } catch (const TITBException& e) {
        EXPECT_EQ(e.Message(), "フォルダ[ " + f.music + "/ ]でファイル[ locked.mp3 ]の取得に失敗しました");
    }
}

TEST(MusicFolderScan, LinkedFoldersAreNotFollowedAndPipesAreSkipped) {
    ScanFixture f;
    f.Mp3("F01/s.mp3", "song");
    fs::create_directory_symlink(f.music, f.music + "/F01/loop");
    fs::create_symlink(f.music + "/F01/s.mp3", f.music + "/link.mp3");
    ASSERT_EQ(::mkfifo((f.music + "/pipe.mp3").c_str(), 0600), 0);
    f.loader.LoadFromFolder(f.music, f.root.Path());
    // The song itself and the link to it; the loop and the pipe are passed over.
    ASSERT_EQ(f.loader.Songs.GetCount(), 2);
    EXPECT_EQ(f.loader.Songs.GetItem(0)->Title, "song");
    EXPECT_EQ(f.loader.Songs.GetItem(1)->Title, "song");
}

TEST(MusicFolderScan, LocationAndValidityHelpers) {
    EXPECT_EQ(TITunesDBLoader::LocationFromPath("iPod_Control/Music/F00/a.mp3"), "iPod_Control:Music:F00:a.mp3");
    EXPECT_EQ(TITunesDBLoader::LocationFromPath(""), "");
    TITBSongItem s;
    s.Title = "t";
    s.Length = 1;
    s.Bitrate = 48;
    s.Size = 1;
    EXPECT_FALSE(TITunesDBLoader::IsInvalidSong(s));
    s.Size = -5;  // a file of 2 GB or more wraps in the 32-bit field; only 0 counts as empty
    EXPECT_FALSE(TITunesDBLoader::IsInvalidSong(s));
    for (auto change : {+[](TITBSongItem& x) { x.Title.clear(); }, +[](TITBSongItem& x) { x.Length = 0; },
                        +[](TITBSongItem& x) { x.Length = -1; }, +[](TITBSongItem& x) { x.Bitrate = 47; },
                        +[](TITBSongItem& x) { x.Size = 0; }}) {
        TITBSongItem copy = s;
        change(copy);
        EXPECT_TRUE(TITunesDBLoader::IsInvalidSong(copy));
    }
}

TEST(MusicFolderScan, ReadMP3TagReadsWithAFreshReader) {
    ScanFixture f;
    std::string path = f.Mp3("t.mp3", "tagged", 160, 10);
    TMP3Tag tag = f.loader.ReadMP3Tag(path);
    EXPECT_EQ(tag.Title, "tagged");
    EXPECT_EQ(tag.Bitrate, 160);
    EXPECT_EQ(tag.Length, 10);
}
