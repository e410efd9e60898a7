// The song page with a large player: 20,000 songs by 2,000 artists are listed and grouped
// into the tree within a second (an optimised build; other builds only report the time).
#include <QElapsedTimer>
#include <QTreeWidget>
#include <QtTest>

#include "desktop/pages/song_page.h"
#include "desktop/song_list_model.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"

using namespace harrowin;

class SongFillSpeedTest : public QObject {
    Q_OBJECT
private slots:
    void twentyThousandSongs();
};

void SongFillSpeedTest::twentyThousandSongs() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    db.Songs.reserve(20000);
    for (int i = 0; i < 20000; ++i) {
        const int artist = i % 2000;
        ItdbSong s = TestSong(i + 1, "曲 " + std::to_string(i),
                              (artist % 2 ? "Artist " : "アーティスト ") + std::to_string(artist),
                              "Album " + std::to_string(artist) + "-" + std::to_string(i % 3), 4000000);
        db.Songs.push_back(std::move(s));
    }
    WriteTestPlayer(dir, "ipod", db, false);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    QElapsedTimer timer;
    timer.start();
    host->Page<TSongPage>().LoadSongList();
    const qint64 ms = timer.elapsed();
    qInfo("filled 20000 rows and %d artists in %lld ms", host->Page<TSongPage>().SongTreeView->topLevelItemCount(), ms);
    QCOMPARE(host->Page<TSongPage>().SongModel().Count(), 20000);
    QCOMPARE(host->Page<TSongPage>().SongTreeView->topLevelItemCount(), 2000);
    QCOMPARE(host->Page<TSongPage>().SongTreeView->topLevelItem(0)->childCount(), 3);
    QCOMPARE(host->StatusText(1), QString("20000 曲を読み込みました"));
    timer.restart();
    host->Page<TSongPage>().VideoListViewColumnClick(0);
    qInfo("sorted 20000 rows by title in %lld ms", timer.elapsed());
    timer.restart();
    host->Page<TSongPage>().PopMenu_SelectAllClick(1);
    qInfo("checked all and totalled in %lld ms", timer.elapsed());
    QCOMPARE(host->StatusText(1), QString("20000 曲を選択しています ( 合計 76,293.9 MB )"));
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
    QVERIFY2(ms < 1000, qPrintable(QString("fill took %1 ms").arg(ms)));
#endif
}

QTEST_MAIN(SongFillSpeedTest)
#include "song_fill_speed_test.moc"
