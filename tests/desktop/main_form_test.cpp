// The main window: creation and destruction, the terms of use, page buttons and keys, status
// texts, recognition against a player tree and against none, removal, drops, the dialogs.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "desktop/dialogs/log_form.h"
#include "desktop/dialogs/spec_form.h"
#include "desktop/main_form.h"
#include "desktop/pages/address_page.h"
#include "desktop/pages/memo_page.h"
#include "desktop/pages/schedule_page.h"
#include "desktop/pages/song_page.h"
#include "desktop/pages/todo_page.h"
#include "desktop/pages/video_page.h"
#include "desktop/song_list_model.h"
#include "desktop/startup.h"
#include "foundation/console_runner.h"
#include "foundation/drives.h"
#include "foundation/program_folder.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "platform/instance_lock.h"
#include "tests/desktop/desktop_test_util.h"

using namespace harrowin;

namespace {

std::string AcceptedSettings(const TempDir& dir, const std::string& extra = {}) {
    return dir.Write("Tessmar.INI", "[Copyright]\r\nCopyright=1\r\n" + extra);
}

std::string LockedTo(const TempDir& dir, const std::string& sub) {
    return AcceptedSettings(dir, "[Recognize]\r\nMakeFolder=1\r\nDriveLockPath=" + (dir / sub) + "\r\n");
}

// A control that takes every key for itself.
class KeyEater : public QWidget {
public:
    explicit KeyEater(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
    int Keys = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        ++Keys;
        event->accept();
    }
};

QLabel* Panel(TMainForm& f, const char* name) { return f.findChild<QLabel*>(name); }

bool OnlyIPodButton(TMainForm& f) {
    if (f.TabButton(kPageIPod)->isHidden()) return false;
    for (int tag = 1; tag <= 9; ++tag) {
        if (!f.TabButton(tag)->isHidden()) return false;
    }
    return true;
}

}  // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void termsRefusedEndsAndWritesNothing();
    void termsAcceptedOnceNeverAsksAgain();
    void creationWaitsAndDestructionWritesSettings();
    void debugSwitchOnlyAsFirstArgument();
    void unwritableSettingsGiveAMessageAtExit();
    void recognitionAgainstNone();
    void startWithNoPlayerAttached();
    void recognitionOfTheSamplePlayer();
    void newsAtStartEndsAsTheButtonDoes();
    void enteringTheIPodPageRecognisesOnce();
    void clickThenFirstEntryListsEachSongOnce();
    void vanishedDatabaseReturnsToWaiting();
    void damagedArtworkDatabaseIsReported();
    void pageButtonsAndKeys();
    void eachButtonEntersItsOwnPage();
    void progressInStatus();
    void newsListIsStoredAtExit();
    void removalReturnsToWaiting();
    void dropsByPage();
    void pageFiguresOfAPlayer();
    void settingsDialogRoundTrip();
    void helpFindsTheManualOrSaysSo();
    void removalActsOnlyOnARemovableRootAndReportsFailure();
    void driveListAndTypedDrive();
    void deviceInformationWindow();
    void failureLogListsAndSaves();
    void secondInstanceIsRefused();
};

void MainFormTest::termsRefusedEndsAndWritesNothing() {
    TempDir dir;
    const std::string file = dir / "Tessmar.INI";
    WhenModal([](QWidget* w) {
        QCOMPARE(w->objectName(), QString("TCRForm"));
        QCOMPARE(w->windowTitle(), QString("Harrowinの使用に関して"));
        auto* memo = w->findChild<QPlainTextEdit*>("LicenseMemo");
        QCOMPARE(memo->toPlainText().split('\n').size(), 8);
        QTest::mouseClick(w->findChild<QPushButton*>("Button2"), Qt::LeftButton);
    });
    {
        TMainForm form({}, file);
        QVERIFY(!form.Accepted());
    }
    QVERIFY(!std::filesystem::exists(file));
}

void MainFormTest::termsAcceptedOnceNeverAsksAgain() {
    TempDir dir;
    const std::string file = dir / "Tessmar.INI";
    WhenModal([](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>("Button1"), Qt::LeftButton); });
    {
        TMainForm form({}, file);
        QVERIFY(form.Accepted());
    }
    QVERIFY(ReadFileText(file).find("[Copyright]\r\nCopyright=1\r\n") != std::string::npos);
    // The second start shows no dialog: nothing modal is open during creation.
    bool sawDialog = false;
    WhenModal(
        [&sawDialog](QWidget* w) {
            sawDialog = true;
            w->close();
        },
        5);
    TMainForm again({}, file);
    QTest::qWait(100);
    QVERIFY(!sawDialog);
    QVERIFY(again.Accepted());
}

void MainFormTest::creationWaitsAndDestructionWritesSettings() {
    TempDir dir;
    const std::string file = AcceptedSettings(dir, "[Positions]\r\nMain_X=40\r\nMain_Y=30\r\n[Hand]\r\nMade=1\r\n");
    {
        TMainForm form({}, file);
        QCOMPARE(form.windowTitle(), QString("Harrowin " HARROWIN_VERSION));
        QCOMPARE(form.pos(), QPoint(40, 30));
        QCOMPARE(form.StatusText(0), QString("[接続待ち]"));
        QVERIFY(OnlyIPodButton(form));
        QCOMPARE(form.ActivePage(), int(kPageIPod));
        QVERIFY(form.TabButton(kPageIPod)->isChecked());
        QCOMPARE(Panel(form, "Panel_Recognize")->text(), QString("認識できません"));
        QVERIFY(form.findChild<QPushButton*>("SButton_Recognize")->isEnabled());
        QVERIFY(!form.findChild<QPushButton*>("SButton_SpecData")->isEnabled());
        QVERIFY(!form.findChild<QPushButton*>("SButton_Remove")->isEnabled());
        QVERIFY(form.RecognizeOnEnter());
        QCOMPARE(form.SortState(1), 3);
        QCOMPARE(form.SortState(2), 2);
        QCOMPARE(form.SortState(9), 0);
        form.move(55, 66);
    }
    const std::string text = ReadFileText(file);
    QVERIFY(text.find("Main_X=55\r\nMain_Y=66\r\n") != std::string::npos);
    QVERIFY(text.find("[Hand]") == std::string::npos);
    QVERIFY(text.find("Count=4") != std::string::npos);
}

void MainFormTest::debugSwitchOnlyAsFirstArgument() {
    TempDir dir;
    const std::string file = AcceptedSettings(dir);
    QVERIFY(TMainForm({"-DEBUG"}, file).DebugMode());
    QVERIFY(TMainForm({"-debug", "x"}, file).DebugMode());
    QVERIFY(!TMainForm({"x", "-debug"}, file).DebugMode());
    QVERIFY(!TMainForm({}, file).DebugMode());
}

void MainFormTest::unwritableSettingsGiveAMessageAtExit() {
    TempDir dir;
    const std::string file = AcceptedSettings(dir);
    TRecordedBoxes boxes;
    {
        TMainForm form({}, file);
        // The program folder is taken away while the program runs.
        std::filesystem::remove_all(dir.Path());
    }
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QVERIFY(boxes.Boxes[0].Text.rfind("設定ファイルを保存できませんでした", 0) == 0);
    std::filesystem::create_directories(dir.Path());
}

void MainFormTest::recognitionAgainstNone() {
    TempDir dir;
    std::filesystem::create_directories(dir / "empty");
    TMainForm form({}, LockedTo(dir, "empty"));
    form.Button_RecognizeClick();
    QCOMPARE(form.StatusText(1), QString("iPodが見つかりません"));
    QCOMPARE(form.StatusText(0), QString("[接続待ち]"));
    QVERIFY(OnlyIPodButton(form));
    QVERIFY(form.findChild<QPushButton*>("SButton_Recognize")->isEnabled());
}

void MainFormTest::startWithNoPlayerAttached() {
    TempDir dir;
    std::filesystem::create_directories(dir / "usb");
    // A mount table whose one removable volume holds no player.
    SetMountedVolumesSource([&dir] {
        TMountedVolume v;
        v.Root = dir / "usb";
        v.Device = "/dev/sdz1";
        v.FsType = "vfat";
        v.DriveTypeName = "Removable";
        return std::vector<TMountedVolume>{v};
    });
    {
        TMainForm form({}, AcceptedSettings(dir));
        form.show();
        QTRY_COMPARE(form.StatusText(1), QString("iPodが見つかりません"));
        QCOMPARE(form.StatusText(0), QString("[接続待ち]"));
        QCOMPARE(Panel(form, "Panel_Recognize")->text(), QString("認識できません"));
        QVERIFY(OnlyIPodButton(form));
        // The player is attached later: only the button recognises it.
        MakeSamplePlayer(dir, "usb");
        form.WMDeviceChange(0x8000);
        QCOMPARE(form.StatusText(0), QString("[接続待ち]"));
        QTest::mouseClick(form.findChild<QPushButton*>("SButton_Recognize"), Qt::LeftButton);
        QCOMPARE(form.StatusText(0), QString("[接続中]"));
    }
    SetMountedVolumesSource({});
}

void MainFormTest::recognitionOfTheSamplePlayer() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    {
        TMainForm form({"-debug"}, LockedTo(dir, "player"));
        form.Button_RecognizeClick();
        const QString root = QString::fromStdString(dir / "player/");
        QCOMPARE(form.StatusText(1), QString("iPodが[ %1 ]で見つかりました").arg(root));
        QCOMPARE(form.StatusText(0), QString("[接続中]"));
        QCOMPARE(Panel(form, "Panel_Recognize")->text(), QString("認識されています"));
        QCOMPARE(Panel(form, "Panel_IPDrive")->text(), root);
        QCOMPARE(Panel(form, "Panel_IPMusicCount")->text(), QString("%1 曲").arg(CheckerOf(form.Player()).SongCount));
        QVERIFY(CheckerOf(form.Player()).SongCount >= 2);
        QCOMPARE(Panel(form, "Panel_IPMusicSize")->text(), QString("0 MB"));
        QVERIFY(Panel(form, "Panel_IPSize")->text().endsWith(" MB"));
        QVERIFY(!form.findChild<QPushButton*>("SButton_Recognize")->isEnabled());
        QVERIFY(form.findChild<QPushButton*>("SButton_SpecData")->isEnabled());
        QVERIFY(form.findChild<QPushButton*>("SButton_Remove")->isEnabled());
        const TMPlayerChecker& c = CheckerOf(form.Player());
        QCOMPARE(!form.TabButton(kPageSong)->isHidden(), c.HasSongs);
        QCOMPARE(!form.TabButton(kPageMemo)->isHidden(), c.HasNotes);
        QCOMPARE(!form.TabButton(kPageNews)->isHidden(), c.HasNotes);
        QCOMPARE(!form.TabButton(kPageAddress)->isHidden(), c.HasContacts);
        QCOMPARE(!form.TabButton(kPageCal)->isHidden(), c.HasCalendar);
        QCOMPARE(!form.TabButton(kPageToDo)->isHidden(), c.HasToDo);
        QCOMPARE(!form.TabButton(kPagePhoto)->isHidden(), c.HasPhotos);
        // A first-class model with a video in its database offers the video page.
        QCOMPARE(c.ModelClass, uint8_t(1));
        QVERIFY(!form.TabButton(kPageVideo)->isHidden());
        QVERIFY(!form.TabButton(kPageDebug)->isHidden());
        QVERIFY(form.TabButton(kPageIPod)->isChecked());
        // The recognise button is disabled while connected: another press does nothing.
        form.Button_RecognizeClick();
        QCOMPARE(form.StatusText(0), QString("[接続中]"));
    }
    TMainForm plain({}, LockedTo(dir, "player"));
    plain.Button_RecognizeClick();
    QVERIFY(plain.TabButton(kPageDebug)->isHidden());
}

// The download that the recognition starts says which site failed, as the download button does.
void MainFormTest::newsAtStartEndsAsTheButtonDoes() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    std::filesystem::create_directories(dir / "player/Notes");
    CreateProgramFolder();  // as the program does at start
    TRecordedBoxes boxes;
    TMainForm form({}, AcceptedSettings(dir, "[Recognize]\r\nMakeFolder=1\r\nDriveLockPath=" + (dir / "player") +
                                                  "\r\n[Internet]\r\nAutoDownLoad=1\r\n[RSSURLData]\r\nCount=0\r\nNo.0=" +
                                                  SiteRecord({"Gone", dir / "none.txt", "Not Updated", true}) + "\r\n"));
    form.Button_RecognizeClick();
    QCOMPARE(form.StatusText(1), QString("1 件のサイトを更新できませんでした: Gone"));
}

void MainFormTest::enteringTheIPodPageRecognisesOnce() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    TMainForm form({}, LockedTo(dir, "player"));
    QCOMPARE(form.StatusText(0), QString("[接続待ち]"));
    form.show();
    QTRY_COMPARE(form.StatusText(0), QString("[接続中]"));
    QVERIFY(!form.RecognizeOnEnter());
    // Entering again does not recognise again (the state text stays as the first run left it).
    form.SetStatusText(1, "marker");
    form.TabButtonClick(form.TabButton(kPageIPod));
    QCOMPARE(form.StatusText(1), QString("marker"));
}

void MainFormTest::clickThenFirstEntryListsEachSongOnce() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    TMainForm form({}, LockedTo(dir, "player"));
    form.Button_RecognizeClick();
    const int32_t songs = SongCountOf(form.Player());
    QVERIFY(songs > 0);
    // The page's deferred first entry comes after the click: it must not load the database again.
    form.show();
    QTest::qWait(50);
    QCOMPARE(SongCountOf(form.Player()), songs);
    QCOMPARE(form.StatusText(0), QString("[接続中]"));
}

void MainFormTest::vanishedDatabaseReturnsToWaiting() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    // The database is gone and a folder of its name stands there: reading it fails part-way.
    std::filesystem::remove(dir / "player/iPod_Control/iTunes/iTunesDB");
    std::filesystem::create_directories(dir / "player/iPod_Control/iTunes/iTunesDB");
    TRecordedBoxes boxes;
    TMainForm form({}, LockedTo(dir, "player"));
    form.Button_RecognizeClick();
    QCOMPARE(form.StatusText(0), QString("[接続待ち]"));
    QVERIFY(OnlyIPodButton(form));
    QVERIFY(form.findChild<QPushButton*>("SButton_Recognize")->isEnabled());
    QVERIFY(!boxes.Boxes.empty());
}

void MainFormTest::damagedArtworkDatabaseIsReported() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    const struct {
        std::string bytes;
        const char* message;
    } cases[] = {{std::string(100, 'x'), TArtworkDBLoader::kMsgTooSmall},
                 {std::string(200, 'x'), TArtworkDBLoader::kMsgNotArtworkDB}};
    for (const auto& c : cases) {
        dir.Write("player/iPod_Control/Artwork/ArtworkDB", c.bytes);
        TRecordedBoxes boxes;
        TMainForm form({}, LockedTo(dir, "player"));
        form.Button_RecognizeClick();
        QVERIFY(boxes.Saw(c.message));
        QCOMPARE(form.StatusText(0), QString("[接続中]"));
    }
}

void MainFormTest::pageButtonsAndKeys() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    TMainForm form({}, LockedTo(dir, "player"));
    form.show();
    QTRY_COMPARE(form.StatusText(0), QString("[接続中]"));
    // Hidden pages do nothing: photos are not offered by this model.
    QVERIFY(form.TabButton(kPagePhoto)->isHidden());
    QTest::keyClick(&form, Qt::Key_F8);
    QCOMPARE(form.ActivePage(), int(kPageIPod));
    QTest::keyClick(&form, Qt::Key_F2, Qt::ShiftModifier);
    QCOMPARE(form.ActivePage(), int(kPageSong));
    QVERIFY(form.TabButton(kPageSong)->isChecked());
    QTest::keyClick(&form, Qt::Key_F5, Qt::ControlModifier);
    QCOMPARE(form.ActivePage(), int(kPageAddress));
    QTest::keyClick(&form, Qt::Key_F4);
    QCOMPARE(form.ActivePage(), int(kPageNews));
    // The news list is loaded on first show from the stored sites.
    QCOMPARE(form.findChild<QTreeWidget*>("URLListView")->topLevelItemCount(), 5);
    // A key pressed in a list reaches the window as well.
    QTest::keyClick(form.findChild<QTreeWidget*>("URLListView"), Qt::Key_F3);
    QCOMPARE(form.ActivePage(), int(kPageMemo));
    QTest::keyClick(&form, Qt::Key_F1);
    QCOMPARE(form.ActivePage(), int(kPageIPod));
    QTest::keyClick(&form, Qt::Key_F10);
    QCOMPARE(form.ActivePage(), int(kPageIPod));
    // The toolbar: clicking a button shows its page.
    QTest::mouseClick(form.TabButton(kPageCal), Qt::LeftButton);
    QCOMPARE(form.ActivePage(), int(kPageCal));
    // The window sees a key before the control with the focus, even one that uses every key,
    // and the control still gets it.
    KeyEater eater(form.findChild<QWidget*>("ScheduleSheet"));
    QTest::keyClick(&eater, Qt::Key_F2);
    QCOMPARE(form.ActivePage(), int(kPageSong));
    QCOMPARE(eater.Keys, 1);
    QTest::keyClick(&eater, Qt::Key_A);
    QCOMPARE(form.ActivePage(), int(kPageSong));
    QCOMPARE(eater.Keys, 2);
}

void MainFormTest::eachButtonEntersItsOwnPage() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    TMainForm form({}, LockedTo(dir, "player"));
    TRecordedBoxes boxes;
    form.Button_RecognizeClick();
    // Each button shows its page and loads that page's list; songs and videos show their totals.
    form.TabButtonClick(form.TabButton(kPageSong));
    QCOMPARE(form.ActivePage(), int(kPageSong));
    QCOMPARE(form.SongPage()->SongModel().Count(), 2);
    QCOMPARE(form.StatusText(1), QString("0 曲を選択しています ( 合計 0.0 MB )"));
    form.TabButtonClick(form.TabButton(kPageVideo));
    QCOMPARE(form.VideoPage()->VideoListBox->count(), 1);
    QCOMPARE(form.StatusText(1), QString("0 本をチェックしています ( 全体で 0.0 MB )"));
    form.TabButtonClick(form.TabButton(kPageMemo));
    QCOMPARE(form.MemoPage()->MemoListView->topLevelItemCount(), 1);
    form.TabButtonClick(form.TabButton(kPageToDo));
    QCOMPARE(form.TodoPage()->TodoListView->topLevelItemCount(), 1);
    TSchedulePage& calendar = *form.SchedulePage();
    calendar.CalendarPages->setCurrentIndex(1);
    form.TabButtonClick(form.TabButton(kPageCal));
    QCOMPARE(calendar.CalendarPages->currentIndex(), 0);
    QCOMPARE(calendar.CalendarListView->topLevelItemCount(), 1);
    form.TabButtonClick(form.TabButton(kPagePhoto));
    QCOMPARE(form.StatusText(1), QString("iPod内にフォトデータが見つかりません"));
    QTreeWidget* contacts = form.AddressPage()->AddressListView;
    form.TabButtonClick(form.TabButton(kPageAddress));
    QCOMPARE(form.ActivePage(), int(kPageAddress));
    QCOMPARE(contacts->topLevelItemCount(), 1);
    QVERIFY(boxes.Boxes.empty());
    // A list that stands is not loaded again by entering its page.
    dir.Write("player/Contacts/b.vcf", std::string("BEGIN:VCARD\r\nEND:VCARD\r\n"));
    form.TabButtonClick(form.TabButton(kPageAddress));
    QCOMPARE(contacts->topLevelItemCount(), 1);
    // A file dropped on the page shown goes to that page's import, which reloads the list.
    const std::string card = dir.Write("pc/c.vcf", std::string("BEGIN:VCARD\r\nEND:VCARD\r\n"));
    form.WMDropFiles({QString::fromStdString(card)});
    QVERIFY(std::filesystem::exists(dir / "player/Contacts/c.vcf"));
    QCOMPARE(contacts->topLevelItemCount(), 3);
    // When the player goes every list is emptied but the to-do list.
    form.ClearAllLists();
    QVERIFY(form.SongPage()->ListEmpty() && form.VideoPage()->ListEmpty() && form.MemoPage()->ListEmpty());
    QVERIFY(calendar.ListEmpty() && form.AddressPage()->ListEmpty());
    QCOMPARE(form.TodoPage()->TodoListView->topLevelItemCount(), 1);
}

void MainFormTest::newsListIsStoredAtExit() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    const std::string file = LockedTo(dir, "player");
    {
        TMainForm form({}, file);
        form.Button_RecognizeClick();
        form.TabButtonClick(form.TabButton(kPageNews));
        auto* view = form.findChild<QTreeWidget*>("URLListView");
        QCOMPARE(view->topLevelItemCount(), 5);
        view->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        delete view->topLevelItem(4);
    }
    const std::string text = ReadFileText(file);
    QVERIFY(text.find("Count=3\r\n") != std::string::npos);
    QVERIFY(text.find(";Not Updated;0;\r\nNo.2=") != std::string::npos);
    QVERIFY(text.find("No.4=") == std::string::npos);
    // With the list never shown (empty view) the stored sites stay as they are.
    { TMainForm form({}, file); }
    QVERIFY(ReadFileText(file).find("Count=3\r\n") != std::string::npos);
}

void MainFormTest::progressInStatus() {
    TempDir dir;
    TMainForm form({}, AcceptedSettings(dir));
    form.ShowProgressInStatus(0, 10, "曲を読み込み中");
    QCOMPARE(form.StatusText(1), QString("0 % - 曲を読み込み中"));
    form.ShowProgressInStatus(7, 8, "x");
    QCOMPARE(form.StatusText(1), QString("87 % - x"));
    form.ShowProgressInStatus(0, 0, "only the text");
    QCOMPARE(form.StatusText(1), QString("only the text"));
    form.ShowProgressInStatus(3, 0, "no max");
    QCOMPARE(form.StatusText(1), QString("no max"));
}

void MainFormTest::removalReturnsToWaiting() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    TMainForm form({}, LockedTo(dir, "player"));
    form.Button_RecognizeClick();
    QCOMPARE(form.StatusText(0), QString("[接続中]"));
    auto* todo = form.findChild<QTreeWidget*>("TodoListView");
    new QTreeWidgetItem(todo, QStringList{"残す"});
    auto* news = form.findChild<QTreeWidget*>("URLListView");
    form.TabButtonClick(form.TabButton(kPageNews));
    QCOMPARE(news->topLevelItemCount(), 5);
    // While the player's folder is there, a change does nothing; an arrival never does.
    form.WMDeviceChange(0x8004);
    QCOMPARE(form.StatusText(0), QString("[接続中]"));
    std::filesystem::remove_all(dir / "player/iPod_Control");
    form.WMDeviceChange(0x8000);
    QCOMPARE(form.StatusText(0), QString("[接続中]"));
    form.WMDeviceChange(0x8004);
    QCOMPARE(form.StatusText(0), QString("[接続待ち]"));
    QCOMPARE(form.StatusText(1), QString("iPodは取り外されました"));
    QCOMPARE(form.ActivePage(), int(kPageIPod));
    QVERIFY(OnlyIPodButton(form));
    QCOMPARE(news->topLevelItemCount(), 0);
    QCOMPARE(todo->topLevelItemCount(), 1);
    QCOMPARE(Panel(form, "Panel_IPName")->text(), QString());
    QCOMPARE(CheckerOf(form.Player()).DriveRoot, std::string());
    QCOMPARE(SongCountOf(form.Player()), 0);
}

void MainFormTest::dropsByPage() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    TMainForm form({}, LockedTo(dir, "player"));
    std::vector<std::pair<int, std::string>> dropped;
    form.DropDispatch = [&dropped](int page, const std::string& path) { dropped.emplace_back(page, path); };
    TRecordedBoxes boxes;
    form.WMDropFiles({"/tmp/a.txt"});
    QVERIFY(boxes.Saw("現在の画面ではドラッグされたファイルを登録できません"));
    QVERIFY(dropped.empty());
    form.Button_RecognizeClick();
    form.TabButtonClick(form.TabButton(kPageSong));
    boxes.Boxes.clear();
    form.WMDropFiles({"/tmp/a.mp3", "/tmp/b.mp3"});
    QCOMPARE(boxes.Boxes.size(), size_t(1));  // refused once, not per file
    form.TabButtonClick(form.TabButton(kPageAddress));
    form.WMDropFiles({"/tmp/1.vcf", "/tmp/2.vcf", "/tmp/3.vcf"});
    QCOMPARE(dropped.size(), size_t(3));
    QCOMPARE(dropped[0].second, std::string("/tmp/1.vcf"));
    QCOMPARE(dropped[2].second, std::string("/tmp/3.vcf"));
    QCOMPARE(dropped[1].first, int(kPageAddress));
    form.TabButtonClick(form.TabButton(kPageNews));
    form.WMDropFiles({"/tmp/feed.rdf"});
    QCOMPARE(dropped.back().first, int(kPageNews));
    // Memory running out in one import is told, and the other files are still taken.
    form.DropDispatch = [&dropped](int page, const std::string& path) {
        if (path == "/tmp/huge.txt") throw std::bad_alloc();
        dropped.emplace_back(page, path);
    };
    boxes.Boxes.clear();
    form.WMDropFiles({"/tmp/huge.txt", "/tmp/next.txt"});
    QVERIFY(boxes.Saw("メモリが不足しているため、処理を中止しました"));
    QCOMPARE(dropped.back().second, std::string("/tmp/next.txt"));
}

void MainFormTest::pageFiguresOfAPlayer() {
    TempDir dir;
    TMainForm form({}, AcceptedSettings(dir));
    TMPlayerChecker& c = CheckerOf(form.Player());
    c.DiskTotal = 32212254720LL;
    c.DiskFree = 1048576LL * 1234 + 1048575;
    c.SongBytes = 0;
    c.SongCount = 12345;
    c.PlayerName = "私のiPod";
    c.DriveRoot = "/media/IPOD/";
    c.HasSongs = true;
    form.ShowPlayerSummary();
    QCOMPARE(Panel(form, "Panel_IPSize")->text(), QString("30,720 MB"));
    QCOMPARE(Panel(form, "Panel_IPFreeSize")->text(), QString("1,234 MB"));
    QCOMPARE(Panel(form, "Panel_IPMusicSize")->text(), QString("0 MB"));
    QCOMPARE(Panel(form, "Panel_IPMusicCount")->text(), QString("12,345 曲"));
    QCOMPARE(Panel(form, "Panel_IPName")->text(), QString("私のiPod"));
    QCOMPARE(Panel(form, "Panel_IPDrive")->text(), QString("/media/IPOD/"));
    QVERIFY(!form.TabButton(kPageSong)->isHidden());
    QVERIFY(form.TabButton(kPageMemo)->isHidden());
}

void MainFormTest::settingsDialogRoundTrip() {
    TempDir dir;
    TMainForm form({}, AcceptedSettings(dir, "[TextDivide]\r\nMakeDivMode=3\r\n"));
    TTolvIPodINI& s = form.Settings();
    // OK without changes leaves every setting as it was.
    const std::string before = [&] {
        s.SaveSettings();
        return s.Ini().ToText();
    }();
    WhenModal([](QWidget* w) {
        QCOMPARE(w->windowTitle(), QString("Harrowinの設定"));
        QTest::mouseClick(w->findChild<QPushButton*>("Button2"), Qt::LeftButton);
    });
    form.SButton_SpecDataClick(1);
    s.SaveSettings();
    QCOMPARE(s.Ini().ToText(), before);
    // Changes with Cancel are dropped.
    WhenModal([](QWidget* w) {
        w->findChild<QLineEdit*>("Edit_NewsFolder")->setText("別の名前");
        QTest::mouseClick(w->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    });
    form.EditSettings();
    QCOMPARE(s.Internet.SaveFolder, std::string("RSS News"));
    // Changes with OK are stored as given, unvalidated.
    WhenModal([](QWidget* w) {
        w->findChild<QCheckBox*>("ChkBox_DriveLock")->setChecked(true);
        w->findChild<QComboBox*>("ComboBox_Drive")->setEditText("/made/up");
        w->findChild<QLineEdit*>("Edit_NewsFolder")->setText("");
        w->findChild<QSpinBox*>("SpinEdit_BaseSize")->setValue(-7);
        w->findChild<QCheckBox*>("ChkBox_NewsAutoUpload")->setChecked(true);
        w->findChild<QCheckBox*>("CheckBox_DelRuby")->setChecked(true);
        QTest::mouseClick(w->findChild<QPushButton*>("Button2"), Qt::LeftButton);
    });
    form.EditSettings();
    QVERIFY(s.Recognize.MakeFolder);
    QCOMPARE(s.Recognize.DriveLockPath, std::string("/made/up"));
    QCOMPARE(s.Internet.SaveFolder, std::string());
    QCOMPARE(s.TextDivide.MakeWordSize, -7);
    QVERIFY(s.Internet.AutoDownLoad);
    QVERIFY(s.TextDivide.MakeDelRuby);
    QCOMPARE(s.TextDivide.MakeDivMode, 3);
    // The drive list holds existing roots of the mount table.
    WhenModal([](QWidget* w) {
        auto* combo = w->findChild<QComboBox*>("ComboBox_Drive");
        QVERIFY(combo->count() >= 1);
        for (int i = 0; i < combo->count(); ++i)
            QVERIFY(std::filesystem::is_directory(combo->itemText(i).toStdString()));
        QTest::mouseClick(w->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    });
    form.EditSettings();
}

void MainFormTest::helpFindsTheManualOrSaysSo() {
    TempDir dir;
    TMainForm form({}, AcceptedSettings(dir));
    std::vector<std::string> opened;
    form.OpenDocument = [&opened](const std::string& path) { opened.push_back(path); };
    const std::string manual = ProgramFolder() + "/manual/index.html";
    std::filesystem::remove_all(ProgramFolder() + "/manual");
    {
        TRecordedBoxes boxes;
        form.SpeedButton4Click();
        QVERIFY(boxes.Saw("Harrowinのヘルプが見つかりません"));
        QVERIFY(opened.empty());
    }
    std::filesystem::create_directories(ProgramFolder() + "/manual");
    { std::ofstream(manual) << "<html></html>"; }
    form.SpeedButton4Click();
    QCOMPARE(opened.size(), size_t(1));
    QCOMPARE(opened[0], manual);
    std::filesystem::remove_all(ProgramFolder() + "/manual");
}

// A made-up world for the removal: the player's folder as the root of a disk on USB, the system
// disk, and a udisksctl first on PATH that logs its words and fails as udisks does for a busy
// volume once the gate file appears.
struct FakeUsbPlayer {
    explicit FakeUsbPlayer(const TempDir& dir) : Log(dir / "udisks.log"), Gate(dir / "gate") {
        const std::string sys = dir / "sys";
        const std::string usb = sys + "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/host6/block/sdz";
        const std::string ata = sys + "/devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda";
        dir.Write("sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/host6/block/sdz/removable", std::string("1\n"));
        dir.Write("sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/host6/block/sdz/sdz1/partition",
                  std::string("1\n"));
        dir.Write("sys/devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/removable", std::string("0\n"));
        dir.Write("sys/devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/sda1/partition", std::string("1\n"));
        std::filesystem::create_directories(sys + "/class/block");
        std::filesystem::create_directory_symlink(usb + "/sdz1", sys + "/class/block/sdz1");
        std::filesystem::create_directory_symlink(ata + "/sda1", sys + "/class/block/sda1");
        const std::string udisks =
            dir.Write("bin/udisksctl", "#!/bin/sh\necho \"$@\" >> '" + Log + "'\ni=0\nwhile [ ! -e '" + Gate +
                                           "' ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n"
                                           "echo 'Error unmounting /dev/sdz1: target is busy' >&2\nexit 1\n");
        std::filesystem::permissions(udisks, std::filesystem::perms::owner_all);
        const char* path = std::getenv("PATH");
        SavedPath = path ? path : "";
        ::setenv("PATH", (dir / "bin:" + SavedPath).c_str(), 1);
        SetSysfsRoot(sys);
        SetMountedVolumesSource([this] {
            TMountedVolume system, player;
            system.Root = "/";
            system.Device = "/dev/sda1";
            system.FsType = "ext4";
            player.Root = PlayerRoot;
            player.Device = "/dev/sdz1";
            player.FsType = "vfat";
            return std::vector<TMountedVolume>{system, player};
        });
    }
    ~FakeUsbPlayer() {
        SetMountedVolumesSource({});
        SetSysfsRoot("");
        ::setenv("PATH", SavedPath.c_str(), 1);
    }
    std::string Log, Gate, SavedPath;
    std::string PlayerRoot;  // the mount point of the USB disk
};

void MainFormTest::removalActsOnlyOnARemovableRootAndReportsFailure() {
    TempDir dir;
    MakeSamplePlayer(dir, "player");
    TMainForm form({}, LockedTo(dir, "player"));
    form.Button_RecognizeClick();
    auto* remove = form.findChild<QPushButton*>("SButton_Remove");
    TRecordedBoxes boxes;
    FakeUsbPlayer world(dir);
    // The player is a folder inside the disk's volume: nothing may run.
    world.PlayerRoot = std::filesystem::canonical(dir.Path()).string();
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QVERIFY(boxes.Boxes[0].Text.find("安全に取り外すことはできません") != std::string::npos);
    QVERIFY(!std::filesystem::exists(world.Log));
    QVERIFY(remove->isEnabled());
    // The player is the disk's whole volume.
    world.PlayerRoot = std::filesystem::canonical(dir / "player").string();
    QTest::mouseClick(remove, Qt::LeftButton);
    QVERIFY(!remove->isEnabled());
    form.SButton_RemoveClick();  // pressed again while udisks works: no second removal
    dir.Write("gate", std::string());
    QTRY_COMPARE(boxes.Boxes.size(), size_t(2));
    // udisks' reason reaches the user; the failed unmount is the last command; still connected.
    QVERIFY(boxes.Boxes[1].Text.find("取り外すことができませんでした") != std::string::npos);
    QVERIFY(boxes.Boxes[1].Text.find("target is busy") != std::string::npos);
    QCOMPARE(ReadFileText(world.Log), std::string("unmount -b /dev/sdz1\n"));
    QCOMPARE(form.StatusText(0), QString("[接続中]"));
    QVERIFY(remove->isEnabled());
}

void MainFormTest::driveListAndTypedDrive() {
    TempDir dir;
    std::filesystem::create_directories(dir / "media/IPOD");
    std::filesystem::create_directories(dir / "proc");
    std::filesystem::create_directories(dir / "shm");
    std::filesystem::create_directories(dir / "copy");
    SetMountedVolumesSource([&dir] {
        auto volume = [](const std::string& root, const char* device, const char* fs) {
            TMountedVolume v;
            v.Root = root;
            v.Device = device;
            v.FsType = fs;
            return v;
        };
        return std::vector<TMountedVolume>{
            volume(dir / "proc", "proc", "proc"), volume(dir / "media/IPOD", "/dev/sdz1", "vfat"),
            volume(dir / "shm", "tmpfs", "tmpfs"), volume(dir / "media/IPOD", "/dev/sdz1", "vfat")};
    });
    {
        TMainForm form({}, LockedTo(dir, "copy"));
        QStringList listed;
        WhenModal([&dir, &listed](QWidget* w) {
            auto* combo = w->findChild<QComboBox*>("ComboBox_Drive");
            for (int i = 0; i < combo->count(); ++i) listed << combo->itemText(i);
            // A typed prefix of a listed root stays as typed.
            combo->lineEdit()->clear();
            QApplication::setActiveWindow(w);
            combo->lineEdit()->setFocus();
            QTest::keyClicks(combo->lineEdit(), QString::fromStdString(dir / "media/IP"));
            QTest::mouseClick(w->findChild<QPushButton*>("Button2"), Qt::LeftButton);
        });
        form.EditSettings();
        QCOMPARE(listed,
                 (QStringList{QString::fromStdString(dir / "media/IPOD"), QString::fromStdString(dir / "copy")}));
        QCOMPARE(form.Settings().Recognize.DriveLockPath, dir / "media/IP");
    }
    SetMountedVolumesSource({});
}

void MainFormTest::deviceInformationWindow() {
    TempDir dir;
    const std::string sysinfo = dir.Write("SysInfo", "ModelNumStr: xA623\nvisibleBuildID: 0x1\n");
    TMPlayerChecker c(dir / "none.MCD");
    c.ModelKind = "iPod nano";
    c.Capacity = "4GB";
    c.Generation = "第2世代";
    c.ModelNumber = "xA623";
    c.PlayerName = "名前";
    c.Owner = "持ち主";
    c.Software = "1.1";
    c.Serial = "SN1";
    c.Region = "JP";
    c.DiskTotal = 1048576LL * 3 / 2;  // 1.5 MB shows rounded
    c.SongCount = 1234;
    c.SongBytes = 1048576LL * 10;
    c.Family = "nano2";
    c.SysInfoPath = sysinfo;
    c.DriveRoot = dir.Path() + "/";
    TSpecForm form;
    form.FillInformation(c);
    auto text = [&form](const char* name) { return form.findChild<QLabel*>(name)->text(); };
    QCOMPARE(form.windowTitle(), QString("iPodの詳細な情報"));
    QCOMPARE(text("Label_PodMachine"), QString("iPod nano ( 4GB )"));
    QCOMPARE(text("Label_PodSongs"), QString("1,234 曲"));
    QCOMPARE(text("Label_PodHDD"), QString("2 MB"));
    QCOMPARE(text("Label_PodSongSize"), QString("10 MB"));
    QCOMPARE(text("Label_PodArea"), QString("JP"));
    QCOMPARE(form.ImageIndex(), 5);
    // The check only reads: the page never promises a repair, and still warns about the models
    // it must not be used on.
    QCOMPARE(text("Label3"), QString("※iPod内のデータの損傷をチェックします (修正は行いません)。iPod "
                                     "nanoやShuffleには絶対に使用しないで下さい。"));
    QVERIFY(form.findChild<QPlainTextEdit*>("IniMemo")->toPlainText().contains("ModelNumStr: xA623"));
    auto* console = form.findChild<QPlainTextEdit*>("ConsoleMemo");
    int runs = 0;
    form.DiskCheck = [&runs](const TDiskCheckTarget&) {
        return TDiskCheckResult{"run " + std::to_string(++runs) + "\n", "意味"};
    };
    {
        TRecordedBoxes boxes;
        boxes.Answer = TMsgResult::No;
        form.Button1Click();
        QCOMPARE(runs, 0);
        QCOMPARE(console->toPlainText(), QString());
        QCOMPARE(boxes.Boxes.at(0).Icon, TMsgIcon::Warning);
    }
    {
        TRecordedBoxes boxes;
        form.Button1Click();
        form.Button1Click();
        const QStringList lines = console->toPlainText().split('\n');
        QVERIFY(lines[0].startsWith("<< scandisk is ran at "));
        QVERIFY(lines[0].endsWith(" >>"));
        QCOMPARE(lines[1], QString("意味"));
        QCOMPARE(lines[2], QString("run 2"));
        QCOMPARE(console->toPlainText().count("scandisk"), 1);
        form.DiskCheck = [](const TDiskCheckTarget&) -> TDiskCheckResult { throw ELaunchFailed(); };
        form.Button1Click();
        QCOMPARE(boxes.Boxes.back().Text, std::string("スキャンディスクの起動に失敗しました。"));
        QCOMPARE(boxes.Boxes.back().Caption, std::string("エラー情報"));
        QCOMPARE(boxes.Boxes.back().Icon, TMsgIcon::Error);
        QVERIFY(console->toPlainText().contains("run 2"));  // the memo keeps its earlier contents
    }
    // A missing SysInfo leaves the page empty.
    c.SysInfoPath = dir / "gone";
    TSpecForm empty;
    empty.FillInformation(c);
    QCOMPARE(empty.findChild<QPlainTextEdit*>("IniMemo")->toPlainText(), QString());
    c.Family = "4G";
    empty.FillInformation(c);
    QCOMPARE(empty.ImageIndex(), 1);
}

void MainFormTest::failureLogListsAndSaves() {
    TempDir dir;
    TITBSongList songs;
    for (int i = 0; i < 3; ++i) {
        auto song = std::make_unique<TITBSongItem>();
        song->Title = "曲" + std::to_string(i);
        song->Artist = "歌手";
        song->Location = ":iPod_Control:Music:F00:" + std::to_string(i) + ".mp3";
        song->TransferFailed = i != 1;
        song->TransferError = i == 0 ? -2 : 2;
        songs.AddItem(std::move(song));
    }
    TLogForm form;
    form.Fill(songs, "/home/user/Music");
    auto* list = form.findChild<QTreeWidget*>("LogListView");
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(1)->text(0), QString("2"));
    QCOMPARE(list->topLevelItem(1)->text(1), QString("曲2"));
    QVERIFY(list->topLevelItem(1)->text(3).endsWith(" - :iPod_Control:Music:F00:2.mp3"));
    QCOMPARE(list->topLevelItem(0)->text(3), QString("データファイルが存在しません - :iPod_Control:Music:F00:0.mp3"));
    QCOMPARE(form.findChild<QLabel*>("Label_OutFolder")->text(), QString("/home/user/Music"));
    std::string proposed;
    form.AskFileName = [&](const std::string& name) {
        proposed = name;
        return dir / "log.TXT";
    };
    form.Button2Click();
    QVERIFY(proposed.find('/') == std::string::npos);
    QVERIFY(proposed.rfind("転送失敗ログ(", 0) == 0);
    const std::string saved = ReadFileText(dir / "log.TXT");
    QVERIFY(saved.rfind("1 :「曲0」(歌手) - データファイルが存在しません - :iPod_Control:Music:F00:0.mp3\r\n", 0) == 0);
    form.AskFileName = [](const std::string&) { return std::string(); };
    std::filesystem::remove(dir / "log.TXT");
    form.Button2Click();
    QVERIFY(!std::filesystem::exists(dir / "log.TXT"));
}

void MainFormTest::secondInstanceIsRefused() {
    TempDir dir;
    SetInstanceLockPath(dir / "HARROWINMUTEXDATA");
    const std::string settings = ProgramFolder() + "/Tessmar.INI";
    std::filesystem::remove(settings);
    {
        // Another copy holds the lock: one warning, no window, no settings file.
        pid_t child = ::fork();
        if (child == 0) {
            SetInstanceLockPath(dir / "HARROWINMUTEXDATA");
            IsFirstInstance();
            ::sleep(5);
            ::_exit(0);
        }
        QTest::qWait(300);
        TRecordedBoxes boxes;
        QCOMPARE(RunHarrowin({}, [](TMainForm&) { return 7; }), 0);
        QCOMPARE(boxes.Boxes.size(), size_t(1));
        QCOMPARE(boxes.Boxes[0].Text, std::string("既にHarrowinが起動しています"));
        QCOMPARE(boxes.Boxes[0].Icon, TMsgIcon::Warning);
        QCOMPARE(boxes.Boxes[0].Buttons, TMsgButtons::Ok);
        QVERIFY(!std::filesystem::exists(settings));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    // After the first copy ends, a start succeeds; it runs its loop and writes its settings.
    { std::ofstream(settings) << "[Copyright]\r\nCopyright=1\r\n"; }
    bool ran = false;
    QCOMPARE(RunHarrowin({},
                         [&ran](TMainForm& f) {
                             ran = f.isVisible();
                             return 0;
                         }),
             0);
    QVERIFY(ran);
    QVERIFY(ReadFileText(settings).find("[RSSURLData]") != std::string::npos);
    // The lock was given back at the end.
    QVERIFY(IsFirstInstance());
    ReleaseInstanceMutex();
    SetInstanceLockPath("");
}

QTEST_MAIN(MainFormTest)
#include "main_form_test.moc"
