// The news page: the site list commands with the site dialog, and the download of the checked
// sites from a loopback server into note pages (the news sub-folder, plain text, failures,
// names that must stay inside their folders).
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "desktop/pages/memo_page.h"
#include "desktop/pages/news_page.h"
#include "desktop/site_list_view.h"
#include "foundation/encoding.h"
#include "foundation/string_list.h"
#include "foundation/windows/edit_url_form.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/news_download.h"
#include "harrowin_work/settings.h"
#include "organiser/memo_divider.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"
#include "tests/support/loopback_http_server.h"

using namespace harrowin;

namespace fs = std::filesystem;

namespace {

const char* const kFeed =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n<title>朝のニュース</title>\n"
    "<item>\n<title>見出しその一</title>\n<link>http://example.jp/1</link>\n<description>本文その一</description>\n</"
    "item>\n"
    "</channel>\n</rss>\n";

void AddRow(TNewsPage& page, const std::string& name, const std::string& url, bool checked) {
    AddSiteRow(page.URLListView, {name, url, "Not Updated", checked});
}

// Fills the open site dialog and presses a button.
void AnswerSiteDialog(QWidget* w, const QString& name, const QString& url, bool ok) {
    if (!name.isNull()) w->findChild<QLineEdit*>("Edit_name")->setText(name);
    if (!url.isNull()) w->findChild<QLineEdit*>("Edit_URL")->setText(url);
    w->findChild<QPushButton*>(ok ? "Button_Ok" : "Button_Cancel")->click();
}

// The program folder of a test, made as the program makes it at start.
void UseProgramFolder(const TempDir& dir) {
    qputenv("HARROWIN_HOME", QByteArray::fromStdString(dir / "home"));
    fs::create_directories(dir / "home");
}

// A player with one song: the news page needs a connected player with a notes folder to write to.
void WriteNewsPlayer(const TempDir& dir) {
    ItdbDatabase db;
    db.Songs = {TestSong(1, "歌", "A")};
    WriteTestPlayer(dir, "ipod", db);
}

}  // namespace

class NewsPageTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        for (const char* v : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"}) {
            qunsetenv(v);
        }
    }
    void siteCommands();
    void siteDialogKeepsThePlainLook();
    void downloadIntoNewsFolder();
    void downloadIntoNotesFolderAndSafeNames();
    void cancelStopsTheTransferInProgress();
    void eachSiteKeepsWhatItDidNotWrite();
    void recordWithoutSitesStillReads();
    void oneFailingSiteStopsNoOther();
    void cancelStopsALongDivision();
    void aRecordThatCannotBeReadIsKept();
};

void NewsPageTest::siteCommands() {
    TempDir dir;
    UseProgramFolder(dir);
    TRecordedBoxes boxes;
    WriteNewsPlayer(dir);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TNewsPage& page = host->Page<TNewsPage>();
    page.Enter();
    page.ClearList();

    // A dropped file: name "不明なニュース", the path as address; Cancel adds nothing.
    QString seenName, seenUrl;
    WhenModalWith("Edit_URL", [&](QWidget* w) {
        seenName = w->findChild<QLineEdit*>("Edit_name")->text();
        seenUrl = w->findChild<QLineEdit*>("Edit_URL")->text();
        AnswerSiteDialog(w, QString(), QString(), false);
    });
    page.AddSite(3, dir / "news.txt");
    QCOMPARE(seenName, QString("不明なニュース"));
    QCOMPARE(seenUrl, QString::fromStdString(dir / "news.txt"));
    QVERIFY(page.ListEmpty());
    // OK adds it at the end, unchecked, not yet updated.
    WhenModalWith("Edit_URL", [&](QWidget* w) { AnswerSiteDialog(w, QString(), QString(), true); });
    page.AddSite(3, dir / "news.txt");
    QCOMPARE(page.URLListView->topLevelItemCount(), 1);
    QTreeWidgetItem* row = page.URLListView->topLevelItem(0);
    QCOMPARE(row->text(0), QString("不明なニュース"));
    QCOMPARE(row->text(2), QString("Not Updated"));
    QCOMPARE(row->checkState(0), Qt::Unchecked);

    // The edit command (here a double click below the rows) with no row selected adds a site: empty name, OK disabled,
    // "http://".
    page.URLListView->clearSelection();
    page.URLListView->setCurrentItem(nullptr);
    bool okEnabled = true;
    WhenModalWith("Edit_URL", [&](QWidget* w) {
        okEnabled = w->findChild<QPushButton*>("Button_Ok")->isEnabled();
        seenUrl = w->findChild<QLineEdit*>("Edit_URL")->text();
        w->findChild<QLineEdit*>("Edit_name")->setText("技術");
        QVERIFY(w->findChild<QPushButton*>("Button_Ok")->isEnabled());
        AnswerSiteDialog(w, QString(), "http://tech.example/rss.rdf", true);
    });
    page.URLListView->resize(400, 300);
    QTest::mouseDClick(page.URLListView->viewport(), Qt::LeftButton, {}, QPoint(200, 280));
    QVERIFY(!okEnabled);
    QCOMPARE(seenUrl, QString("http://"));
    QCOMPARE(page.URLListView->topLevelItemCount(), 2);
    QCOMPARE(page.URLListView->topLevelItem(1)->text(1), QString("http://tech.example/rss.rdf"));

    // Editing the selected row changes name and address; the last update stays.
    row->setText(2, "2024/01/31 09:05");
    page.URLListView->setCurrentItem(row);
    WhenModalWith("Edit_URL", [&](QWidget* w) {
        seenName = w->findChild<QLineEdit*>("Edit_name")->text();
        AnswerSiteDialog(w, "改名", "http://renamed.example/", true);
    });
    page.SButton_AddNewSiteClick(0);
    QCOMPARE(seenName, QString("不明なニュース"));
    QCOMPARE(row->text(0), QString("改名"));
    QCOMPARE(row->text(1), QString("http://renamed.example/"));
    QCOMPARE(row->text(2), QString("2024/01/31 09:05"));
    // "新規追加" adds even with a row selected.
    WhenModalWith("Edit_URL", [&](QWidget* w) { AnswerSiteDialog(w, "三つ目", QString(), true); });
    page.SButton_AddNewSite->click();
    QCOMPARE(page.URLListView->topLevelItemCount(), 3);

    // Deleting: nothing selected, then the selected row after Yes (No keeps it).
    page.URLListView->clearSelection();
    page.URLListView->setCurrentItem(nullptr);
    page.PM_SiteDeleteClick();
    QVERIFY(boxes.Saw("アイテムが選択されていません"));
    page.URLListView->setCurrentItem(row);
    boxes.Answer = TMsgResult::No;
    page.PM_SiteDeleteClick();
    QVERIFY(boxes.Saw("[ 改名 ]を削除してもよろしいですか？"));
    QCOMPARE(page.URLListView->topLevelItemCount(), 3);
    boxes.Answer = TMsgResult::Yes;
    page.PM_SiteDeleteClick();
    QCOMPARE(page.URLListView->topLevelItemCount(), 2);

    // Reset: the five default sites, unchecked, not updated; the stored sites are untouched.
    const std::vector<std::string> stored = host->Settings().Sites();
    page.PM_SiteAllDeleteClick();
    QVERIFY(boxes.Saw("サイト情報をクリアして初期状態にします。よろしいですか？"));
    QCOMPARE(page.URLListView->topLevelItemCount(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(page.URLListView->topLevelItem(i)->checkState(0), Qt::Unchecked);
        QCOMPARE(page.URLListView->topLevelItem(i)->text(2), QString("Not Updated"));
    }
    QCOMPARE(host->Settings().Sites(), stored);
    // The menu entries and their keys.
    QCOMPARE(page.PM_Download->shortcut(), QKeySequence(Qt::Key_F9));
    QCOMPARE(page.PM_SiteDelete->text(), QString("サイトを削除(&D)"));
    QCOMPARE(page.PM_SiteAdd->property("tag").toInt(), 1);
}

// The dialog is shared with HarrowinCast, whose framed look is its starting point: the news
// page's window must still have no group frame, no information button and the plain tab order.
void NewsPageTest::siteDialogKeepsThePlainLook() {
    TEditURLForm form(TEditURLLook::NewsSite);
    QVERIFY(!form.findChild<QGroupBox*>());
    QVERIFY(!form.findChild<QPushButton*>("InfoButton")->isVisibleTo(&form));
    QStringList order;
    QWidget* w = form.findChild<QLineEdit*>("Edit_name");
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&form)) order << w->objectName();
        w = w->nextInFocusChain();
    } while (w->objectName() != "Edit_name");
    QCOMPARE(order, QStringList({"Edit_name", "Edit_URL", "SpeedButton1", "Button_Ok", "Button_Cancel"}));
    QCOMPARE(form.findChild<QLineEdit*>("Edit_URL")->text(), QString("http://"));
}

void NewsPageTest::downloadIntoNewsFolder() {
    TempDir dir;
    UseProgramFolder(dir);
    TRecordedBoxes boxes;
    LoopbackHttpServer server;
    server.Set("/feed.rdf", {200, kFeed, ""});
    server.Set("/story.txt", {200, "一行目\r\n二行目\r\n", ""});
    server.Set("/story.html", {200, "<html><body><p>ページの本文</p></body></html>", ""});
    WriteNewsPlayer(dir);
    server.Set("/old.txt", {200, "古いニュース\r\n", ""});
    // The user's own notes, one of them in the news folder.
    dir.Write("ipod/Notes/RSS News/mine too.txt", std::string("keep"));
    dir.Write("ipod/Notes/mine.txt", std::string("keep"));
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TNewsPage& page = host->Page<TNewsPage>();
    const TMemoPage& notes = host->Page<TMemoPage>();
    page.NowText = [] { return QString("2024/01/31 09:05"); };
    // An earlier download wrote a page; a download with no site checked deletes nothing.
    page.ClearList();
    AddRow(page, "Old", server.Url("/old.txt"), true);
    page.SButton_DownloadClick();
    QCOMPARE(FilesUnder(dir / "ipod/Notes/RSS News"), (std::vector<std::string>{"Old.txt", "mine too.txt"}));
    page.URLListView->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    page.SButton_DownloadClick();
    QCOMPARE(FilesUnder(dir / "ipod/Notes/RSS News"), (std::vector<std::string>{"Old.txt", "mine too.txt"}));
    page.ClearList();
    AddRow(page, "Feed", server.Url("/feed.rdf"), true);
    AddRow(page, "Plain", server.Url("/story.txt"), true);
    AddRow(page, "Off", server.Url("/story.html"), false);
    AddRow(page, "Gone", server.Url("/missing.rdf"), true);
    page.SButton_DownloadClick();

    const std::string news = dir / "ipod/Notes/RSS News";
    const std::vector<std::string> pages = FilesUnder(news);
    // The pages of the earlier download are gone; every note of the user's stays.
    QVERIFY(fs::exists(dir / "ipod/Notes/mine.txt"));
    QCOMPARE(pages, (std::vector<std::string>{"Feed.txt", "Plain.txt", "mine too.txt"}));
    // Plain text is taken as it is (converted to the player's code page only).
    const std::string plain = ReadFileText(news + "/Plain.txt");
    QVERIFY(plain.find(encoding::Utf8ToCp932("一行目")) != std::string::npos);
    QVERIFY(plain.find("<?xml encoding=\"Shift-JIS\"?>") != std::string::npos);
    // The feed went through the document reader.
    const std::string feed = ReadFileText(news + "/Feed.txt");
    QVERIFY(feed.find(encoding::Utf8ToCp932("見出しその一")) != std::string::npos);
    QVERIFY(feed.find("<rss") == std::string::npos);
    // Times: fetched sites only.
    QCOMPARE(page.URLListView->topLevelItem(0)->text(2), QString("2024/01/31 09:05"));
    QCOMPARE(page.URLListView->topLevelItem(1)->text(2), QString("2024/01/31 09:05"));
    QCOMPARE(page.URLListView->topLevelItem(2)->text(2), QString("Not Updated"));
    QCOMPARE(page.URLListView->topLevelItem(3)->text(2), QString("Not Updated"));
    // The cache keeps each fetched document as "<site>.RDF".
    QCOMPARE(ReadFileText(dir / "home/RDFData/Feed.RDF"), std::string(kFeed));
    QVERIFY(!fs::exists(dir / "home/RDFData/Off.RDF"));
    QVERIFY(!fs::exists(dir / "home/RDFData/Gone.RDF"));
    // The notes list was reloaded.
    QVERIFY(!notes.ListEmpty());
    // The agent of news documents.
    QCOMPARE(server.LastAgent(), std::string("MyApp"));
}

void NewsPageTest::downloadIntoNotesFolderAndSafeNames() {
    TempDir dir;
    UseProgramFolder(dir);
    TRecordedBoxes boxes;
    LoopbackHttpServer server;
    server.Set("/a.txt", {200, "new text\r\n", ""});
    server.Set("/long.txt", {200, "first\r\n" + std::string(5000, 'x') + "\r\nlast\r\n", ""});
    WriteNewsPlayer(dir);
    dir.Write("ipod/Notes/Local.txt", std::string("old text\r\n"));
    const std::string local = dir.Write("pc/local news.txt", std::string("from disk\r\n"));
    // "MakeFolder" off: pages go into the notes folder.
    auto host = std::make_unique<TTestPageHost>(dir, "ipod", "[TextDivide]\r\nMakeFolder=0\r\nAddEncoded=0\r\n");
    TNewsPage& page = host->Page<TNewsPage>();
    page.ClearList();
    AddRow(page, "Local", local, true);
    AddRow(page, "../../escape", server.Url("/a.txt"), true);
    AddRow(page, "No file", dir / "pc/none.txt", true);
    AddRow(page, "Long", server.Url("/long.txt"), true);
    page.SButton_DownloadClick();
    // A line the splitter cannot cut ends that site's text with the splitter's message.
    QVERIFY(boxes.Saw(kMemoLineTooLong));
    // A note the user made under a site's page name stays, the site is not updated, and the
    // end of the download says which sites failed.
    QCOMPARE(ReadFileText(dir / "ipod/Notes/Local.txt"), std::string("old text\r\n"));
    QCOMPARE(page.URLListView->topLevelItem(0)->text(2), QString("Not Updated"));
    QVERIFY(
        boxes.Saw("2 件のサイトを更新できませんでした。\nLocal: 既にあるメモ[ Local.txt ]を残しました\nNo file: "
                  "取得できませんでした"));
    // A name with folder parts stays a name inside the notes and cache folders.
    QVERIFY(ReadFileText(dir / "ipod/Notes/.. .. escape.txt").find("new text\r\n") != std::string::npos);
    QVERIFY(fs::exists(dir / "home/RDFData/.. .. escape.RDF"));
    QVERIFY(!fs::exists(dir / "escape.RDF") && !fs::exists(dir / "escape.txt"));
    QCOMPARE(page.URLListView->topLevelItem(2)->text(2), QString("Not Updated"));
    // An empty list does nothing.
    page.ClearList();
    page.SButton_DownloadClick();
}

void NewsPageTest::cancelStopsTheTransferInProgress() {
    TempDir dir;
    UseProgramFolder(dir);
    TRecordedBoxes boxes;
    LoopbackHttpServer server;
    server.Set("/long.txt", LoopbackHttpServer::LongAnswer());
    WriteNewsPlayer(dir);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TNewsPage& page = host->Page<TNewsPage>();
    page.ClearList();
    AddRow(page, "Long", server.Url("/long.txt"), true);
    // The user presses Cancel once the page is arriving.
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (server.BytesSent() > 100000 && TProgressForm::Current()) {
            TProgressForm::Current()->findChild<QPushButton*>("Button1")->click();
            press.stop();
        }
    });
    press.start(5);
    page.SButton_DownloadClick();
    QCOMPARE(page.URLListView->topLevelItem(0)->text(2), QString("Not Updated"));
    QVERIFY(fs::is_empty(dir / "home/RDFData"));
    QVERIFY(FilesUnder(dir / "ipod/Notes/RSS News").empty());
}

// A page the user changed is never written over, and a site that failed keeps its pages.
void NewsPageTest::eachSiteKeepsWhatItDidNotWrite() {
    TempDir dir;
    UseProgramFolder(dir);
    TRecordedBoxes boxes;
    LoopbackHttpServer server;
    server.Set("/a.txt", {200, "first\r\n", ""});
    server.Set("/b.txt", {200, "second\r\n", ""});
    WriteNewsPlayer(dir);
    fs::create_directories(dir / "ipod/Notes");
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TNewsPage& page = host->Page<TNewsPage>();
    page.ClearList();
    AddRow(page, "MySite", server.Url("/a.txt"), true);
    AddRow(page, "Second", server.Url("/b.txt"), true);
    page.SButton_DownloadClick();
    const std::string news = dir / "ipod/Notes/RSS News";
    QCOMPARE(FilesUnder(news), (std::vector<std::string>{"MySite.txt", "Second.txt"}));
    const std::string mine = ReadFileText(news + "/MySite.txt") + "my own line\r\n";
    dir.Write("ipod/Notes/RSS News/MySite.txt", mine);
    server.Set("/a.txt", {200, "fresh\r\n", ""});
    server.Set("/b.txt", {404, "", ""});
    page.SButton_DownloadClick();
    QCOMPARE(ReadFileText(news + "/MySite.txt"), mine);
    QVERIFY(
        boxes.Saw("2 件のサイトを更新できませんでした。\nMySite: 既にあるメモ[ RSS News/MySite.txt ]を残しました\n"
                  "Second: 取得できませんでした"));
    QVERIFY(ReadFileText(news + "/Second.txt").find("second") != std::string::npos);
    // Once the site answers again its own page is replaced.
    server.Set("/b.txt", {200, "again\r\n", ""});
    page.SButton_DownloadClick();
    QVERIFY(ReadFileText(news + "/Second.txt").find("again") != std::string::npos);
    QCOMPARE(ReadFileText(news + "/MySite.txt"), mine);
}

// A record written before pages had sites: its pages are replaced by pages of their names, and
// a page of another site stays when one site is downloaded.
void NewsPageTest::recordWithoutSitesStillReads() {
    TempDir dir;
    UseProgramFolder(dir);
    TRecordedBoxes boxes;
    LoopbackHttpServer server;
    server.Set("/old.txt", {200, "new page\r\n", ""});
    WriteNewsPlayer(dir);
    std::string record;
    for (const char* name : {"Old.txt", "Other.txt"}) {
        const std::string path = dir.Write(std::string("ipod/Notes/RSS News/") + name, std::string("earlier page"));
        struct stat st {};
        QCOMPARE(::stat(path.c_str(), &st), 0);
        record += std::to_string(st.st_size) + "\t" + std::to_string(st.st_mtime) + "\tRSS News/" + name + "\r\n";
    }
    dir.Write("home/RDFData/NewsPages.LST", record);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TNewsPage& page = host->Page<TNewsPage>();
    page.ClearList();
    AddRow(page, "Old", server.Url("/old.txt"), true);
    AddRow(page, "Other", server.Url("/gone.txt"), true);
    page.SButton_DownloadClick();
    const std::string news = dir / "ipod/Notes/RSS News";
    QVERIFY(ReadFileText(news + "/Old.txt").find("new page") != std::string::npos);
    QCOMPARE(ReadFileText(news + "/Other.txt"), std::string("earlier page"));
    // Written back in the new form, the page still belongs to no site that was fetched.
    page.SButton_DownloadClick();
    QCOMPARE(ReadFileText(news + "/Other.txt"), std::string("earlier page"));
}

// A site whose document cannot be written stops no site after it, and the end says which failed.
void NewsPageTest::oneFailingSiteStopsNoOther() {
    TempDir dir;
    UseProgramFolder(dir);
    TRecordedBoxes boxes;
    LoopbackHttpServer server;
    server.Set("/1.txt", {200, "one\r\n", ""});
    server.Set("/3.txt", {200, "three\r\n", ""});
    WriteNewsPlayer(dir);
    const std::string local = dir.Write("pc/second.txt", std::string("two\r\n"));
    fs::create_directories(dir / "home/RDFData/Second.RDF");  // its cache file cannot be written
    fs::create_directories(dir / "ipod/Notes");
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TNewsPage& page = host->Page<TNewsPage>();
    page.NowText = [] { return QString("2024/01/31 09:05"); };
    page.ClearList();
    AddRow(page, "First", server.Url("/1.txt"), true);
    AddRow(page, "Second", local, true);
    AddRow(page, "Third", server.Url("/3.txt"), true);
    page.SButton_DownloadClick();
    QCOMPARE(FilesUnder(dir / "ipod/Notes/RSS News"), (std::vector<std::string>{"First.txt", "Third.txt"}));
    QCOMPARE(page.URLListView->topLevelItem(1)->text(2), QString("Not Updated"));
    QCOMPARE(page.URLListView->topLevelItem(2)->text(2), QString("2024/01/31 09:05"));
    QCOMPARE(host->StatusText(1), QString("1 件のサイトを更新できませんでした: Second"));
    QVERIFY(std::any_of(boxes.Boxes.begin(), boxes.Boxes.end(), [](const auto& b) {
        return b.Text.starts_with("1 件のサイトを更新できませんでした。\nSecond: ");
    }));
}

// Cancel during the division of a page of thousands of notes stops it, and the record lists
// exactly the pages written.
void NewsPageTest::cancelStopsALongDivision() {
    TempDir dir;
    UseProgramFolder(dir);
    TRecordedBoxes boxes;
    LoopbackHttpServer server;
    std::string body;
    for (int i = 0; i < 5000; ++i) body += std::string(100, 'x') + "\r\n";
    server.Set("/long.txt", {200, body, ""});
    WriteNewsPlayer(dir);
    fs::create_directories(dir / "ipod/Notes");
    auto host = std::make_unique<TTestPageHost>(dir, "ipod", "[TextDivide]\r\nMakeWordSize=300\r\n");
    TNewsPage& page = host->Page<TNewsPage>();
    page.ClearList();
    AddRow(page, "Long", server.Url("/long.txt"), true);
    const std::string news = dir / "ipod/Notes/RSS News";
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (TProgressForm::Current() && FilesUnder(news).size() >= 20) {
            TProgressForm::Current()->findChild<QPushButton*>("Button1")->click();
            press.stop();
        }
    });
    press.start(5);
    page.SButton_DownloadClick();
    const std::vector<std::string> pages = FilesUnder(news);
    QVERIFY(pages.size() >= 20);
    QVERIFY(pages.size() < 5000);
    QCOMPARE(page.URLListView->topLevelItem(0)->text(2), QString("Not Updated"));
    std::vector<std::string> recorded;
    const std::vector<std::string> lines = SplitLines(ReadFileText(dir / "home/RDFData/NewsPages.LST"));
    for (size_t i = 1; i < lines.size(); ++i) {
        recorded.push_back(lines[i].substr(lines[i].rfind('\t') + 1 + std::string("RSS News/").size()));
    }
    std::sort(recorded.begin(), recorded.end());
    QCOMPARE(recorded, pages);
}

// A record that is there but cannot be read (past its bound, a link) stays as it is, no page is
// written while it cannot be read, and the download says why.
void NewsPageTest::aRecordThatCannotBeReadIsKept() {
    TempDir dir;
    UseProgramFolder(dir);
    TRecordedBoxes boxes;
    LoopbackHttpServer server;
    server.Set("/a.txt", {200, "news\r\n", ""});
    WriteNewsPlayer(dir);
    fs::create_directories(dir / "ipod/Notes");
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TNewsPage& page = host->Page<TNewsPage>();
    page.ClearList();
    AddRow(page, "Site", server.Url("/a.txt"), true);
    const std::string record = dir / "home/RDFData/NewsPages.LST";
    const std::string big = "NewsPages\t2\r\n" + std::string(4u << 20, 'x');
    dir.Write("home/RDFData/NewsPages.LST", big);
    page.SButton_DownloadClick();
    QVERIFY(ReadFileText(record) == big);
    QVERIFY(!fs::exists(dir / "ipod/Notes/RSS News/Site.txt"));
    QVERIFY(boxes.Saw("ファイル " + record +
                      " を読み込めませんでした。大きすぎます (4 MB まで)。\nこのファイルは書き換えずにそのまま残します。\n"
                      "ニュースはダウンロードしていません。"));
    fs::remove(record);
    const std::string elsewhere = dir.Write("elsewhere.LST", std::string("NewsPages\t2\r\n"));
    fs::create_symlink(elsewhere, record);
    page.SButton_DownloadClick();
    QVERIFY(fs::is_symlink(record));
    QCOMPARE(ReadFileText(elsewhere), std::string("NewsPages\t2\r\n"));
    QVERIFY(!fs::exists(dir / "ipod/Notes/RSS News/Site.txt"));
}

QTEST_MAIN(NewsPageTest)
#include "news_page_test.moc"
