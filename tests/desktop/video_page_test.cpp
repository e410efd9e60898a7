// The video page: filling the check list, drawing a row with its thumbnail and lines, the
// check commands and totals, and the sample player's videos.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "desktop/pages/video_page.h"
#include "harrowin_work/player_access.h"
#include "player/player.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"
#include "tests/support/artwork_db_writer.h"

using namespace harrowin;

class VideoPageTest : public QObject {
    Q_OBJECT
private slots:
    void fillChecksAndTotals();
    void rowsAreDrawnWithTheirThumbnail();
    void samplePlayerVideos();
};

void VideoPageTest::fillChecksAndTotals() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "歌", "A"), TestVideo(2, "映像1", "V", 2000000000), TestVideo(3, "映像2", "V", 2000000000),
                TestVideo(4, "映像3", "", 2000000000)};
    WriteTestPlayer(dir, "ipod", db);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TVideoPage& page = host->Page<TVideoPage>();
    page.Enter();
    // Entries are the songs' indexes in the database.
    QCOMPARE(page.VideoListBox->count(), 3);
    QCOMPARE(page.VideoListBox->item(0)->text(), QString("1"));
    QCOMPARE(page.VideoListBox->item(2)->text(), QString("3"));
    QCOMPARE(host->StatusText(1), QString("0 本をチェックしています ( 全体で 0.0 MB )"));
    QVERIFY(page.SButton_VideoInfo->isEnabled());
    QVERIFY(!page.SButton_ExtractVideos->isEnabled());
    page.Menu_Video_AllCheckClick(1);
    // Beyond 4 GB without overflow.
    QCOMPARE(host->StatusText(1), QString("3 本をチェックしています ( 全体で 5,722.0 MB )"));
    QVERIFY(page.SButton_ExtractVideos->isEnabled());
    QVERIFY(page.Menu_Video_Extract->isEnabled());
    // An entry whose text is no number is counted without size.
    page.VideoListBox->item(2)->setText("x");
    page.UpdateVideoSelectionTotals();
    QCOMPARE(host->StatusText(1), QString("3 本をチェックしています ( 全体で 3,814.7 MB )"));
    page.Menu_Video_AllCheckClick(0);
    QVERIFY(!page.SButton_ExtractVideos->isEnabled());
    // A click on a check box updates the totals.
    page.VideoListBox->item(0)->setCheckState(Qt::Checked);
    QCOMPARE(host->StatusText(1), QString("1 本をチェックしています ( 全体で 1,907.3 MB )"));
    page.Menu_Video_AllCheckClick(7);
    QCOMPARE(page.VideoListBox->item(1)->checkState(), Qt::Unchecked);
    // The pop-up entries: check all (Tag 1, Ctrl+A), uncheck all (Tag 0), extract (F9),
    // details (Ctrl+P); Ctrl+A on the focused list checks every entry.
    QCOMPARE(page.Menu_Video_AllCheck->property("tag").toInt(), 1);
    QCOMPARE(page.Menu_Video_AllCheck->shortcut(), QKeySequence("Ctrl+A"));
    QCOMPARE(page.Menu_Video_UnCheck->property("tag").toInt(), 0);
    QCOMPARE(page.Menu_Video_Extract->shortcut(), QKeySequence(Qt::Key_F9));
    QCOMPARE(page.Menu_Video_Info->text(), QString("ビデオの詳細情報"));
    QCOMPARE(page.Menu_Video_Info->shortcut(), QKeySequence("Ctrl+P"));
    host->Window().show();
    QApplication::setActiveWindow(&host->Window());
    QVERIFY(QTest::qWaitForWindowActive(&host->Window()));
    page.VideoListBox->setFocus();
    QTest::keyClick(page.VideoListBox, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(host->StatusText(1), QString("3 本をチェックしています ( 全体で 3,814.7 MB )"));
    page.Menu_Video_UnCheck->trigger();
    QCOMPARE(page.VideoListBox->item(0)->checkState(), Qt::Unchecked);
    // Losing the player empties the list; the next entering reloads it.
    page.ClearList();
    QVERIFY(page.ListEmpty());
    page.Enter();
    QCOMPARE(page.VideoListBox->count(), 3);
}

void VideoPageTest::rowsAreDrawnWithTheirThumbnail() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    ItdbSong v = TestVideo(1, "映像のタイトル", "監督");
    v.Length = 61000;
    db.Songs = {v, TestVideo(2, "絵なし", "")};
    WriteTestPlayer(dir, "ipod", db);
    ArtworkDbWriter art;
    ArtworkTestImage& a = art.AddImage(100, static_cast<uint64_t>(v.DatabaseId));
    Bitmap32 red(60, 40);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) red.SetPixel(x, y, Bitmap32::Rgb(248, 0, 0));
    }
    art.AddThumbnail(a, ":F1017_1.ithmb", red, ThumbFormat::Rgb565LE, 1017);
    art.WriteTo(dir / "ipod/iPod_Control/Artwork", "ArtworkDB");
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    host->Page<TVideoPage>().LoadVideoList();
    TVideoPage& page = host->Page<TVideoPage>();
    page.VideoListBox->resize(400, 200);
    page.VideoListBox->show();
    QCOMPARE(page.VideoListBox->visualItemRect(page.VideoListBox->item(0)).height(), 64);
    page.VideoListBox->setCurrentRow(1);
    QImage shot(page.VideoListBox->viewport()->size(), QImage::Format_RGB32);
    page.VideoListBox->viewport()->render(&shot);
    const QRect row0 = page.VideoListBox->visualItemRect(page.VideoListBox->item(0));
    const QRect row1 = page.VideoListBox->visualItemRect(page.VideoListBox->item(1));
    // Row 0: the thumbnail somewhere in its picture box, on white.
    bool redFound = false;
    for (int x = row0.left(); x < row0.left() + 140 && !redFound; ++x) {
        const QColor c(shot.pixel(x, row0.top() + 30));
        redFound = c.red() > 200 && c.green() < 40 && c.blue() < 40;
    }
    QVERIFY(redFound);
    QCOMPARE(QColor(shot.pixel(shot.width() - 3, row0.bottom() - 2)), QColor(255, 255, 255));
    // Row 1 is selected: its colour; no thumbnail.
    QCOMPARE(QColor(shot.pixel(shot.width() - 3, row1.bottom() - 2)), QColor(207, 213, 254));
}

void VideoPageTest::samplePlayerVideos() {
    const std::string sample = std::string(HARROWIN_BINARY_DIR) + "/sample-player";
    if (!std::filesystem::exists(sample + "/iPod_Control/iTunes/iTunesDB")) QSKIP("the sample player is not written");
    TempDir dir;
    TRecordedBoxes boxes;
    TTestPageHost host(dir, "Tessmar.INI", sample, {});
    TVideoPage& page = host.Page<TVideoPage>();
    page.LoadVideoList();
    QCOMPARE(page.VideoListBox->count(), MusicOf(host.Player()).Songs.GetVideoCount());
    QVERIFY(page.VideoListBox->count() > 0);
    QCOMPARE(host.StatusText(1), QString("%1 本のビデオを取得しました").arg(page.VideoListBox->count()));
}

QTEST_MAIN(VideoPageTest)
#include "video_page_test.moc"
