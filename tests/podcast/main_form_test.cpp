// The podcast program's main window under the offscreen platform: start-up defaults, feed
// commands, the whole update against a loopback server, and the card drawing.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

#include "foundation/gui/message_box.h"
#include "foundation/gui/select_folder.h"
#include "foundation/ini_file.h"
#include "foundation/windows/edit_url_form.h"
#include "platform/instance_lock.h"
#include "platform/media_library.h"
#include "podcast/dialogs/config_form.h"
#include "podcast/main_form.h"
#include "podcast/startup.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/temp_dir.h"
#include "ui_config_form.h"

using namespace harrowincast;

namespace fs = std::filesystem;

namespace {

struct Boxes {
    std::vector<TMessageRequest> Seen;
    TMsgResult Answer = TMsgResult::Yes;
    Boxes() {
        SetMessageBoxHook([this](const TMessageRequest& r) {
            Seen.push_back(r);
            return r.Buttons == TMsgButtons::Ok ? TMsgResult::Ok : Answer;
        });
    }
    ~Boxes() { SetMessageBoxHook({}); }
};

void WhenModal(std::function<void(QWidget*)> act, int triesLeft = 300) {
    QTimer::singleShot(10, [act, triesLeft] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            act(w);
        } else if (triesLeft > 0) {
            WhenModal(act, triesLeft - 1);
        }
    });
}

// Answers the next feed dialog with the texts.
void AnswerFeedDialog(const QString& name, const QString& url) {
    WhenModal([name, url](QWidget* w) {
        QVERIFY(qobject_cast<TEditURLForm*>(w));
        w->findChild<QLineEdit*>("Edit_name")->setText(name);
        w->findChild<QLineEdit*>("Edit_URL")->setText(url);
        w->findChild<QPushButton*>("Button_Ok")->click();
    });
}

// A program folder of the test's own.
struct Home {
    TempDir dir;
    Home() { qputenv("HARROWINCAST_HOME", QByteArray::fromStdString(dir.Path())); }
};

}  // namespace

class PodcastMainFormTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartAddsTheDefaultFeedAndWritesTheFilesAtExit() {
        Home home;
        {
            TMainForm form;
            QCOMPARE(form.URLListBox()->count(), 1);
            QCOMPARE(form.windowTitle(), QString("HarrowinCast 1.02"));
            QCOMPARE(form.geometry().size(), QSize(600, 400));
            QCOMPARE(form.Settings().Sites.GetItem(0)->DATE, std::string("Not Updated"));
            QCOMPARE(form.Settings().Sites.GetItem(0)->AUTHOR, std::string("制作者不明"));
            QCOMPARE(form.findChild<QAction*>("PM_EditURL")->shortcut(), QKeySequence(Qt::Key_Enter));
            form.close();
        }
        TIniFile ini(home.dir / "Lumenquist.INI");
        QCOMPARE(ini.ReadInteger("System", "Count", -1), 1);
        QCOMPARE(ini.ReadInteger("Positions", "Main_W", 0), 600);
        QVERIFY(fs::exists(home.dir / "Lumenquist.LST"));
    }

    void maximisedWindowKeepsItsNormalBounds() {
        Home home;
        {
            TMainForm form;
            form.setGeometry(10, 20, 500, 300);
            form.showMaximized();
            QTest::qWait(20);
            form.close();
        }
        TIniFile ini(home.dir / "Lumenquist.INI");
        QCOMPARE(ini.ReadInteger("Positions", "State", -1), 1);
        QCOMPARE(ini.ReadInteger("Positions", "Main_W", 0), 500);
        TMainForm again;
        QVERIFY(again.windowState() & Qt::WindowMaximized);
    }

    void addEditAndDeleteFeeds() {
        Home home;
        Boxes boxes;
        TMainForm form;
        form.Settings().SaveType = 1;
        AnswerFeedDialog("Radio", "http://127.0.0.1:1/feed");
        form.AddButtonClick(1);
        QCOMPARE(form.URLListBox()->count(), 2);
        QCOMPARE(form.Settings().Sites.GetItem(1)->PLAYLIST, std::string("PCast Radio"));
        // A name already subscribed, in any case, is refused: the dialog stays open.
        bool stayedOpen = false;
        WhenModal([&](QWidget* w) {
            w->findChild<QLineEdit*>("Edit_name")->setText("radio");
            w->findChild<QPushButton*>("Button_Ok")->click();
            stayedOpen = w->isVisible();
            w->findChild<QPushButton*>("Button_Cancel")->click();
        });
        form.AddButtonClick(1);
        QVERIFY(stayedOpen);
        QCOMPARE(boxes.Seen.back().Text, std::string("[ radio ]は既に登録されているサイト名です"));
        QCOMPARE(form.URLListBox()->count(), 2);
        QCOMPARE(form.Settings().Sites.Count(), 2);
        // The feed list is written at once, not only when the program closes.
        QCOMPARE(TIniFile(home.dir / "Lumenquist.INI").ReadString("RSSURLData", "Item-1.NAME", ""),
                 std::string("Radio"));

        form.URLListBox()->setCurrentRow(1);
        AnswerFeedDialog("Radio 2", "http://127.0.0.1:3/feed");
        form.AddButtonClick(0);
        QCOMPARE(form.URLListBox()->item(1)->text(), QString("Radio 2"));
        QCOMPARE(form.Settings().Sites.GetItem(1)->NAME, std::string("Radio 2"));

        // A feed named ".." must not take the whole episode folder with it.
        home.dir.Write("PodCastings/other/keep.mp3", "x");
        const std::string mine = home.dir.Write("PodCastings/Radio 2/a.mp3", "x");
        form.Episodes().FindOrAdd(mine)->TITLE = "Radio 2";
        AnswerFeedDialog("..", "http://127.0.0.1:4/feed");
        form.AddButtonClick(1);
        form.URLListBox()->setCurrentRow(2);
        form.PM_DeleteURLClick();
        QCOMPARE(form.URLListBox()->count(), 2);
        QVERIFY(fs::exists(home.dir / "PodCastings/other/keep.mp3"));

        form.URLListBox()->setCurrentRow(1);
        form.PM_DeleteURLClick();
        QCOMPARE(boxes.Seen.back().Text, std::string("\"Radio 2\"を削除してもよろしいですか？"));
        QCOMPARE(form.URLListBox()->count(), 1);
        QCOMPARE(form.Settings().Sites.Count(), 1);
        QVERIFY(!fs::exists(home.dir / "PodCastings/Radio 2"));
        QCOMPARE(form.Episodes().Count(), 1);  // kept for a later hand-over to the library
        QVERIFY(!fs::exists(mine));
        QCOMPARE(form.StatusText(), QString("削除処理は完了しました"));
    }

    void renamingToAnotherFeedsNameIsRefused() {
        Home home;
        Boxes boxes;
        TMainForm form;
        AnswerFeedDialog("Radio", "http://127.0.0.1:1/feed");
        form.AddButtonClick(1);
        const std::string first = form.Settings().Sites.GetItem(0)->NAME;
        form.URLListBox()->setCurrentRow(0);
        bool stayedOpen = false;
        WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<TEditURLForm*>(w);
            QVERIFY(dialog);
            dialog->findChild<QLineEdit*>("Edit_name")->setText("RADIO");  // names are compared without case
            dialog->findChild<QPushButton*>("Button_Ok")->click();
            stayedOpen = dialog->isVisible();
            dialog->findChild<QPushButton*>("Button_Cancel")->click();
        });
        form.AddButtonClick(0);
        QVERIFY(stayedOpen);
        QCOMPARE(boxes.Seen.size(), size_t(1));
        QCOMPARE(boxes.Seen.back().Text, std::string("[ RADIO ]は既に登録されているサイト名です"));
        QCOMPARE(form.URLListBox()->item(0)->text().toStdString(), first);
        QCOMPARE(form.Settings().Sites.GetItem(0)->NAME, first);
        QCOMPARE(form.Settings().Sites.Count(), 2);
    }

    void aNameIsTakenWithoutTheBlanksAtItsEndsSoOneNameIsOneFeed() {
        Home home;
        Boxes boxes;
        {
            TMainForm form;
            AnswerFeedDialog("Radio", "http://127.0.0.1:1/feed");
            form.AddButtonClick(1);
            bool stayedOpen = false;
            WhenModal([&](QWidget* w) {
                w->findChild<QLineEdit*>("Edit_name")->setText(" Radio ");
                w->findChild<QPushButton*>("Button_Ok")->click();
                stayedOpen = w->isVisible();
                w->findChild<QPushButton*>("Button_Cancel")->click();
            });
            form.AddButtonClick(1);
            QVERIFY(stayedOpen);
            QCOMPARE(boxes.Seen.back().Text, std::string("[ Radio ]は既に登録されているサイト名です"));
            AnswerFeedDialog("Talk ", "http://127.0.0.1:2/feed");
            form.AddButtonClick(1);
            QCOMPARE(form.Settings().Sites.GetItem(2)->PLAYLIST, std::string("PCast Talk"));
            form.close();
        }
        // After a restart each feed has the name it had.
        TTolvIPodINI again(home.dir / "Lumenquist.INI");
        QCOMPARE(again.NameList(), (std::vector<std::string>{"NHKラジオニュース", "Radio", "Talk"}));
    }

    void progressIsShownAtABoundedRateWithTheLastValueAndCancelStillRuns() {
        Home home;
        TMainForm form;
        QProgressBar bar;
        QLabel label;
        bar.setMaximum(5000);
        bar.show();
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        struct PaintCount : QObject {
            int Paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                Paints += e->type() == QEvent::Paint;
                return false;
            }
        } count;
        label.installEventFilter(&count);
        bool cancel = false;
        QTimer::singleShot(0, [&cancel] { cancel = true; });
        {
            TPodcastWork work = form.MakeWork(&bar, &label);
            for (int i = 0; i < 5000; ++i) {
                work.Position(i);
                work.Label("item " + std::to_string(i));
                work.RunPending();
            }
            // A click waiting in the queue is still answered while the work runs.
            for (int i = 0; i < 1000000 && !cancel; ++i) work.RunPending();
        }
        QVERIFY(cancel);
        QVERIFY(count.Paints < 500);
        QCOMPARE(label.text(), QString("item 4999"));
        QCOMPARE(bar.value(), 4999);
    }

    void aSecondCopyOverTheSameProgramFolderIsRefused() {
        Home home;
        Boxes boxes;
        {
            // Another copy holds the folder's lock (its own open file, as another process has).
            const int other = ::open(HarrowinCastLockPath(home.dir.Path()).c_str(), O_RDWR | O_CREAT, 0600);
            QVERIFY(other >= 0);
            QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
            QCOMPARE(RunHarrowinCast([](TMainForm&) { return 7; }), 0);
            ::close(other);
        }
        QCOMPARE(boxes.Seen.size(), size_t(1));
        QCOMPARE(boxes.Seen[0].Text, std::string("既にHarrowinCastが起動しています"));
        QCOMPARE(boxes.Seen[0].Icon, TMsgIcon::Warning);
        QVERIFY(!fs::exists(home.dir / "Lumenquist.INI"));
        // Once that copy is gone a start runs its window and writes its settings.
        bool ran = false;
        QCOMPARE(RunHarrowinCast([&ran](TMainForm& f) {
                     ran = f.isVisible();
                     return 0;
                 }),
                 0);
        QVERIFY(ran);
        QVERIFY(fs::exists(home.dir / "Lumenquist.INI"));
        SetInstanceLockPath("");
    }

    void updateFetchesEpisodesAndRegistersThemInTheLibrary() {
        Home home;
        Boxes boxes;
        LoopbackHttpServer server;
        server.Set("/e1.mp3", {200, "one", ""});
        server.Set("/e2.mp3", {200, "two", ""});
        server.Set("/feed", {200,
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss><channel><title>番組</title>"
                             "<item><title>第1回</title><pubDate>D1</pubDate><enclosure url=\"" +
                                 server.Url("/e1.mp3") +
                                 "\" length=\"3\" type=\"audio/mpeg\"/></item>"
                                 "<item><title>第2回</title><pubDate>D2</pubDate><enclosure url=\"" +
                                 server.Url("/e2.mp3") + "\" length=\"3\" type=\"audio/mpeg\"/></item></channel></rss>",
                             ""});
        TMainForm form;
        TPodSiteItem* site = form.Settings().Sites.GetItem(0);
        site->URL = server.Url("/feed");
        form.Settings().QuitiTuunes = false;
        form.show();
        form.DownloadButtonClick();
        QCOMPARE(form.NewCount, 2);
        QCOMPARE(form.StatusText(), QString("更新は完了しました"));
        QCOMPARE(ReadFileText(FeedEpisodeFolderPath(home, site->NAME) + "/e2.mp3"), std::string("two"));
        TMediaLibrary lib(home.dir / "MediaLibrary.sqlite");
        auto tracks = lib.LibraryPlaylist().Tracks();
        QCOMPARE(tracks.Count(), 2);
        QCOMPARE(tracks.Item(1).Name(), std::string("第1回(D1)"));
        QCOMPARE(tracks.Item(1).Album(), site->NAME);
        QVERIFY(fs::exists(home.dir / "Harrowin Cast.m3u8"));
        // Both lists are on disk before the program closes: a killed program keeps its run.
        TPodCastList saved;
        saved.LoadFromFile(home.dir / "Lumenquist.LST");
        QCOMPARE(saved.Count(), 2);
        QCOMPARE(saved.GetItem(1)->FORDELETENAME, std::string("第2回(D2)"));
        QCOMPARE(TIniFile(home.dir / "Lumenquist.INI").ReadString("RSSURLData", "Item-0.AUTHOR", ""),
                 std::string("制作者不明"));
        QVERIFY(!form.Settings().Sites.GetItem(0)->DATE.empty());
    }

    void feedsThatShareAFolderOrDifferInCaseKeepTheirOwnEpisodesAndPlayLists() {
        Home home;
        Boxes boxes;
        LoopbackHttpServer server;
        server.Set("/upper", {200,
                              "<rss><channel><title>T</title><description>upper</description>"
                              "<item><title>u</title></item></channel></rss>",
                              ""});
        server.Set("/lower", {200,
                              "<rss><channel><title>T</title><description>lower</description>"
                              "<item><title>l</title></item></channel></rss>",
                              ""});
        TMainForm form;
        form.Settings().QuitiTuunes = false;
        form.Settings().MakeAnyLists = true;
        // Feeds subscribed before such names were refused, in place of the default feed.
        form.Settings().Sites.DeleteAt(0);
        const std::vector<std::pair<std::string, std::string>> feeds{
            {"Radio", "/lower"}, {"RADIO", "/upper"}, {"変な番組/その他", ""}, {"変な番組_その他", ""}};
        for (const auto& [name, path] : feeds) {
            TPodSiteItem* site = form.Settings().Sites.Add();
            site->NAME = name;
            site->PLAYLIST = "PCast " + name;
            site->URL = path.empty() ? "" : server.Url(path);
        }
        form.FillNameList();
        const std::string shared = home.dir / "PodCastings/変な番組_その他/";
        const std::string mine = home.dir.Write("PodCastings/変な番組_その他/a.mp3", "a");
        const std::string theirs = home.dir.Write("PodCastings/変な番組_その他/b.mp3", "b");
        for (const auto& [file, feed] : {std::pair{mine, "変な番組_その他"}, std::pair{theirs, "変な番組/その他"}}) {
            TPodCastItem* ep = form.Episodes().FindOrAdd(file);
            ep->TITLE = feed;
            ep->CAPTION = feed;
        }
        form.DownloadButtonClick();
        // Each line updated its own feed.
        QCOMPARE(form.Settings().Sites.GetItem(1)->DESCRIPTION, std::string("upper"));
        QCOMPARE(form.Settings().Sites.GetItem(2)->DESCRIPTION, std::string(""));
        QCOMPARE(form.Settings().Sites.GetItem(0)->DESCRIPTION, std::string("lower"));
        QVERIFY(fs::exists(home.dir / "PCast 変な番組_その他.m3u8"));

        form.URLListBox()->setCurrentRow(3);
        form.PM_DeleteURLClick();
        QVERIFY(!fs::exists(mine));
        QCOMPARE(ReadFileText(theirs), std::string("b"));
        QCOMPARE(form.Episodes().Count(), 1);
        QCOMPARE(form.Episodes().GetItem(0)->FILE, theirs);
        QVERIFY(!fs::exists(home.dir / "PCast 変な番組_その他.m3u8"));
        QVERIFY(fs::exists(home.dir / "PCast 変な番組 その他.m3u8"));
        {
            TMediaLibrary lib(home.dir / "MediaLibrary.sqlite");
            QCOMPARE(lib.LibraryPlaylist().Tracks().Count(), 1);
            for (const TMediaPlaylist& list : lib.LibrarySource().PlayLists().All())
                QVERIFY(list.Name() != "PCast 変な番組_その他");
        }

        // The first line is "Radio", whatever "RADIO" after it is called.
        form.URLListBox()->setCurrentRow(0);
        form.PM_DeleteURLClick();
        QCOMPARE(form.Settings().Sites.GetItem(0)->NAME, std::string("RADIO"));
        QCOMPARE(form.URLListBox()->item(0)->text(), QString("RADIO"));
    }

    void selectedCardIsBlueWithTheDarkerBar() {
        Home home;
        TMainForm form;
        QImage image(300, 100, QImage::Format_RGB32);
        {
            QPainter p(&image);
            form.URLListBoxDrawItem(p, 0, QRect(0, 0, 300, 100), true, false);
        }
        QCOMPARE(image.pixelColor(2, 90), QColor(0xCC, 0xCC, 0xFF));
        QCOMPARE(image.pixelColor(280, 12), QColor(0x55, 0x88, 0xCC));
        {
            QPainter p(&image);
            form.URLListBoxDrawItem(p, 0, QRect(0, 0, 300, 100), false, false);
        }
        QCOMPARE(image.pixelColor(2, 90), QColor(Qt::white));
        QCOMPARE(image.pixelColor(280, 12), QColor(0xCC, 0xCC, 0xFF));
    }

    void feedDialogOffersOkOnlyWithANameAndTakesEnter() {
        TEditURLForm form(TEditURLLook::Feed);
        auto* name = form.findChild<QLineEdit*>("Edit_name");
        auto* ok = form.findChild<QPushButton*>("Button_Ok");
        name->setFocus();
        QTest::keyClicks(name, "a");
        QVERIFY(ok->isEnabled());
        QTest::keyClick(name, Qt::Key_Backspace);
        QVERIFY(!ok->isEnabled());
        QTest::keyClick(name, Qt::Key_Return);  // swallowed, OK not possible
        QVERIFY(!form.FOk);
        QTest::keyClicks(name, "b");
        QTest::keyClick(form.findChild<QLineEdit*>("Edit_URL"), Qt::Key_Return);
        QVERIFY(form.FOk);
    }

    void settingsDialogMovesEveryValueBothWays() {
        Home home;
        TTolvIPodINI ini(home.dir / "Lumenquist.INI");
        ini.SaveType = 5;  // any value but 0 means the folder
        ini.DeleteColumns = 12;
        ini.PlayListName = "List";
        TConfigForm form;
        form.LoadFrom(ini);
        QVERIFY(form.ui->RButton_Manual->isChecked());
        QCOMPARE(form.ui->SpinEdit_ColumnCount->value(), 12);
        QCOMPARE(form.ui->SpinEdit_ColumnCount->minimum(), 1);  // a count of 0 would drop every episode
        QCOMPARE(form.ui->Edit_PlayListname->text(), QString("List"));
        SetSelectFolderHook([](std::string& folder) {
            folder = " /tmp/chosen ";
            return true;
        });
        form.SButton_OpenFolderClick();
        SetSelectFolderHook({});
        QCOMPARE(form.ui->Edit_ManualSave->text(), QString("/tmp/chosen/"));
        form.ui->RButton_iTunes->setChecked(true);
        form.ui->CheckBox_BoootAndUpdate->setChecked(true);
        form.SaveTo(ini);
        QCOMPARE(ini.SaveType, 0);
        QVERIFY(ini.AutoUpdate);
        QCOMPARE(ini.SaveFolder, std::string("/tmp/chosen/"));
    }

    void deletingAFeedWithTheLibraryRemovesItsEpisodesAndRetagsTheOthers() {
        Home home;
        Boxes boxes;
        TMainForm form;
        form.Settings().QuitiTuunes = false;
        AnswerFeedDialog("Radio", "http://127.0.0.1:1/feed");
        form.AddButtonClick(1);
        const std::string gone = home.dir.Write("PodCastings/Radio/a.mp3", "x");
        const std::string kept = home.dir.Write("PodCastings/Other/b.mp3", "y");
        for (const auto& [file, feed] : {std::pair{gone, "Radio"}, std::pair{kept, "Other"}}) {
            TPodCastItem* ep = form.Episodes().FindOrAdd(file);
            ep->FILE = file;
            ep->TITLE = feed;
            ep->CAPTION = "c";
            ep->DATE = "d";
        }
        form.URLListBox()->setCurrentRow(1);
        form.PM_DeleteURLClick();
        QCOMPARE(form.URLListBox()->count(), 1);
        QCOMPARE(form.Episodes().Count(), 1);
        QCOMPARE(form.Episodes().GetItem(0)->FILE, kept);
        QVERIFY(!fs::exists(gone));
        QVERIFY(fs::exists(kept));
        QVERIFY(!fs::exists(home.dir / "PodCastings/Radio"));
        TMediaLibrary lib(home.dir / "MediaLibrary.sqlite");
        auto tracks = lib.LibraryPlaylist().Tracks();
        QCOMPARE(tracks.Count(), 1);
        QCOMPARE(tracks.Item(1).Location(), kept);
        QCOMPARE(tracks.Item(1).Album(), std::string("Other"));
        QCOMPARE(tracks.Item(1).Name(), std::string("c(d)"));
        QCOMPARE(form.StatusText(), QString("削除処理は完了しました"));
    }

    void filesThatCouldNotBeReadAreToldOnceAndKept() {
        Home home;
        Boxes boxes;
        fs::create_directories(home.dir / "Lumenquist.INI");
        fs::create_directories(home.dir / "Lumenquist.LST");
        {
            TMainForm form;
            QCOMPARE(boxes.Seen.size(), size_t(2));  // one for each, at the start
            form.SaveSettings();
            form.SaveEpisodes();
            form.close();
        }
        QCOMPARE(boxes.Seen.size(), size_t(2));
        QVERIFY(fs::is_directory(home.dir / "Lumenquist.INI"));
        QVERIFY(fs::is_directory(home.dir / "Lumenquist.LST"));
    }

    void sizeTextOfTheFeedInformation() {
        QCOMPARE(FormatSizeKB(0), std::string("0 KB"));
        QCOMPARE(FormatSizeKB(1024 * 1234), std::string("1,234 KB"));
    }

    // Last: the program's own set-up changes the whole test application.
    void dialogsCarryTheirOwnCaptionsOnly() {
        PrepareHarrowinCast();
        // A display name set by the program would be appended to every caption by the window
        // system ("サイトの編集 — HarrowinCast"): the display name must follow the plain name.
        QCoreApplication::setApplicationName("probe");
        QCOMPARE(QGuiApplication::applicationDisplayName(), QString("probe"));
        QCoreApplication::setApplicationName("HarrowinCast");

        Home home;
        Boxes boxes;
        TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QStringList titles;
        bool infoEnabled = true;
        auto record = [&](QWidget* w) {
            titles << w->windowTitle();
            if (auto* feed = qobject_cast<TEditURLForm*>(w))
                infoEnabled = feed->findChild<QPushButton*>("InfoButton")->isEnabled();
            static_cast<QDialog*>(w)->reject();
        };
        // A double click below the only card, where no feed is hit, adds a feed.
        form.URLListBox()->clearSelection();
        WhenModal(record);
        QTest::mouseDClick(form.URLListBox()->viewport(), Qt::LeftButton, {},
                           QPoint(40, form.URLListBox()->viewport()->height() - 5));
        QVERIFY(!infoEnabled);
        WhenModal(record);
        form.ConfigButtonClick();
        form.URLListBox()->setCurrentRow(0);
        WhenModal(record);
        form.PM_SiteInfoClick();
        QCOMPARE(titles, (QStringList{"サイトの編集", "HarrowinCastの設定とオプション", "RSS情報"}));
    }

private:
    static std::string FeedEpisodeFolderPath(const Home& home, const std::string& name) {
        return home.dir / ("PodCastings/" + name);
    }
};

QTEST_MAIN(PodcastMainFormTest)
#include "main_form_test.moc"
