// Copying songs and videos to the PC without windows: names, sub-folders, sources kept inside
// the player, free names, copies that fail, the end texts and the folder check.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/encoding.h"
#include "foundation/names.h"
#include "harrowin_work/song_copy.h"
#include "player/song_records.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

namespace fs = std::filesystem;

namespace {

TITBSongItem Song(const std::string& title, const std::string& artist, const std::string& album = "", int track = 0) {
    TITBSongItem s;
    s.Title = title;
    s.Artist = artist;
    s.Album = album;
    s.TrackNumber = track;
    return s;
}

TCopyNaming Naming(int type, bool artistFolder = false, bool albumFolder = false, bool track = false,
                   bool video = false) {
    TCopyNaming n;
    n.NameType = TCopyNameType(type);
    n.ArtistFolder = artistFolder;
    n.AlbumFolder = albumFolder;
    n.AddTrackNo = track;
    n.Video = video;
    return n;
}

}  // namespace

TEST(SongCopy, NamingTypes) {
    const std::string player = "A1B2.mp3";
    EXPECT_EQ(CopyFileName(Song("Title", "Artist"), player, Naming(0)), std::string("Artist-Title.mp3"));
    EXPECT_EQ(CopyFileName(Song("Title", ""), player, Naming(0)), std::string("Title.mp3"));
    EXPECT_EQ(CopyFileName(Song("Title", "  "), player, Naming(0)), std::string("Title.mp3"));
    EXPECT_EQ(CopyFileName(Song("", "Artist"), player, Naming(0)), player);
    EXPECT_EQ(CopyFileName(Song("Title", "Artist"), player, Naming(1)), std::string("Title.mp3"));
    EXPECT_EQ(CopyFileName(Song("", "Artist"), player, Naming(1)), player);
    EXPECT_EQ(CopyFileName(Song("Title", "Artist"), player, Naming(2)), player);
    EXPECT_EQ(CopyFileName(Song("Title", "Artist"), player, Naming(7)), player);
    // Forbidden characters become blanks; the text is not trimmed.
    EXPECT_EQ(CopyFileName(Song("A/B", "AC/DC"), player, Naming(0)), std::string("AC DC-A B.mp3"));
    EXPECT_EQ(CopyFileName(Song(" x?", "y"), player, Naming(1)), std::string(" x .mp3"));
}

TEST(SongCopy, TrackPrefixes) {
    const std::string player = "A.mp3";
    EXPECT_EQ(CopyFileName(Song("T", "", "", 7), player, Naming(1, false, false, true)), std::string("07 T.mp3"));
    EXPECT_EQ(CopyFileName(Song("T", "", "", 99), player, Naming(1, false, false, true)), std::string("99 T.mp3"));
    EXPECT_EQ(CopyFileName(Song("T", "", "", 0), player, Naming(1, false, false, true)), std::string("T.mp3"));
    EXPECT_EQ(CopyFileName(Song("T", "", "", 100), player, Naming(1, false, false, true)), std::string("T.mp3"));
    EXPECT_EQ(CopyFileName(Song("T", "", "", -3), player, Naming(1, false, false, true)), std::string("T.mp3"));
    // Without the option, and for videos, no prefix.
    EXPECT_EQ(CopyFileName(Song("T", "", "", 7), player, Naming(1)), std::string("T.mp3"));
    EXPECT_EQ(CopyFileName(Song("T", "", "", 7), player, Naming(1, false, false, true, true)), std::string("T.mp3"));
}

TEST(SongCopy, ArtistAndAlbumFolders) {
    const std::string player = "A.mp3";
    // Songs: a full stop in the artist becomes a blank, the folder is trimmed.
    EXPECT_EQ(CopyTargetName(Song("T", "Mr. X", "Alb.1"), player, Naming(1, true, true)), std::string("Mr  X/Alb 1/T.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", "", "Best"), player, Naming(1, true, true)), std::string("不明なアーティスト/Best/T.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", "", ""), player, Naming(1, true, true)), std::string("不明なアーティスト/T.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", "A", "  "), player, Naming(1, false, true)), std::string("T.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", "A", "B"), player, Naming(1, false, true)), std::string("B/T.mp3"));
    // Videos keep the full stop and get no folder for an empty artist.
    EXPECT_EQ(CopyTargetName(Song("T", "Mr. X", ""), player, Naming(1, true, false, false, true)), std::string("Mr. X/T.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", "", ""), player, Naming(1, true, false, false, true)), std::string("T.mp3"));
    // Names of dots and blanks alone are no folder names (they would mean "here" or "up").
    EXPECT_EQ(CopyTargetName(Song("T", "..", ".."), player, Naming(1, true, true, false, true)), std::string("T.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", " . .", ""), player, Naming(1, true, true, false, true)), std::string("T.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", "..", ".."), player, Naming(1, true, true)), std::string("不明なアーティスト/T.mp3"));
}

TEST(SongCopy, LongAndForbiddenNamesStayValid) {
    const std::string player = "A.mp3";
    // Forbidden characters only: blanks, which make no title; the player's name stays.
    EXPECT_EQ(CopyFileName(Song("\\?/\"", ":*|<>"), player, Naming(0)), player);
    EXPECT_EQ(CopyTargetName(Song("\\?/", ":*|<>"), player, Naming(0, true, true)), std::string("不明なアーティスト/A.mp3"));
    // A title of dots and no extension would be "." or "..".
    EXPECT_EQ(CopyFileName(Song("..", ""), "NOEXT", Naming(1)), std::string("NOEXT"));
    // 300 characters of three bytes each: cut to 255 bytes on a character boundary, the
    // extension kept.
    std::string longTitle;
    for (int i = 0; i < 300; ++i) longTitle += "曲";
    const std::string name = CopyFileName(Song(longTitle, ""), player, Naming(1));
    EXPECT_TRUE(name.size() <= 255);
    EXPECT_TRUE(encoding::IsValidUtf8(name));
    EXPECT_TRUE(name.ends_with(".mp3"));
    EXPECT_TRUE(name.size() > 240);
    const std::string target = CopyTargetName(Song(longTitle, longTitle, longTitle), player, Naming(0, true, true));
    size_t start = 0;
    while (start < target.size()) {
        size_t end = target.find('/', start);
        if (end == std::string::npos) end = target.size();
        EXPECT_TRUE(end - start <= 255);
        EXPECT_TRUE(encoding::IsValidUtf8(target.substr(start, end - start)));
        start = end + 1;
    }
    // A zero byte would cut the name where the file system reads it: it becomes a blank.
    const std::string zeroed("A\0B", 3);
    EXPECT_EQ(CopyFileName(Song(zeroed, ""), player, Naming(1)), std::string("A B.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", zeroed, zeroed), player, Naming(1, true, true)), std::string("A B/A B/T.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", zeroed), player, Naming(1, true, false, false, true)), std::string("A B/T.mp3"));
    EXPECT_EQ(CopyFileName(Song("", ""), std::string("S\0.mp3", 6), Naming(1)), std::string("S .mp3"));
    // Tabs and line breaks as well: they would split the import list's columns and lines.
    EXPECT_EQ(CopyFileName(Song("Tab\tand\r\nbreak", "A\tB"), player, Naming(0)), std::string("A B-Tab and  break.mp3"));
    EXPECT_EQ(CopyTargetName(Song("T", "A\tB", "\n"), player, Naming(1, true, true)), std::string("A B/T.mp3"));
    // The numbered names of a full-length name still fit.
    const std::string numbered =
        FreeEntryName(name, kMaxEntryNameBytes, kHighestCopyNumber, TNameFit::Cut,
                      [](const std::string& n) { return n.find("(42)") == std::string::npos; });
    EXPECT_TRUE(numbered.size() <= 255);
    EXPECT_TRUE(numbered.ends_with("(42).mp3"));
    EXPECT_TRUE(encoding::IsValidUtf8(numbered));
}

TEST(SongCopy, SourcesStayInsideThePlayer) {
    TempDir dir;
    dir.Write("ipod/iPod_Control/Music/F00/A.MP3", std::string("x"));
    const std::string root = dir / "ipod/";
    EXPECT_EQ(PlayerSourcePath(root, ":iPod_Control:Music:F00:A.MP3"), root + "iPod_Control/Music/F00/A.MP3");
    // Found without regard to case, as on a FAT player.
    EXPECT_EQ(PlayerSourcePath(root, ":ipod_control:music:f00:a.mp3"), root + "iPod_Control/Music/F00/A.MP3");
    EXPECT_EQ(PlayerSourcePath(root, "/iPod_Control/Music/F00/A.MP3"), root + "iPod_Control/Music/F00/A.MP3");
    EXPECT_TRUE(PlayerSourcePath(root, ":..:..:etc:passwd").empty());
    EXPECT_TRUE(PlayerSourcePath(root, ":iPod_Control:..:..:x").empty());
    EXPECT_TRUE(PlayerSourcePath(root, "").empty());
    EXPECT_TRUE(PlayerSourcePath(root, ":").empty());
    // A location holding a zero byte names another file than the one checked.
    EXPECT_TRUE(PlayerSourcePath(root, std::string(":..\0:iPod_Control", 17)).empty());
    EXPECT_TRUE(PlayerSourcePath(root, std::string(":iPod_Control:Music:F00:A.MP3\0x", 31)).empty());
    EXPECT_FALSE(PlayerSourcePath(root, ":iPod_Control:..:iPod_Control:Music:F00:A.MP3").empty());
}

TEST(SongCopy, CopyNeverOverwritesAndNumbers) {
    TempDir dir;
    const std::string source = dir.Write("src/a.mp3", std::string(5 << 20, 's'));
    const std::string target = dir / "out/a.mp3";
    dir.Write("out/a.mp3", std::string("old"));
    std::string final;
    EXPECT_EQ(CopyFileExclusive(source, target, final), 0);
    EXPECT_EQ(final, dir / "out/a(2).mp3");
    EXPECT_EQ(ReadFileText(target), std::string("old"));
    ASSERT_EQ(ReadFileText(final).size(), size_t(5 << 20));
    struct stat st {};
    EXPECT_EQ(::stat(final.c_str(), &st), 0);
    EXPECT_TRUE((st.st_mode & S_IRUSR) && (st.st_mode & S_IWUSR));
    // A folder of that name counts as taken as well; a dot in a folder is no extension.
    fs::create_directories(dir / "out/a(3).mp3");
    EXPECT_EQ(FirstFreeName(dir / "out/a(3).mp3/x"), dir / "out/a(3).mp3/x");
    dir.Write("out/a(3).mp3/x", std::string("t"));
    EXPECT_EQ(FirstFreeName(dir / "out/a(3).mp3/x"), dir / "out/a(3).mp3/x(2)");
    EXPECT_EQ(CopyFileExclusive(source, target, final), 0);
    EXPECT_EQ(final, dir / "out/a(4).mp3");
    // All of (2) to (99) taken: no copy, nothing touched.
    for (int n = 5; n <= 99; ++n) dir.Write("out/a(" + std::to_string(n) + ").mp3", std::string("t"));
    EXPECT_EQ(CopyFileExclusive(source, target, final), kErrNoFreeName);
    EXPECT_EQ(ReadFileText(dir / "out/a(99).mp3"), std::string("t"));
}

TEST(SongCopy, CopyOfAMissingSourceLeavesNothing) {
    TempDir dir;
    std::string final;
    EXPECT_EQ(CopyFileExclusive(dir / "none.mp3", dir / "t.mp3", final), int32_t(ENOENT));
    EXPECT_FALSE(fs::exists(dir / "t.mp3"));
    fs::create_directories(dir / "folder");
    EXPECT_EQ(CopyFileExclusive(dir / "folder", dir / "t.mp3", final), int32_t(EISDIR));
    EXPECT_FALSE(fs::exists(dir / "t.mp3"));
    // A pipe in the player would hold the copy for ever, a device would give endless bytes:
    // both are missing files.
    EXPECT_TRUE(::mkfifo((dir / "pipe.mp3").c_str(), 0600) == 0);
    EXPECT_EQ(CopyFileExclusive(dir / "pipe.mp3", dir / "t.mp3", final), int32_t(ENOENT));
    EXPECT_EQ(CopyFileExclusive("/dev/zero", dir / "t.mp3", final), int32_t(ENOENT));
    EXPECT_FALSE(fs::exists(dir / "t.mp3"));
    // A copy that fails while writing (here: past the file-size limit, as a full disk would)
    // never stands under the song's name, and leaves nothing else behind either.
    const std::string source = dir.Write("big.mp3", std::string(1 << 20, 'b'));
    fs::create_directories(dir / "out");
    int32_t err = 0;
    {
        FileSizeLimit full(64 * 1024);
        err = CopyFileExclusive(source, dir / "out/cut.mp3", final);
    }
    EXPECT_EQ(err, int32_t(EFBIG));
    EXPECT_TRUE(fs::is_empty(dir / "out"));
}

// Copies cut by a full disk failed and say so; the artist and album folders made only for them
// go, a folder that was there before stays.
TEST(SongCopy, ACopyCutByAFullDiskFailedAndLeavesNoFolderOfItsOwn) {
    TempDir dir;
    dir.Write("ipod/iPod_Control/Music/F00/A.mp3", std::string(1 << 20, 'a'));
    fs::create_directories(dir / "out/Kept");
    TSongCopyRun run(dir / "out", dir / "ipod/", Naming(1, true, true), nullptr);
    TITBSongItem fresh = Song("曲", "New", "Album");
    fresh.Location = ":iPod_Control:Music:F00:A.mp3";
    TITBSongItem kept = Song("曲", "Kept");
    kept.Location = fresh.Location;
    {
        FileSizeLimit full(64 * 1024);
        EXPECT_EQ(run.CopySong(fresh, 0, 2, [](const std::string&) {}), TSongCopyRun::TResult::Failed);
        EXPECT_EQ(run.CopySong(kept, 1, 2, [](const std::string&) {}), TSongCopyRun::TResult::Failed);
    }
    EXPECT_EQ(run.Failed, 2);
    EXPECT_FALSE(fs::exists(dir / "out/New"));
    EXPECT_TRUE(fs::is_directory(dir / "out/Kept"));
    EXPECT_EQ(CopyEndText(false, "/m/", 0, 2, false),
              std::string("フォルダ \"/m/\" に音楽ファイルを 0 曲転送しました(失敗は 2 曲)"));
}

TEST(SongCopy, EndTexts) {
    EXPECT_EQ(CopyEndText(false, "/m/", 3, 0, false), std::string("フォルダ \"/m/\" に音楽ファイルを全曲転送しました"));
    EXPECT_EQ(CopyEndText(false, "/m/", 2, 1, false), std::string("フォルダ \"/m/\" に音楽ファイルを 2 曲転送しました(失敗は 1 曲)"));
    // After a cancel the copied count is given, never "all".
    EXPECT_EQ(CopyEndText(false, "/m/", 2, 0, true), std::string("フォルダ \"/m/\" に音楽ファイルを 2 曲転送しました(失敗は 0 曲)"));
    EXPECT_EQ(CopyEndText(true, "/v/", 1, 0, false), std::string("フォルダ \"/v/\" にビデオファイルを全て転送しました"));
    EXPECT_EQ(CopyEndText(true, "/v/", 1, 2, false), std::string("フォルダ \"/v/\" にビデオファイルを 1 本転送しました(失敗は 2 本)"));
    EXPECT_EQ(CopyProgressText(1, 3, "a.mp3"), std::string("(1/3) [ a.mp3 ]をコピー中"));
}

TEST(SongCopy, FolderCheck) {
    TempDir dir;
    auto plenty = [](const std::string&) { return int64_t(5) << 30; };
    auto none = [](const std::string&) { return int64_t(0); };
    TFolderCheck c = CheckCopyFolder("", plenty);
    EXPECT_FALSE(c.OkEnabled);
    EXPECT_EQ(c.Text, std::string("ドライブが存在しません"));
    EXPECT_FALSE(CheckCopyFolder("relative/path", plenty).OkEnabled);
    c = CheckCopyFolder(dir.Path(), plenty);
    EXPECT_TRUE(c.OkEnabled);
    EXPECT_EQ(c.Text, std::string("このフォルダは存在します (5120 MB空き)"));
    c = CheckCopyFolder(dir / "new/deeper", plenty);
    EXPECT_TRUE(c.OkEnabled);
    EXPECT_EQ(c.Text, std::string("このフォルダは存在しません (5120 MB空き)"));
    c = CheckCopyFolder(dir.Path(), none);
    EXPECT_FALSE(c.OkEnabled);
    EXPECT_EQ(c.Text, std::string("このドライブにはコピーできません"));
}

