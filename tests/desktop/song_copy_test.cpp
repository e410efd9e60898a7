// Copying songs and videos to the PC through the pages and the dialog: the import list of
// several runs, bad locations and failures reaching the log, cancel and removal, the end texts.
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

using namespace harrowin;

namespace fs = std::filesystem;

namespace {

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
    void twoRunsNumberTheirCopiesAndListBoth();
    void badLocationsAndFailuresReachTheLog();
    void cancelReportsTheCopiedCount();
    void removalDuringTheCopyCountsTheRest();
    void videosCopyWithTheirOwnRules();
    void videoCopyEndSaysWhatHappened();
    void dialogStoresItsValues();
    void samplePlayerIsCopied();
};

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
