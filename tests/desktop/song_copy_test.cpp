// Copying songs and videos to the PC: names, sub-folders, free names, the import list of
// several runs, bad locations, failures reaching the log, the end texts and the dialog.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "desktop/dialogs/song_copy_form.h"
#include "desktop/pages/song_page.h"
#include "desktop/pages/video_page.h"
#include "desktop/song_list_model.h"
#include "foundation/encoding.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/song_copy.h"
#include "platform/gui/mount_watcher.h"
#include "player/player.h"
#include "player/song_list_export.h"
#include "player/song_records.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_main_window.h"
#include "tests/desktop/test_page_host.h"
#include "tests/support/file_size_limit.h"

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

// The import list's location column (the last of 27) of each song line.
std::vector<std::string> ImportLocations(const std::string& file) {
    const std::string bytes = ReadFileText(file);
    const std::string text = encoding::Utf16LeToUtf8({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    std::vector<std::string> out;
    size_t start = 0;
    bool header = true;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 2;
        if (header) {
            header = false;
            continue;
        }
        out.push_back(line.substr(line.rfind('\t') + 1));
    }
    return out;
}

void CheckAll(TSongPage& page) { page.PopMenu_SelectAllClick(1); }

int32_t RunSongCopy(TTestPageHost& host) {
    TSongPage& page = host.Page<TSongPage>();
    return RunWithProgress("楽曲の転送状況", 0, page.SongModel().CheckedCount(),
                           [&](QProgressBar* bar, QLabel* label, bool& cancel) {
                               return page.CopySongsToFolder(host.Settings().SongCopy.Folder, bar, label, cancel);
                           });
}

}  // namespace

class SongCopyTest : public QObject {
    Q_OBJECT
private slots:
    void namingTypes();
    void trackPrefixes();
    void artistAndAlbumFolders();
    void longAndForbiddenNamesStayValid();
    void sourcesStayInsideThePlayer();
    void copyNeverOverwritesAndNumbers();
    void copyOfAMissingSourceLeavesNothing();
    void aCopyCutByAFullDiskFailedAndLeavesNoFolderOfItsOwn();
    void endTexts();
    void folderCheck();
    void twoRunsNumberTheirCopiesAndListBoth();
    void badLocationsAndFailuresReachTheLog();
    void cancelReportsTheCopiedCount();
    void removalDuringTheCopyCountsTheRest();
    void videosCopyWithTheirOwnRules();
    void videoCopyEndSaysWhatHappened();
    void dialogStoresItsValues();
    void samplePlayerIsCopied();
};

void SongCopyTest::namingTypes() {
    const std::string player = "A1B2.mp3";
    QCOMPARE(CopyFileName(Song("Title", "Artist"), player, Naming(0)), std::string("Artist-Title.mp3"));
    QCOMPARE(CopyFileName(Song("Title", ""), player, Naming(0)), std::string("Title.mp3"));
    QCOMPARE(CopyFileName(Song("Title", "  "), player, Naming(0)), std::string("Title.mp3"));
    QCOMPARE(CopyFileName(Song("", "Artist"), player, Naming(0)), player);
    QCOMPARE(CopyFileName(Song("Title", "Artist"), player, Naming(1)), std::string("Title.mp3"));
    QCOMPARE(CopyFileName(Song("", "Artist"), player, Naming(1)), player);
    QCOMPARE(CopyFileName(Song("Title", "Artist"), player, Naming(2)), player);
    QCOMPARE(CopyFileName(Song("Title", "Artist"), player, Naming(7)), player);
    // Forbidden characters become blanks; the text is not trimmed.
    QCOMPARE(CopyFileName(Song("A/B", "AC/DC"), player, Naming(0)), std::string("AC DC-A B.mp3"));
    QCOMPARE(CopyFileName(Song(" x?", "y"), player, Naming(1)), std::string(" x .mp3"));
}

void SongCopyTest::trackPrefixes() {
    const std::string player = "A.mp3";
    QCOMPARE(CopyFileName(Song("T", "", "", 7), player, Naming(1, false, false, true)), std::string("07 T.mp3"));
    QCOMPARE(CopyFileName(Song("T", "", "", 99), player, Naming(1, false, false, true)), std::string("99 T.mp3"));
    QCOMPARE(CopyFileName(Song("T", "", "", 0), player, Naming(1, false, false, true)), std::string("T.mp3"));
    QCOMPARE(CopyFileName(Song("T", "", "", 100), player, Naming(1, false, false, true)), std::string("T.mp3"));
    QCOMPARE(CopyFileName(Song("T", "", "", -3), player, Naming(1, false, false, true)), std::string("T.mp3"));
    // Without the option, and for videos, no prefix.
    QCOMPARE(CopyFileName(Song("T", "", "", 7), player, Naming(1)), std::string("T.mp3"));
    QCOMPARE(CopyFileName(Song("T", "", "", 7), player, Naming(1, false, false, true, true)), std::string("T.mp3"));
}

void SongCopyTest::artistAndAlbumFolders() {
    const std::string player = "A.mp3";
    // Songs: a full stop in the artist becomes a blank, the folder is trimmed.
    QCOMPARE(CopyTargetName(Song("T", "Mr. X", "Alb.1"), player, Naming(1, true, true)),
             std::string("Mr  X/Alb 1/T.mp3"));
    QCOMPARE(CopyTargetName(Song("T", "", "Best"), player, Naming(1, true, true)),
             std::string("不明なアーティスト/Best/T.mp3"));
    QCOMPARE(CopyTargetName(Song("T", "", ""), player, Naming(1, true, true)), std::string("不明なアーティスト/T.mp3"));
    QCOMPARE(CopyTargetName(Song("T", "A", "  "), player, Naming(1, false, true)), std::string("T.mp3"));
    QCOMPARE(CopyTargetName(Song("T", "A", "B"), player, Naming(1, false, true)), std::string("B/T.mp3"));
    // Videos keep the full stop and get no folder for an empty artist.
    QCOMPARE(CopyTargetName(Song("T", "Mr. X", ""), player, Naming(1, true, false, false, true)),
             std::string("Mr. X/T.mp3"));
    QCOMPARE(CopyTargetName(Song("T", "", ""), player, Naming(1, true, false, false, true)), std::string("T.mp3"));
    // Names of dots and blanks alone are no folder names (they would mean "here" or "up").
    QCOMPARE(CopyTargetName(Song("T", "..", ".."), player, Naming(1, true, true, false, true)), std::string("T.mp3"));
    QCOMPARE(CopyTargetName(Song("T", " . .", ""), player, Naming(1, true, true, false, true)), std::string("T.mp3"));
    QCOMPARE(CopyTargetName(Song("T", "..", ".."), player, Naming(1, true, true)),
             std::string("不明なアーティスト/T.mp3"));
}

void SongCopyTest::longAndForbiddenNamesStayValid() {
    const std::string player = "A.mp3";
    // Forbidden characters only: blanks, which make no title; the player's name stays.
    QCOMPARE(CopyFileName(Song("\\?/\"", ":*|<>"), player, Naming(0)), player);
    QCOMPARE(CopyTargetName(Song("\\?/", ":*|<>"), player, Naming(0, true, true)),
             std::string("不明なアーティスト/A.mp3"));
    // A title of dots and no extension would be "." or "..".
    QCOMPARE(CopyFileName(Song("..", ""), "NOEXT", Naming(1)), std::string("NOEXT"));
    // 300 characters of three bytes each: cut to 255 bytes on a character boundary, the
    // extension kept.
    std::string longTitle;
    for (int i = 0; i < 300; ++i) longTitle += "曲";
    const std::string name = CopyFileName(Song(longTitle, ""), player, Naming(1));
    QVERIFY(name.size() <= 255);
    QVERIFY(encoding::IsValidUtf8(name));
    QVERIFY(name.ends_with(".mp3"));
    QVERIFY(name.size() > 240);
    const std::string target = CopyTargetName(Song(longTitle, longTitle, longTitle), player, Naming(0, true, true));
    size_t start = 0;
    while (start < target.size()) {
        size_t end = target.find('/', start);
        if (end == std::string::npos) end = target.size();
        QVERIFY(end - start <= 255);
        QVERIFY(encoding::IsValidUtf8(target.substr(start, end - start)));
        start = end + 1;
    }
    // A zero byte would cut the name where the file system reads it: it becomes a blank.
    const std::string zeroed("A\0B", 3);
    QCOMPARE(CopyFileName(Song(zeroed, ""), player, Naming(1)), std::string("A B.mp3"));
    QCOMPARE(CopyTargetName(Song("T", zeroed, zeroed), player, Naming(1, true, true)), std::string("A B/A B/T.mp3"));
    QCOMPARE(CopyTargetName(Song("T", zeroed), player, Naming(1, true, false, false, true)), std::string("A B/T.mp3"));
    QCOMPARE(CopyFileName(Song("", ""), std::string("S\0.mp3", 6), Naming(1)), std::string("S .mp3"));
    // Tabs and line breaks as well: they would split the import list's columns and lines.
    QCOMPARE(CopyFileName(Song("Tab\tand\r\nbreak", "A\tB"), player, Naming(0)), std::string("A B-Tab and  break.mp3"));
    QCOMPARE(CopyTargetName(Song("T", "A\tB", "\n"), player, Naming(1, true, true)), std::string("A B/T.mp3"));
    // The numbered names of a full-length name still fit.
    const std::string numbered =
        FreeEntryName(name, kMaxEntryNameBytes, kHighestCopyNumber, TNameFit::Cut,
                      [](const std::string& n) { return n.find("(42)") == std::string::npos; });
    QVERIFY(numbered.size() <= 255);
    QVERIFY(numbered.ends_with("(42).mp3"));
    QVERIFY(encoding::IsValidUtf8(numbered));
}

void SongCopyTest::sourcesStayInsideThePlayer() {
    TempDir dir;
    dir.Write("ipod/iPod_Control/Music/F00/A.MP3", std::string("x"));
    const std::string root = dir / "ipod/";
    QCOMPARE(PlayerSourcePath(root, ":iPod_Control:Music:F00:A.MP3"), root + "iPod_Control/Music/F00/A.MP3");
    // Found without regard to case, as on a FAT player.
    QCOMPARE(PlayerSourcePath(root, ":ipod_control:music:f00:a.mp3"), root + "iPod_Control/Music/F00/A.MP3");
    QCOMPARE(PlayerSourcePath(root, "/iPod_Control/Music/F00/A.MP3"), root + "iPod_Control/Music/F00/A.MP3");
    QVERIFY(PlayerSourcePath(root, ":..:..:etc:passwd").empty());
    QVERIFY(PlayerSourcePath(root, ":iPod_Control:..:..:x").empty());
    QVERIFY(PlayerSourcePath(root, "").empty());
    QVERIFY(PlayerSourcePath(root, ":").empty());
    // A location holding a zero byte names another file than the one checked.
    QVERIFY(PlayerSourcePath(root, std::string(":..\0:iPod_Control", 17)).empty());
    QVERIFY(PlayerSourcePath(root, std::string(":iPod_Control:Music:F00:A.MP3\0x", 31)).empty());
    QVERIFY(!PlayerSourcePath(root, ":iPod_Control:..:iPod_Control:Music:F00:A.MP3").empty());
}

void SongCopyTest::copyNeverOverwritesAndNumbers() {
    TempDir dir;
    const std::string source = dir.Write("src/a.mp3", std::string(5 << 20, 's'));
    const std::string target = dir / "out/a.mp3";
    dir.Write("out/a.mp3", std::string("old"));
    std::string final;
    QCOMPARE(CopyFileExclusive(source, target, final), 0);
    QCOMPARE(final, dir / "out/a(2).mp3");
    QCOMPARE(ReadFileText(target), std::string("old"));
    QCOMPARE(ReadFileText(final).size(), size_t(5 << 20));
    struct stat st {};
    QCOMPARE(::stat(final.c_str(), &st), 0);
    QVERIFY((st.st_mode & S_IRUSR) && (st.st_mode & S_IWUSR));
    // A folder of that name counts as taken as well; a dot in a folder is no extension.
    fs::create_directories(dir / "out/a(3).mp3");
    QCOMPARE(FirstFreeName(dir / "out/a(3).mp3/x"), dir / "out/a(3).mp3/x");
    dir.Write("out/a(3).mp3/x", std::string("t"));
    QCOMPARE(FirstFreeName(dir / "out/a(3).mp3/x"), dir / "out/a(3).mp3/x(2)");
    QCOMPARE(CopyFileExclusive(source, target, final), 0);
    QCOMPARE(final, dir / "out/a(4).mp3");
    // All of (2) to (99) taken: no copy, nothing touched.
    for (int n = 5; n <= 99; ++n) dir.Write("out/a(" + std::to_string(n) + ").mp3", std::string("t"));
    QCOMPARE(CopyFileExclusive(source, target, final), kErrNoFreeName);
    QCOMPARE(ReadFileText(dir / "out/a(99).mp3"), std::string("t"));
}

void SongCopyTest::copyOfAMissingSourceLeavesNothing() {
    TempDir dir;
    std::string final;
    QCOMPARE(CopyFileExclusive(dir / "none.mp3", dir / "t.mp3", final), int32_t(ENOENT));
    QVERIFY(!fs::exists(dir / "t.mp3"));
    fs::create_directories(dir / "folder");
    QCOMPARE(CopyFileExclusive(dir / "folder", dir / "t.mp3", final), int32_t(EISDIR));
    QVERIFY(!fs::exists(dir / "t.mp3"));
    // A pipe in the player would hold the copy for ever, a device would give endless bytes:
    // both are missing files.
    QVERIFY(::mkfifo((dir / "pipe.mp3").c_str(), 0600) == 0);
    QCOMPARE(CopyFileExclusive(dir / "pipe.mp3", dir / "t.mp3", final), int32_t(ENOENT));
    QCOMPARE(CopyFileExclusive("/dev/zero", dir / "t.mp3", final), int32_t(ENOENT));
    QVERIFY(!fs::exists(dir / "t.mp3"));
    // A copy that fails while writing (here: past the file-size limit, as a full disk would)
    // never stands under the song's name, and leaves nothing else behind either.
    const std::string source = dir.Write("big.mp3", std::string(1 << 20, 'b'));
    fs::create_directories(dir / "out");
    int32_t err = 0;
    {
        FileSizeLimit full(64 * 1024);
        err = CopyFileExclusive(source, dir / "out/cut.mp3", final);
    }
    QCOMPARE(err, int32_t(EFBIG));
    QVERIFY(fs::is_empty(dir / "out"));
}

// Copies cut by a full disk failed and say so; the artist and album folders made only for them
// go, a folder that was there before stays.
void SongCopyTest::aCopyCutByAFullDiskFailedAndLeavesNoFolderOfItsOwn() {
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
        QCOMPARE(run.CopySong(fresh, 0, 2, [](const std::string&) {}), TSongCopyRun::TResult::Failed);
        QCOMPARE(run.CopySong(kept, 1, 2, [](const std::string&) {}), TSongCopyRun::TResult::Failed);
    }
    QCOMPARE(run.Failed, 2);
    QVERIFY(!fs::exists(dir / "out/New"));
    QVERIFY(fs::is_directory(dir / "out/Kept"));
    QCOMPARE(CopyEndText(false, "/m/", 0, 2, false),
             std::string("フォルダ \"/m/\" に音楽ファイルを 0 曲転送しました(失敗は 2 曲)"));
}

void SongCopyTest::endTexts() {
    QCOMPARE(CopyEndText(false, "/m/", 3, 0, false), std::string("フォルダ \"/m/\" に音楽ファイルを全曲転送しました"));
    QCOMPARE(CopyEndText(false, "/m/", 2, 1, false),
             std::string("フォルダ \"/m/\" に音楽ファイルを 2 曲転送しました(失敗は 1 曲)"));
    // After a cancel the copied count is given, never "all".
    QCOMPARE(CopyEndText(false, "/m/", 2, 0, true),
             std::string("フォルダ \"/m/\" に音楽ファイルを 2 曲転送しました(失敗は 0 曲)"));
    QCOMPARE(CopyEndText(true, "/v/", 1, 0, false), std::string("フォルダ \"/v/\" にビデオファイルを全て転送しました"));
    QCOMPARE(CopyEndText(true, "/v/", 1, 2, false),
             std::string("フォルダ \"/v/\" にビデオファイルを 1 本転送しました(失敗は 2 本)"));
    QCOMPARE(CopyProgressText(1, 3, "a.mp3"), std::string("(1/3) [ a.mp3 ]をコピー中"));
}

void SongCopyTest::folderCheck() {
    TempDir dir;
    auto plenty = [](const std::string&) { return int64_t(5) << 30; };
    auto none = [](const std::string&) { return int64_t(0); };
    TFolderCheck c = CheckCopyFolder("", plenty);
    QVERIFY(!c.OkEnabled);
    QCOMPARE(c.Text, std::string("ドライブが存在しません"));
    QVERIFY(!CheckCopyFolder("relative/path", plenty).OkEnabled);
    c = CheckCopyFolder(dir.Path(), plenty);
    QVERIFY(c.OkEnabled);
    QCOMPARE(c.Text, std::string("このフォルダは存在します (5120 MB空き)"));
    c = CheckCopyFolder(dir / "new/deeper", plenty);
    QVERIFY(c.OkEnabled);
    QCOMPARE(c.Text, std::string("このフォルダは存在しません (5120 MB空き)"));
    c = CheckCopyFolder(dir.Path(), none);
    QVERIFY(!c.OkEnabled);
    QCOMPARE(c.Text, std::string("このドライブにはコピーできません"));
}

void SongCopyTest::twoRunsNumberTheirCopiesAndListBoth() {
    TempDir dir;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "朝", "歌手A", "盤", 100), TestSong(2, "夜", "", "", 200)};
    db.Songs[0].TrackNumber = 7;
    WriteTestPlayer(dir, "ipod", db);
    TRecordedBoxes boxes;
    TRecordedShell shell;
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    host->Page<TSongPage>().LoadSongList();
    auto& copy = host->Settings().SongCopy;
    copy.Folder = dir / "out/";
    copy.MakeFolder_Artist = true;
    copy.MakeFolder_Album = true;
    copy.AddTrackNo = true;
    copy.MakingNameType = 0;
    copy.MakeLibraryData = true;
    CheckAll(host->Page<TSongPage>());
    QCOMPARE(RunSongCopy(*host), 2);
    QVERIFY(fs::exists(dir / "out/歌手A/盤/07 歌手A-朝.mp3"));
    QVERIFY(fs::exists(dir / "out/不明なアーティスト/夜.mp3"));
    QCOMPARE(host->StatusText(1).toStdString(), "フォルダ \"" + (dir / "out/") + "\" に音楽ファイルを全曲転送しました");
    QCOMPARE(shell.Urls.size(), size_t(1));
    QCOMPARE(ImportLocations(dir / "out/iPodLibrary.TXT").size(), size_t(2));

    QCOMPARE(RunSongCopy(*host), 2);
    QVERIFY(fs::exists(dir / "out/歌手A/盤/07 歌手A-朝(2).mp3"));
    QVERIFY(fs::exists(dir / "out/不明なアーティスト/夜(2).mp3"));
    const std::vector<std::string> lines = ImportLocations(dir / "out/iPodLibrary.TXT");
    QCOMPARE(lines.size(), size_t(4));
    // Every line names the file as it was written, the second run's with their "(2)".
    const std::vector<std::string> second(lines.begin() + 2, lines.end());
    QVERIFY(std::count(second.begin(), second.end(), dir / "out/歌手A/盤/07 歌手A-朝(2).mp3") == 1);
    QVERIFY(std::count(second.begin(), second.end(), dir / "out/不明なアーティスト/夜(2).mp3") == 1);
    for (const std::string& line : lines) QVERIFY2(fs::exists(line), line.c_str());
}

void SongCopyTest::badLocationsAndFailuresReachTheLog() {
    TempDir dir;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "良い", "A"), TestSong(2, "無い", "A"), TestSong(3, "外", "A")};
    WriteTestPlayer(dir, "ipod", db);
    // Song 2's file is missing; song 3 points out of the player at a file that exists.
    fs::remove(dir / ("ipod/" + FileOfLocation(db.Songs[1].Location)));
    dir.Write("secret.mp3", std::string("secret"));
    db.Songs[2].Location = ":..:secret.mp3";
    WriteITunesDBToPlayer(dir / "ipod", db);
    TRecordedBoxes boxes;
    TRecordedShell shell;
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    host->Page<TSongPage>().LoadSongList();
    auto& copy = host->Settings().SongCopy;
    copy.Folder = dir / "out/";
    copy.MakeFolder_Artist = false;
    copy.MakingNameType = 1;
    copy.MakeLibraryData = true;
    CheckAll(host->Page<TSongPage>());
    QStringList logRows;
    QString logFolder;
    WhenModalWith("LogListView", [&](QWidget* w) {
        auto* list = w->findChild<QTreeWidget*>("LogListView");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            logRows << list->topLevelItem(i)->text(1) + "|" + list->topLevelItem(i)->text(3);
        }
        if (auto* label = w->findChild<QLabel*>("Label_OutFolder")) logFolder = label->text();
        w->close();
    });
    RunSongCopy(*host);
    QVERIFY(fs::exists(dir / "out/良い.mp3"));
    QVERIFY(!fs::exists(dir / "out/無い.mp3"));
    QVERIFY(!fs::exists(dir / "out/外.mp3"));
    QCOMPARE(host->StatusText(1).toStdString(),
             "フォルダ \"" + (dir / "out/") + "\" に音楽ファイルを 1 曲転送しました(失敗は 2 曲)");
    const TITBSongList& songs = MusicOf(host->Player()).Songs;
    QVERIFY(songs.GetItem(1)->TransferFailed);
    QCOMPARE(songs.GetItem(1)->TransferError, int32_t(ENOENT));
    QVERIFY(songs.GetItem(2)->TransferFailed);
    QCOMPARE(songs.GetItem(2)->TransferError, kErrOutsideRoot);
    QVERIFY(!songs.GetItem(0)->TransferFailed);
    QCOMPARE(logRows.size(), 2);
    QVERIFY(logRows[0].startsWith("無い|" + QString::fromStdString(SysErrorText(ENOENT)) + " - :iPod_Control"));
    QVERIFY(logRows[1].startsWith("外|"));
    QCOMPARE(logFolder.toStdString(), dir / "out/");
    // Only the copied song is in the import list.
    QCOMPARE(ImportLocations(dir / "out/iPodLibrary.TXT"), std::vector<std::string>{dir / "out/良い.mp3"});

    // A target folder that cannot be written: every song fails with the system's reason, and
    // the log shows that reason. (A superuser writes into read-only folders, so there the
    // target "folder" is a file, which no copy can go into either.)
    const bool root = ::geteuid() == 0;
    std::string target = dir / "ro/";
    if (root) {
        dir.Write("ro", std::string("a file"));
    } else {
        fs::create_directories(dir / "ro");
        fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    }
    const int32_t expected = root ? ENOTDIR : EACCES;
    copy.Folder = target;
    copy.MakeLibraryData = false;
    logRows.clear();
    WhenModalWith("LogListView", [&](QWidget* w) {
        auto* list = w->findChild<QTreeWidget*>("LogListView");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            logRows << list->topLevelItem(i)->text(1) + "|" + list->topLevelItem(i)->text(3);
        }
        w->close();
    });
    RunSongCopy(*host);
    QCOMPARE(songs.GetItem(0)->TransferError, expected);
    QVERIFY(host->StatusText(1).contains("0 曲転送しました(失敗は 3 曲)"));
    QCOMPARE(logRows.size(), 3);
    QVERIFY(logRows.contains("良い|" + QString::fromStdString(SysErrorText(expected)) + " - " +
                             QString::fromStdString(db.Songs[0].Location)));
    if (!root) fs::permissions(dir / "ro", fs::perms::owner_all);
}

void SongCopyTest::removalDuringTheCopyCountsTheRest() {
    TempDir dir;
    ItdbDatabase db;
    for (int i = 1; i <= 4; ++i) db.Songs.push_back(TestSong(i, "曲" + std::to_string(i), "A"));
    WriteTestPlayer(dir, "ipod", db);
    TRecordedBoxes boxes;
    TRecordedShell shell;
    auto form = OpenTestPlayer(dir, "ipod");
    form->SongPage()->LoadSongList();
    auto& copy = form->Settings().SongCopy;
    copy.Folder = dir / "out/";
    copy.MakeFolder_Artist = false;
    copy.MakingNameType = 1;
    copy.MakeLibraryData = false;
    CheckAll(*form->SongPage());
    // The player is pulled once the first song is copied; the removal is signalled while the
    // copy lets window events run.
    QProgressBar bar;
    QLabel label;
    bool cancel = false;
    QObject::connect(&bar, &QProgressBar::valueChanged, [&](int value) {
        if (value != 1 || !fs::exists(dir / "ipod")) return;
        fs::rename(dir / "ipod", dir / "pulled");
        form->WMDeviceChange(TMountWatcher::kRemoveComplete);
    });
    int logRows = -1;
    WhenModalWith("LogListView", [&](QWidget* w) {
        logRows = w->findChild<QTreeWidget*>("LogListView")->topLevelItemCount();
        w->close();
    });
    form->SongPage()->CopySongsToFolder(copy.Folder, &bar, &label, cancel);
    // The songs not reached are counted and listed as failed, never passed over as copied.
    QCOMPARE(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);
    QCOMPARE(logRows, 3);
    // Then the waiting state.
    QCOMPARE(form->StatusText(0), QString("[接続待ち]"));
    QVERIFY(form->SongPage()->ListEmpty());
    QVERIFY(!form->PlayerGone());
}

void SongCopyTest::cancelReportsTheCopiedCount() {
    TempDir dir;
    ItdbDatabase db;
    for (int i = 1; i <= 5; ++i) db.Songs.push_back(TestSong(i, "曲" + std::to_string(i), "A"));
    WriteTestPlayer(dir, "ipod", db);
    TRecordedBoxes boxes;
    TRecordedShell shell;
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TSongPage& page = host->Page<TSongPage>();
    page.LoadSongList();
    auto& copy = host->Settings().SongCopy;
    copy.Folder = dir / "out/";
    copy.MakingNameType = 1;
    copy.MakeFolder_Artist = false;
    CheckAll(page);
    const int32_t done = RunWithProgress("楽曲の転送状況", 0, 5, [&](QProgressBar* bar, QLabel* label, bool& cancel) {
        cancel = true;  // pressed while the first file is copied
        return page.CopySongsToFolder(copy.Folder, bar, label, cancel);
    });
    QCOMPARE(done, 1);
    QCOMPARE(host->StatusText(1).toStdString(),
             "フォルダ \"" + (dir / "out/") + "\" に音楽ファイルを 1 曲転送しました(失敗は 0 曲)");
    // The import list is still written.
    QCOMPARE(ImportLocations(dir / "out/iPodLibrary.TXT").size(), size_t(1));
}

void SongCopyTest::videosCopyWithTheirOwnRules() {
    TempDir dir;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "歌", "A"), TestVideo(2, "映像", "Mr. V"), TestVideo(3, "無名", "")};
    WriteTestPlayer(dir, "ipod", db);
    TRecordedBoxes boxes;
    TRecordedShell shell;
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    host->Page<TVideoPage>().LoadVideoList();
    TVideoPage& page = host->Page<TVideoPage>();
    QCOMPARE(page.VideoListBox->count(), 2);
    auto& copy = host->Settings().VideoCopy;
    copy.VideoFolder = dir / "vid/";
    copy.MakeArtistFolder = true;
    copy.MakeType = 1;
    page.Menu_Video_AllCheckClick(1);
    RunWithProgress("楽曲の転送状況", 0, 2, [&](QProgressBar* bar, QLabel* label, bool& cancel) {
        return page.CopyVideosToFolder(copy.VideoFolder, bar, label, cancel);
    });
    QVERIFY(fs::exists(dir / "vid/Mr. V/映像.m4v"));
    QVERIFY(fs::exists(dir / "vid/無名.m4v"));
    QVERIFY(!fs::exists(dir / "vid/iPodLibrary.TXT"));
    QCOMPARE(host->StatusText(1).toStdString(),
             "フォルダ \"" + (dir / "vid/") + "\" にビデオファイルを全て転送しました");
}

void SongCopyTest::videoCopyEndSaysWhatHappened() {
    TempDir dir;
    ItdbDatabase db;
    for (int i = 1; i <= 3; ++i) db.Songs.push_back(TestVideo(i, "映像" + std::to_string(i), "V"));
    WriteTestPlayer(dir, "ipod", db);
    TRecordedBoxes boxes;
    SetShellOpenAnswerHook([](const std::string&) { return false; });  // a desktop without a file manager
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TVideoPage& page = host->Page<TVideoPage>();
    page.LoadVideoList();
    auto& copy = host->Settings().VideoCopy;
    copy.VideoFolder = dir / "vid/";
    copy.MakeArtistFolder = false;
    copy.MakeType = 1;
    copy.MakeImportFile = true;
    page.Menu_Video_AllCheckClick(1);
    // The import list cannot be written (a folder has its name): the status says so.
    fs::create_directories(dir / "vid/iPodLibrary.TXT");
    QProgressBar bar;
    QLabel label;
    bool cancel = false;
    page.CopyVideosToFolder(copy.VideoFolder, &bar, &label, cancel);
    QCOMPARE(bar.maximum(), 3);
    const std::string head = "フォルダ \"" + (dir / "vid/") + "\" にビデオファイルを";
    QCOMPARE(host->StatusText(1).toStdString(), head + "全て転送しました（iPodLibrary.TXT は書き込めませんでした）");
    const std::string noOpener = ShellOpenFailureText(dir / "vid/");
    QVERIFY(std::count_if(boxes.Boxes.begin(), boxes.Boxes.end(), [&](auto& b) { return b.Text == noOpener; }) <= 1);
    boxes.Boxes.clear();
    // The player is pulled once the first video is copied, before the desktop says so: the
    // videos it kept failed because the device is missing, in the log and in the status.
    copy.MakeImportFile = false;
    QObject::connect(&bar, &QProgressBar::valueChanged, [&](int value) {
        if (value == 1 && fs::exists(dir / "ipod")) fs::rename(dir / "ipod", dir / "pulled");
    });
    QStringList reasons;
    WhenModalWith("LogListView", [&](QWidget* w) {
        auto* list = w->findChild<QTreeWidget*>("LogListView");
        for (int i = 0; i < list->topLevelItemCount(); ++i) reasons << list->topLevelItem(i)->text(3);
        w->close();
    });
    page.CopyVideosToFolder(copy.VideoFolder, &bar, &label, cancel);
    const QString missing = QString::fromStdString(SysErrorText(ENODEV));
    QCOMPARE(reasons.size(), 2);
    for (const QString& reason : reasons) QVERIFY2(reason.startsWith(missing), qPrintable(reason));
    // The folder still cannot be opened: said in the status line now, not in another box.
    QCOMPARE(host->StatusText(1).toStdString(), head + " 1 本転送しました(失敗は 2 本)" + SysErrorText(ENODEV) +
                                                    "（フォルダを開くプログラムが見つかりません）");
    QVERIFY(!boxes.Saw(noOpener));
    SetShellOpenAnswerHook({});
}

void SongCopyTest::dialogStoresItsValues() {
    TempDir dir;
    TRecordedBoxes boxes;
    TTolvIPodINI settings(dir / "s.INI");
    settings.SongCopy.Folder = dir.Path();
    settings.SongCopy.MakingNameType = 1;
    // Cancel keeps the settings.
    WhenModal([](QWidget* w) { w->findChild<QPushButton*>("Button_Cancel")->click(); });
    QVERIFY(!AskSongCopySettings(nullptr, settings));
    QCOMPARE(settings.SongCopy.Folder, dir.Path());
    // OK with a new folder: asked, created, stored with a trailing "/".
    WhenModal([&](QWidget* w) {
        w->findChild<QLineEdit*>("Edit_Folder")->setText(QString::fromStdString(dir / "new"));
        w->findChild<QCheckBox*>("CheckBox_AddTrackNo")->setChecked(true);
        w->findChild<QRadioButton*>("RadioButton_FixName2")->setChecked(true);
        w->findChild<QPushButton*>("Button_Ok")->click();
    });
    QVERIFY(AskSongCopySettings(nullptr, settings));
    QCOMPARE(settings.SongCopy.Folder, dir / "new/");
    QVERIFY(settings.SongCopy.AddTrackNo);
    QCOMPARE(settings.SongCopy.MakingNameType, 2);
    QVERIFY(fs::is_directory(dir / "new"));
    QVERIFY(boxes.Saw("フォルダ[ " + (dir / "new") + " ]は存在しません。作成してもよろしいですか？"));
    // The video form: its captions, no track-number option.
    bool trackEnabled = true;
    QString caption;
    WhenModal([&](QWidget* w) {
        trackEnabled = w->findChild<QCheckBox*>("CheckBox_AddTrackNo")->isEnabled();
        caption = w->windowTitle();
        w->findChild<QPushButton*>("Button_Cancel")->click();
    });
    QVERIFY(!AskVideoCopySettings(nullptr, settings));
    QVERIFY(!trackEnabled);
    QCOMPARE(caption, QString("ビデオデータの取り出し"));
    // No free space: OK disabled with the reason.
    auto saved = TSongCopyCfgForm::FreeBytesSource();
    TSongCopyCfgForm::FreeBytesSource() = [](const std::string&) { return int64_t(0); };
    {
        TSongCopyCfgForm form;
        form.LoadSongSettings(settings);
        QVERIFY(!form.findChild<QPushButton*>("Button_Ok")->isEnabled());
        QCOMPARE(form.findChild<QLabel*>("Label_DirCheck")->text(), QString("このドライブにはコピーできません"));
    }
    TSongCopyCfgForm::FreeBytesSource() = saved;
}

void SongCopyTest::samplePlayerIsCopied() {
    const std::string sample = std::string(HARROWIN_BINARY_DIR) + "/sample-player";
    if (!fs::exists(sample + "/iPod_Control/iTunes/iTunesDB")) QSKIP("the sample player is not written");
    TempDir dir;
    TRecordedBoxes boxes;
    TRecordedShell shell;
    TTestPageHost host(dir, "Tessmar.INI", sample, {});
    TSongPage& page = host.Page<TSongPage>();
    page.LoadSongList();
    CheckAll(page);
    // The default settings: artist folders, artist-title names, the import list.
    host.Settings().SongCopy.Folder = dir / "out/";
    const int32_t checked = page.SongModel().CheckedCount();
    QVERIFY(checked > 0);
    QCOMPARE(RunSongCopy(host), checked);
    QCOMPARE(host.StatusText(1).toStdString(), "フォルダ \"" + (dir / "out/") + "\" に音楽ファイルを全曲転送しました");
    const std::vector<std::string> lines = ImportLocations(dir / "out/iPodLibrary.TXT");
    QCOMPARE(static_cast<int32_t>(lines.size()), checked);
    for (const std::string& line : lines) QVERIFY2(fs::exists(line) && PathInside(dir / "out/", line), line.c_str());
}

QTEST_MAIN(SongCopyTest)
#include "song_copy_test.moc"
