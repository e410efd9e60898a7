// The song find: splitting the words, matching a row's fields, and the command with both
// pages, its stored settings and its messages.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include "desktop/dialogs/song_find_form.h"
#include "desktop/pages/song_page.h"
#include "desktop/song_list_model.h"
#include "harrowin_work/settings.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"

using namespace harrowin;

namespace {

std::unique_ptr<TTestPageHost> Loaded(const TempDir& dir) {
    ItdbDatabase db;
    db.Songs = {TestSong(1, "Yesterday", "The Beatles", "Help!"), TestSong(2, "夜の歌", "歌手Ａ", "夜想曲"),
                TestSong(3, "Help Me", "Joni", "Court and Spark"), TestSong(4, "Other", "the beatles", "Abbey Road")};
    db.PlayLists = {ItdbPlayList{"Library", 1, true, {}, false, {}, {}},
                    ItdbPlayList{"お気に入り", 2, false, {}, false, {}, {}}};
    WriteTestPlayer(dir, "ipod", db);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    host->Page<TSongPage>().LoadSongList();
    return host;
}

}  // namespace

class SongFindTest : public QObject {
    Q_OBJECT
private slots:
    void wordsAndMatching();
    void wordSearchChecksAndCounts();
    void artistSearch();
    void cancelAndNoMatch();
};

void SongFindTest::wordsAndMatching() {
    QCOMPARE(SplitFindWords("  Foo   bAR "), (std::vector<std::string>{"foo", "bar"}));
    QCOMPARE(SplitFindWords(""), std::vector<std::string>{});
    QCOMPARE(SplitFindWords("   "), std::vector<std::string>{});
    // A full-width blank is part of a word; a tab is trimmed from its ends.
    QCOMPARE(SplitFindWords("夜　歌 \tx"), (std::vector<std::string>{"夜　歌", "x"}));
    const std::vector<std::string> words = SplitFindWords("day JONI");
    QVERIFY(RowMatchesWords("Yesterday", "B", "H", 1, words));
    QVERIFY(!RowMatchesWords("Yesterday", "B", "H", 0, words));
    QVERIFY(RowMatchesWords("x", "Joni", "H", 0, words));
    QVERIFY(RowMatchesWords("x", "y", "Joni's", 2, words));
    QVERIFY(!RowMatchesWords("Yesterday", "Joni", "z", 4, words));
    // Type 3 joins the fields with blanks, so a word may span title and artist.
    QVERIFY(RowMatchesWords("Help Me", "Joni", "C", 3, SplitFindWords("me")));
    QVERIFY(RowMatchesWords("ab", "cd", "ef", 3, {"b c"}));
    QVERIFY(!RowMatchesWords("ab", "cd", "ef", 2, {"b c"}));
    // Multi-byte words match whole characters.
    QVERIFY(RowMatchesWords("夜の歌", "", "", 1, SplitFindWords("の歌")));
}

void SongFindTest::wordSearchChecksAndCounts() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = Loaded(dir);
    TSongPage& page = host->Page<TSongPage>();
    // With the default settings the dialog opens on the word page with the album field.
    int page0 = -1;
    bool albumChosen = false;
    bool playListPageShown = true;
    WhenModal([&](QWidget* w) {
        page0 = w->findChild<QTabWidget*>("Findpages")->currentIndex();
        albumChosen = w->findChild<QRadioButton*>("RadioButton_Type2")->isChecked();
        playListPageShown = w->findChild<QTabWidget*>("Findpages")->isTabVisible(1);
        w->findChild<QLineEdit*>("Edit_FindSongs")->setText("help BEATLES");
        w->findChild<QRadioButton*>("RadioButton_Type3")->setChecked(true);
        w->findChild<QPushButton*>("Button_Ok")->click();
    });
    page.SButton_FindSongsClick();
    QCOMPARE(page0, 0);
    QVERIFY(albumChosen);
    QVERIFY(!playListPageShown);
    QCOMPARE(page.SongModel().CheckedCount(), 3);
    QVERIFY(boxes.Saw("3 曲をチェック項目に追加しました"));
    QCOMPARE(boxes.Boxes.back().Icon, TMsgIcon::Information);
    // The totals replace the status text afterwards.
    QCOMPARE(host->StatusText(1), QString("3 曲を選択しています ( 合計 0.0 MB )"));
    QCOMPARE(host->Settings().SongFind.Text, std::string("help BEATLES"));
    QCOMPARE(host->Settings().SongFind.Type, 3);
    QCOMPARE(host->Settings().SongFind.PageIndex, 0);
    // Again: rows already checked count too.
    QCOMPARE(page.CheckSongsByText("beatles", 0), 2);
    QCOMPARE(page.SongModel().CheckedCount(), 3);
    QCOMPARE(page.CheckSongsByText("夜", 2), 1);
    QCOMPARE(page.SongModel().CheckedCount(), 4);
    // The stored words and field come back into the dialog.
    QString shownText;
    WhenModal([&](QWidget* w) {
        shownText = w->findChild<QLineEdit*>("Edit_FindSongs")->text();
        w->findChild<QPushButton*>("Button_Cancel")->click();
    });
    page.SButton_FindSongsClick();
    QCOMPARE(shownText, QString("help BEATLES"));
}

void SongFindTest::artistSearch() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = Loaded(dir);
    TSongPage& page = host->Page<TSongPage>();
    QStringList artists;
    QStringList playLists;
    WhenModal([&](QWidget* w) {
        auto* list = w->findChild<QTreeWidget*>("ArtistsListView");
        for (int i = 0; i < list->topLevelItemCount(); ++i) artists << list->topLevelItem(i)->text(0);
        auto* lists = w->findChild<QTreeWidget*>("PlayListsListView");
        for (int i = 0; i < lists->topLevelItemCount(); ++i) playLists << lists->topLevelItem(i)->text(0);
        // Tick the merged Beatles node: both spellings' songs are checked.
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(0).toLower() == "the beatles")
                list->topLevelItem(i)->setCheckState(0, Qt::Checked);
        }
        w->findChild<QTabWidget*>("Findpages")->setCurrentIndex(2);
        w->findChild<QPushButton*>("Button_Ok")->click();
    });
    page.SButton_FindSongsClick();
    QCOMPARE(artists.size(), page.SongTreeView->topLevelItemCount());
    QCOMPARE(artists.first(), page.SongTreeView->topLevelItem(0)->text(0));
    QCOMPARE(playLists, (QStringList{"Library", "お気に入り"}));
    QCOMPARE(page.SongModel().CheckedCount(), 2);
    QVERIFY(boxes.Saw("2 曲をチェック項目に追加しました"));
    QCOMPARE(host->Settings().SongFind.PageIndex, 2);
    // Ticking the same artist again counts its songs again.
    WhenModal([&](QWidget* w) {
        QCOMPARE(w->findChild<QTabWidget*>("Findpages")->currentIndex(), 2);
        auto* list = w->findChild<QTreeWidget*>("ArtistsListView");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(0).toLower() == "the beatles")
                list->topLevelItem(i)->setCheckState(0, Qt::Checked);
        }
        w->findChild<QPushButton*>("Button_Ok")->click();
    });
    page.SButton_FindSongsClick();
    QCOMPARE(boxes.Boxes.back().Text, std::string("2 曲をチェック項目に追加しました"));
}

void SongFindTest::cancelAndNoMatch() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = Loaded(dir);
    TSongPage& page = host->Page<TSongPage>();
    WhenModal([&](QWidget* w) {
        w->findChild<QLineEdit*>("Edit_FindSongs")->setText("changed");
        w->findChild<QPushButton*>("Button_Cancel")->click();
    });
    page.SButton_FindSongsClick();
    QVERIFY(boxes.Boxes.empty());
    QCOMPARE(host->Settings().SongFind.Text, std::string(""));
    QCOMPARE(host->StatusText(1), QString("0 曲を選択しています ( 合計 0.0 MB )"));
    // Only blanks: no words, the no-match message.
    WhenModal([&](QWidget* w) {
        w->findChild<QLineEdit*>("Edit_FindSongs")->setText("   ");
        w->findChild<QPushButton*>("Button_Ok")->click();
    });
    page.SButton_FindSongsClick();
    QVERIFY(boxes.Saw("該当する曲はありませんでした"));
    QCOMPARE(page.SongModel().CheckedCount(), 0);
    // The hidden play-list page in front (an edited settings file): nothing is searched.
    host->Settings().SongFind.PageIndex = 1;
    host->Settings().SongFind.Text = "help";
    boxes.Boxes.clear();
    WhenModal([&](QWidget* w) { w->findChild<QPushButton*>("Button_Ok")->click(); });
    page.SButton_FindSongsClick();
    QVERIFY(boxes.Saw("該当する曲はありませんでした"));
    QCOMPARE(page.SongModel().CheckedCount(), 0);
}

QTEST_MAIN(SongFindTest)
#include "song_find_test.moc"
