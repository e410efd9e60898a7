// The song page: filling the list and the artist tree, sorting with marks, checks and
// totals, the tree's commands, and the shared sorting of QTreeWidget report lists.
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include "desktop/pages/song_page.h"
#include "desktop/pages/video_page.h"
#include "desktop/report_list_sort.h"
#include "desktop/song_list_model.h"
#include "harrowin_work/player_access.h"
#include "player/player.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"

using namespace harrowin;

namespace {

QStringList TreeTexts(const QTreeWidget& tree) {
    QStringList out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* artist = tree.topLevelItem(i);
        QString line = artist->text(0);
        for (int j = 0; j < artist->childCount(); ++j) line += "|" + artist->child(j)->text(0);
        out << line;
    }
    return out;
}

QStringList Column(const TSongListModel& model, int column) {
    QStringList out;
    for (int r = 0; r < model.Count(); ++r) out << model.data(model.index(r, column), Qt::DisplayRole).toString();
    return out;
}

QString Header(const TSongListModel& model, int column) {
    return model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

std::unique_ptr<TTestPageHost> Loaded(const TempDir& dir, const ItdbDatabase& db) {
    WriteTestPlayer(dir, "ipod", db);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    host->Page<TSongPage>().LoadSongList();
    return host;
}

}  // namespace

class SongListTest : public QObject {
    Q_OBJECT
private slots:
    void oneSongAndNoSong();
    void listAndTreeFilling();
    void sortMarksAndOrder();
    void treeWidgetListsSortTheSameWay();
    void checksAndTotals();
    void treeCommands();
    void popUpEntriesAndShortcuts();
    void spaceTogglesTheChecks();
    void samplePlayerIsListed();
};

void SongListTest::oneSongAndNoSong() {
    TRecordedBoxes boxes;
    {
        TempDir dir;
        ItdbDatabase db;
        db.Songs = {TestSong(1, "唯一", "歌手", "盤")};
        auto host = Loaded(dir, db);
        QCOMPARE(host->Page<TSongPage>().SongModel().Count(), 1);
        QCOMPARE(host->Page<TSongPage>().SongModel().Row(0).SongIndex, 0);
        QCOMPARE(host->StatusText(1), QString("1 曲を読み込みました"));
        QCOMPARE(TreeTexts(*host->Page<TSongPage>().SongTreeView), QStringList{"歌手|盤"});
    }
    {
        TempDir dir;
        auto host = Loaded(dir, ItdbDatabase{});
        QVERIFY(host->Page<TSongPage>().ListEmpty());
        QCOMPARE(host->StatusText(1), QString("0 曲を読み込みました"));
    }
}

void SongListTest::listAndTreeFilling() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "s1", "Beatles", "Abbey"), TestSong(2, "s2", "beatles", "abbey"),
                TestSong(3, "s3", "BEATLES", "Help"),  TestSong(4, "s4", "", "Lonely"),
                TestSong(5, "s5", "Queen", "  "),      TestSong(6, "s6", "Help", "Queen"),
                TestVideo(7, "v", "Video Artist"),     TestSong(8, "s8", "Zed", "")};
    auto host = Loaded(dir, db);
    TSongPage& page = host->Page<TSongPage>();
    // Videos are not listed; songs without an artist are.
    QCOMPARE(page.SongModel().Count(), 7);
    QStringList indexes;
    for (int r = 0; r < page.SongModel().Count(); ++r) indexes << QString::number(page.SongModel().Row(r).SongIndex);
    QVERIFY(!indexes.contains("6"));
    QVERIFY(indexes.contains("7"));
    // Case-differing artists merge under the spelling met first, their albums likewise; an
    // empty album makes no node; an artist named like another's album has its own node.
    QCOMPARE(TreeTexts(*page.SongTreeView), (QStringList{"Beatles|Abbey|Help", "Help|Queen", "Queen", "Zed"}));
    // Six songs have an artist.
    QCOMPARE(host->StatusText(1), QString("6 曲を読み込みました"));
    // A refill replaces everything.
    page.SetAllSongChecks(true);
    page.LoadSongList();
    QCOMPARE(page.SongModel().Count(), 7);
    QCOMPARE(page.SongModel().CheckedCount(), 0);
    page.ClearList();
    QVERIFY(page.ListEmpty());
    QCOMPARE(page.SongTreeView->topLevelItemCount(), 0);
}

void SongListTest::sortMarksAndOrder() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "10", "b", "x"), TestSong(2, "9", "B", "y"), TestSong(3, "b", "a", "z"),
                TestSong(4, "B", "a", "w"), TestSong(5, "あ", "c", "v")};
    auto host = Loaded(dir, db);
    TSongPage& page = host->Page<TSongPage>();
    const TSongListModel& model = page.SongModel();
    // Filled in the artist order (state 2) without a mark; equal artists keep their order.
    QCOMPARE(Column(model, 1), (QStringList{"a", "a", "b", "B", "c"}));
    QCOMPARE(Column(model, 0).mid(0, 2), (QStringList{"b", "B"}));
    QCOMPARE(Header(model, 1), QString("アーティスト"));
    QCOMPARE(host->SortState(2), 2);
    // The artist column again: descending with "▼".
    page.VideoListViewColumnClick(1);
    QCOMPARE(host->SortState(2), -2);
    QCOMPARE(Header(model, 1), QString("アーティスト▼"));
    QCOMPARE(Column(model, 1), (QStringList{"c", "B", "b", "a", "a"}));
    // Another column: the mark moves, ascending; digits compare as characters.
    page.VideoListViewColumnClick(0);
    QCOMPARE(host->SortState(2), 1);
    QCOMPARE(Header(model, 1), QString("アーティスト"));
    QCOMPARE(Header(model, 0), QString("曲名▲"));
    const QStringList titles = Column(model, 0);
    QVERIFY(titles.indexOf("10") < titles.indexOf("9"));
    QVERIFY(titles.indexOf("b") < titles.indexOf("B"));  // lower case first, as the locale orders
    page.VideoListViewColumnClick(0);
    QCOMPARE(Header(model, 0), QString("曲名▼"));
    QCOMPARE(Column(model, 0).first(), titles.last());
    // The header click reaches the same handler.
    page.SongListView->header()->sectionClicked(2);
    QCOMPARE(host->SortState(2), 3);
    QCOMPARE(Header(model, 2), QString("アルバム▲"));
    QCOMPARE(Column(model, 2), (QStringList{"v", "w", "x", "y", "z"}));
    // Rows keep their data through sorting.
    for (int r = 0; r < model.Count(); ++r) {
        const TSongRow& row = model.Row(r);
        QCOMPARE(row.Title, db.Songs[static_cast<size_t>(row.SongIndex)].Title);
    }
    QVERIFY(CompareListText("10", "9") < 0);
    QCOMPARE(VideoListViewCompare("10", "9", 1), -1);
    QCOMPARE(VideoListViewCompare("10", "9", -1), 1);
    QCOMPARE(VideoListViewCompare("10", "9", 0), 0);
    QCOMPARE(CompareListText("a", "a"), 0);
}

void SongListTest::treeWidgetListsSortTheSameWay() {
    QTreeWidget list;
    list.setHeaderLabels({"件名", "日付"});
    const char* rows[][2] = {{"b", "2"}, {"10", "1"}, {"9", "3"}, {"B", "4"}};
    for (const auto& r : rows) new TReportListItem(&list, QStringList{r[0], r[1]});
    int32_t state = 2;
    ReportColumnClick(list, state, 0);
    QCOMPARE(state, 1);
    QCOMPARE(list.headerItem()->text(0), QString("件名▲"));
    QCOMPARE(list.topLevelItem(0)->text(0), QString("10"));
    QCOMPARE(list.topLevelItem(1)->text(0), QString("9"));
    ReportColumnClick(list, state, 1);
    QCOMPARE(list.headerItem()->text(0), QString("件名"));
    QCOMPARE(list.headerItem()->text(1), QString("日付▲"));
    QCOMPARE(list.topLevelItem(0)->text(1), QString("1"));
    ReportColumnClick(list, state, 1);
    QCOMPARE(list.headerItem()->text(1), QString("日付▼"));
    QCOMPARE(list.topLevelItem(0)->text(1), QString("4"));
    // An unmarked column loses nothing when its mark is removed.
    RemoveSortMark(*list.model(), 0);
    QCOMPARE(list.headerItem()->text(0), QString("件名"));
    ApplyStripedRows(list);
    QCOMPARE(list.palette().color(QPalette::AlternateBase), QColor(237, 243, 254));
    QVERIFY(list.alternatingRowColors());
}

void SongListTest::checksAndTotals() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    // 3 songs of 2,000,000,000 bytes: beyond 4 GB together.
    db.Songs = {TestSong(1, "a", "A", "", 2000000000), TestSong(2, "b", "A", "", 2000000000),
                TestSong(3, "c", "B", "", 2000000000)};
    auto host = Loaded(dir, db);
    TSongPage& page = host->Page<TSongPage>();
    page.UpdateSongSelectionTotals();
    QVERIFY(!page.SButton_OutSongs->isEnabled());
    QVERIFY(!page.Menu_OutSongs->isEnabled());
    page.PopMenu_SelectAllClick(1);
    QCOMPARE(host->StatusText(1), QString("3 曲を選択しています ( 合計 5,722.0 MB )"));
    QVERIFY(page.SButton_OutSongs->isEnabled());
    QVERIFY(page.Menu_OutSongs->isEnabled());
    page.PopMenu_SelectAllClick(5);  // any other Tag changes nothing
    QCOMPARE(page.SongModel().CheckedCount(), 3);
    page.PopMenu_SelectAllClick(0);
    QCOMPARE(host->StatusText(1), QString("0 曲を選択しています ( 合計 0.0 MB )"));
    QVERIFY(!page.SButton_OutSongs->isEnabled());
    // A check by the user (the model's check role) updates the totals at once.
    TSongListModel& model = page.SongModel();
    QVERIFY(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(host->StatusText(1), QString("1 曲を選択しています ( 合計 1,907.3 MB )"));
    QVERIFY(page.SButton_OutSongs->isEnabled());
    QVERIFY(model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!page.SButton_OutSongs->isEnabled());
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable));
    // Entering the page loads an empty list and shows the totals.
    page.ClearList();
    page.Enter();
    QCOMPARE(page.SongModel().Count(), 3);
    QCOMPARE(host->StatusText(1), QString("0 曲を選択しています ( 合計 0.0 MB )"));
}

void SongListTest::treeCommands() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "t1", "Zed", "one"), TestSong(2, "t2", "alpha", "One"), TestSong(3, "t3", "ALPHA", "two"),
                TestSong(4, "t4", "beta", "one")};
    auto host = Loaded(dir, db);
    TSongPage& page = host->Page<TSongPage>();
    QTreeWidget& tree = *page.SongTreeView;
    QCOMPARE(TreeTexts(tree), (QStringList{"alpha|One|two", "beta|one", "Zed|one"}));
    // Double click on an album: the first song of its artist is selected.
    tree.setCurrentItem(tree.topLevelItem(2)->child(0));
    page.SongTreeViewDblClick();
    QCOMPARE(page.SongModel().Row(page.SelectedRow()).Artist, std::string("Zed"));
    // Check the songs of an album: artist and album both matched without regard to case.
    tree.setCurrentItem(tree.topLevelItem(0)->child(0));
    page.N12Click();
    QCOMPARE(page.SongModel().CheckedCount(), 1);
    QCOMPARE(host->StatusText(1), QString("1 曲を選択しています ( 合計 0.0 MB )"));
    // The whole artist.
    tree.setCurrentItem(tree.topLevelItem(0));
    page.N12Click();
    QCOMPARE(page.SongModel().CheckedCount(), 2);
    // No mark is ever cleared by these commands.
    page.CheckSongsOfArtist("nobody");
    QCOMPARE(page.SongModel().CheckedCount(), 2);
    // "不明なアーティスト" stands for the empty artist.
    page.CheckSongsOfArtistAlbum("不明なアーティスト", "one");
    QCOMPARE(page.SongModel().CheckedCount(), 2);
    page.N16Click(0);
    QVERIFY(tree.topLevelItem(0)->isExpanded());
    page.N16Click(1);
    QVERIFY(!tree.topLevelItem(0)->isExpanded());
}

void SongListTest::popUpEntriesAndShortcuts() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "a", "A"), TestSong(2, "b", "B")};
    auto host = Loaded(dir, db);
    TSongPage& page = host->Page<TSongPage>();
    struct Entry {
        QAction* action;
        const char* name;
        const char* text;
        int tag;
        QKeySequence key;
    };
    const Entry entries[] = {{page.PopMenu_SelectAll, "PopMenu_SelectAll", "全てを選択(&L)", 1, QKeySequence("Ctrl+A")},
                             {page.N1, "N1", "全ての選択を解除(&R)", 0, {}},
                             {page.Menu_OutSongs, "Menu_OutSongs", "曲を取り出す(&X)", 0, QKeySequence(Qt::Key_F9)},
                             {page.Menu_Property, "Menu_Property", "曲の詳細情報(&P)", 0, QKeySequence("Ctrl+P")},
                             {page.Menu_FindSongs, "Menu_FindSongs", "曲の検索(&F)", 0, QKeySequence("Ctrl+F")},
                             {page.N12, "N12", "選択中のアーティストの曲をチェック(&C)", 0, {}},
                             {page.N16, "N16", "ツリーを展開する(&E)", 0, {}},
                             {page.N17, "N17", "ツリーを閉じる(&L)", 1, {}}};
    for (const Entry& e : entries) {
        QCOMPARE(e.action->objectName(), QString(e.name));
        QCOMPARE(e.action->text(), QString(e.text));
        QCOMPARE(e.action->property("tag").toInt(), e.tag);
        QCOMPARE(e.action->shortcut(), e.key);
    }
    QVERIFY(page.PopupMenu_SongList->actions().contains(page.Menu_FindSongs));
    QVERIFY(page.PopupMenu_AristTree->actions().contains(page.N17));
    // The keys act on the focused list: Ctrl+A checks every row and shows the totals.
    host->Window().show();
    page.Enter();
    QApplication::setActiveWindow(&host->Window());
    QVERIFY(QTest::qWaitForWindowActive(&host->Window()));
    page.SongListView->setFocus();
    QTest::keyClick(page.SongListView, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(page.SongModel().CheckedCount(), 2);
    QCOMPARE(host->StatusText(1), QString("2 曲を選択しています ( 合計 0.0 MB )"));
    // Ctrl+F opens the find window.
    bool findOpened = false;
    WhenModal([&](QWidget* w) {
        findOpened = w->windowTitle() == "曲の検索";
        w->findChild<QPushButton*>("Button_Cancel")->click();
    });
    QTest::keyClick(page.SongListView, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(findOpened);
}

void SongListTest::spaceTogglesTheChecks() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "a", "A"), TestSong(2, "b", "A"), TestSong(3, "c", "B"), TestVideo(4, "v", "V"),
                TestVideo(5, "w", "V")};
    auto host = Loaded(dir, db);
    TSongPage& page = host->Page<TSongPage>();
    TVideoPage& videos = host->Page<TVideoPage>();
    videos.LoadVideoList();
    host->Window().show();
    QApplication::setActiveWindow(&host->Window());
    QVERIFY(QTest::qWaitForWindowActive(&host->Window()));
    // A click on a row's artist cell, then Space: that row's mark changes, whichever cell has
    // the focus.
    const QModelIndex artist = page.SongModel().index(2, 1);
    QTest::mouseClick(page.SongListView->viewport(), Qt::LeftButton, {},
                      page.SongListView->visualRect(artist).center());
    QCOMPARE(page.SongListView->currentIndex(), artist);
    QTest::keyClick(page.SongListView, Qt::Key_Space);
    QVERIFY(page.SongModel().Checked(2));
    QCOMPARE(page.SongModel().CheckedCount(), 1);
    QVERIFY(host->StatusText(1).startsWith("1 曲を選択しています"));
    QTest::keyClick(page.SongListView, Qt::Key_Space);
    QCOMPARE(page.SongModel().CheckedCount(), 0);
    videos.VideoListBox->setFocus();
    videos.VideoListBox->setCurrentRow(1);
    QTest::keyClick(videos.VideoListBox, Qt::Key_Space);
    QCOMPARE(videos.VideoListBox->item(1)->checkState(), Qt::Checked);
    QCOMPARE(videos.VideoListBox->item(0)->checkState(), Qt::Unchecked);
    QVERIFY(host->StatusText(1).startsWith("1 本をチェックしています"));
}

void SongListTest::samplePlayerIsListed() {
    const std::string sample = std::string(HARROWIN_BINARY_DIR) + "/sample-player";
    if (!std::filesystem::exists(sample + "/iPod_Control/iTunes/iTunesDB")) QSKIP("the sample player is not written");
    TempDir dir;
    TRecordedBoxes boxes;
    TTestPageHost host(dir, "Tessmar.INI", sample, {});
    TSongPage& page = host.Page<TSongPage>();
    page.LoadSongList();
    const TITBSongList& songs = MusicOf(host.Player()).Songs;
    QCOMPARE(page.SongModel().Count(), songs.GetCount() - songs.GetVideoCount());
    QVERIFY(page.SongTreeView->topLevelItemCount() > 10);
    QVERIFY(host.StatusText(1).endsWith("曲を読み込みました"));
}

QTEST_MAIN(SongListTest)
#include "song_list_test.moc"
