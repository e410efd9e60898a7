// The song details window: the record's fields, the small and the large artwork, the lyrics,
// saving both, the check box that mirrors the row, and the video form.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>
#include <filesystem>

#include "desktop/dialogs/song_info_form.h"
#include "desktop/pages/song_page.h"
#include "desktop/pages/video_page.h"
#include "desktop/song_list_model.h"
#include "foundation/date_time.h"
#include "foundation/number_format.h"
#include "player/artwork/jpeg_codec.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"
#include "tests/support/artwork_db_writer.h"
#include "tests/support/mp3_writer.h"
#include "ui_song_info_form.h"

using namespace harrowin;

namespace fs = std::filesystem;

namespace {

const char* const kLyrics = "一行目の歌詞\nsecond line";

// Song 1 has lyrics and artwork, song 2 neither, 3 is a video with artwork.
std::unique_ptr<TTestPageHost> Loaded(const TempDir& dir) {
    ItdbDatabase db;
    ItdbSong withAll = TestSong(1, "歌詞のある歌", "歌手", "盤");
    withAll.Rating = 60;
    withAll.Bitrate = 192;
    withAll.SampleRate = 48000;
    withAll.PlayCount = 12;
    withAll.TrackNumber = 3;
    withAll.Length = 215000;
    withAll.Genre = "Pop";
    withAll.LastPlayed = 3263500800u + 3600;  // 2007-06-01 01:00
    withAll.DateAdded = 0;
    ItdbSong plain = TestSong(2, "ただの歌", "歌手", "盤");
    plain.Location = ":iPod_Control:Music:F00:PLAIN.WAV";
    plain.Rating = 50;
    ItdbSong video = TestVideo(3, "映像", "監督");
    db.Songs = {withAll, plain, video};
    WriteTestPlayer(dir, "ipod", db);
    Id3v2TagBuilder tag(3);
    tag.Text("TIT2", "x").Lyrics(kLyrics);
    const auto bytes = tag.Build();
    dir.Write("ipod/" + FileOfLocation(withAll.Location),
              std::string(bytes.begin(), bytes.end()) + std::string(500, '\0'));
    ArtworkDbWriter art;
    ArtworkTestImage& a = art.AddImage(100, static_cast<uint64_t>(withAll.DatabaseId));
    art.AddThumbnail(a, ":F1016_1.ithmb", MakeTestPicture(140, 140, 1), ThumbFormat::Rgb565LE, 1016);
    art.AddThumbnail(a, ":F1017_1.ithmb", MakeTestPicture(56, 56, 2), ThumbFormat::Rgb565LE, 1017);
    ArtworkTestImage& v = art.AddImage(101, static_cast<uint64_t>(video.DatabaseId));
    art.AddThumbnail(v, ":F1017_1.ithmb", MakeTestPicture(56, 56, 3), ThumbFormat::Rgb565LE, 1017);
    art.WriteTo(dir / "ipod/iPod_Control/Artwork", "ArtworkDB");
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    host->Page<TSongPage>().LoadSongList();
    return host;
}

int RowOf(TSongPage& page, int songIndex) {
    for (int r = 0; r < page.SongModel().Count(); ++r) {
        if (page.SongModel().Row(r).SongIndex == songIndex) return r;
    }
    return -1;
}

QString LabelText(QWidget* w, const char* name) { return w->findChild<QLabel*>(name)->text(); }

}  // namespace

class SongInfoTest : public QObject {
    Q_OBJECT
private slots:
    void textHelpers();
    void songWithLyricsAndArtwork();
    void songWithoutLyricsOrArtwork();
    void checkBoxMirrorsTheRow();
    void videoDetails();
};

void SongInfoTest::textHelpers() {
    QCOMPARE(AudioFormatName("/a/B.MP3"), std::string("MP3 (MPEG1 Layer3)"));
    QCOMPARE(AudioFormatName("x.m4v"), std::string("MPEG4 Video"));
    QCOMPARE(AudioFormatName("x.M4B"), std::string("AAC (MPEG4 AAC/Audible)"));
    QCOMPARE(AudioFormatName("x.aiff"), std::string("不明な音楽形式"));
    QCOMPARE(AudioFormatName("/a.mp3/noext"), std::string("不明な音楽形式"));
    QCOMPARE(RatingStars(20), std::string("★・・・・"));
    QCOMPARE(RatingStars(100), std::string("★★★★★"));
    QCOMPARE(RatingStars(50), std::string("・・・・・"));
    QCOMPARE(RatingStars(0), std::string("・・・・・"));
    QCOMPARE(DateText(TDateTime(1462.0)), std::string("unknown"));
    QCOMPARE(DateText(TDateTime(0.0)), std::string("unknown"));
    QCOMPARE(DateText(EncodeDateTime(2007, 6, 1, 0, 0, 0)), std::string("2007/06/01"));
    QCOMPARE(DateText(EncodeDateTime(2007, 6, 1, 13, 5, 9)), std::string("2007/06/01 13:05:09"));
}

void SongInfoTest::songWithLyricsAndArtwork() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = Loaded(dir);
    TSongPage& page = host->Page<TSongPage>();
    page.SelectRow(RowOf(page, 0));
    std::vector<std::string> saved;
    TSongInfoForm::AskSaveFile() = [&](const std::string& title, const std::string&, const std::string& proposed,
                                       int& filter) {
        saved.push_back(title + "|" + proposed);
        const bool art = title == "アートワークの保存";
        filter = art && saved.size() == 3 ? 1 : 0;
        return dir / (art ? (saved.size() == 3 ? "art.png" : "art") : "lyrics.TXT");
    };
    QString title, rate, format, size, bitrate, samples, played, added, count, track, times;
    QString lyrics, lyricsState;
    bool copyEnabled = false, artEnabled = false, artSaveEnabled = false;
    QSize artSize;
    QImage small;
    WhenModal([&](QWidget* w) {
        auto* f = static_cast<TSongInfoForm*>(w);
        title = LabelText(w, "Label_SongTitle");
        times = LabelText(w, "Label_SongTimes");
        rate = LabelText(w, "Label_SongMyRate");
        format = LabelText(w, "Label_SongFormat");
        size = LabelText(w, "Label_SongSize");
        bitrate = LabelText(w, "Label_SongBitrate");
        samples = LabelText(w, "Label_SongSamples");
        played = LabelText(w, "Label_SongPlayDate");
        added = LabelText(w, "Label_SongCreationDate");
        count = LabelText(w, "Label_SongPlayCount");
        track = LabelText(w, "Label_SongTrack");
        small = f->SmallArtwork();
        auto* pages = w->findChild<QTabWidget*>("SongPages");
        pages->setCurrentIndex(1);
        lyrics = w->findChild<QPlainTextEdit*>("LyricMemo")->toPlainText();
        copyEnabled = w->findChild<QPushButton*>("SButton_CopyLyric")->isEnabled();
        w->findChild<QPushButton*>("SButton_CopyLyric")->click();
        lyricsState = QGuiApplication::clipboard()->text();
        w->findChild<QPushButton*>("SButton_SaveLyric")->click();
        pages->setCurrentIndex(2);
        artEnabled = w->findChild<QPushButton*>("SButton_CopyToClip")->isEnabled();
        artSaveEnabled = w->findChild<QPushButton*>("SButton_SavePic")->isEnabled();
        artSize = f->ArtworkPicture().size();
        w->findChild<QPushButton*>("SButton_SavePic")->click();  // JPEG
        w->findChild<QPushButton*>("SButton_SavePic")->click();  // again: overwrite question, Yes
        w->findChild<QPushButton*>("SButton_SavePic")->click();  // BMP
        w->findChild<QPushButton*>("SButton_CopyToClip")->click();
        w->findChild<QPushButton*>("Button_Close")->click();
    });
    page.Menu_PropertyClick();
    TSongInfoForm::AskSaveFile() = nullptr;
    QCOMPARE(title, QString("歌詞のある歌"));
    QCOMPARE(times, QString("3 分 35 秒"));
    QCOMPARE(rate, QString("★★★・・"));
    QCOMPARE(format, QString("MP3 (MPEG1 Layer3)"));
    const auto fileSize = fs::file_size(dir / "ipod/iPod_Control/Music/F00/S1.mp3");
    QCOMPARE(size, QString::fromStdString(FormatNumber(static_cast<double>(fileSize), 0) + " byte"));
    QCOMPARE(bitrate, QString("192 kbps"));
    QCOMPARE(samples, QString("48000 Hz"));
    QCOMPARE(played, QString("2007/06/01 1:00:00"));
    QCOMPARE(added, QString("unknown"));
    QCOMPARE(count, QString("12 回"));
    QCOMPARE(track, QString("3"));
    // The small artwork: the 140-wide thumbnail fitted inside the black frame.
    QCOMPARE(small.size(), QSize(89, 89));
    QCOMPARE(QColor(small.pixel(0, 0)), QColor(Qt::black));
    QVERIFY(QColor(small.pixel(44, 44)) != QColor(Qt::white));
    QCOMPARE(lyrics, QString::fromUtf8(kLyrics));
    QVERIFY(copyEnabled);
    QCOMPARE(lyricsState, QString::fromUtf8(kLyrics));
    QCOMPARE(ReadFileText(dir / "lyrics.txt"), std::string("一行目の歌詞\r\nsecond line\r\n"));
    QCOMPARE(saved[0], std::string("歌詞情報の保存|歌詞のある歌の歌詞.TXT"));
    QCOMPARE(saved[1], std::string("アートワークの保存|歌詞のある歌のアートワーク"));
    // The largest artwork, saved as JPEG (quality 90) and as BMP.
    QVERIFY(artEnabled && artSaveEnabled);
    QCOMPARE(artSize, QSize(140, 140));
    const Bitmap32 jpeg = LoadJpegFile(dir / "art.jpg");
    QCOMPARE(jpeg.Width(), 140);
    QVERIFY(boxes.Saw("[ " + (dir / "art.jpg") + " ]は既に存在します。上書き保存してもよろしいですか？"));
    QImage bmp(QString::fromStdString(dir / "art.bmp"));
    QCOMPARE(bmp.size(), QSize(140, 140));
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(140, 140));
}

void SongInfoTest::songWithoutLyricsOrArtwork() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = Loaded(dir);
    TSongPage& page = host->Page<TSongPage>();
    page.SelectRow(RowOf(page, 1));
    QString lyrics, rate, format;
    bool memoEnabled = true, saveEnabled = true, artEnabled = true;
    QSize imageSize;
    QImage small;
    WhenModal([&](QWidget* w) {
        auto* f = static_cast<TSongInfoForm*>(w);
        rate = LabelText(w, "Label_SongMyRate");
        format = LabelText(w, "Label_SongFormat");
        small = f->SmallArtwork();
        auto* pages = w->findChild<QTabWidget*>("SongPages");
        pages->setCurrentIndex(1);
        lyrics = w->findChild<QPlainTextEdit*>("LyricMemo")->toPlainText();
        memoEnabled = w->findChild<QPlainTextEdit*>("LyricMemo")->isEnabled();
        saveEnabled = w->findChild<QPushButton*>("SButton_SaveLyric")->isEnabled();
        pages->setCurrentIndex(2);
        artEnabled = w->findChild<QPushButton*>("SButton_SavePic")->isEnabled();
        imageSize = w->findChild<QLabel*>("Image_Art")->size();
        w->close();
    });
    page.Menu_PropertyClick();
    QCOMPARE(rate, QString("・・・・・"));
    QCOMPARE(format, QString("WAVE Audio"));
    QCOMPARE(lyrics, QString("歌詞情報はありませんでした"));
    QVERIFY(!memoEnabled);
    QVERIFY(!saveEnabled);
    QVERIFY(!artEnabled);
    QCOMPARE(imageSize, QSize(0, 0));
    // An empty white frame.
    QCOMPARE(QColor(small.pixel(44, 44)), QColor(Qt::white));
    QCOMPARE(QColor(small.pixel(88, 88)), QColor(Qt::black));
}

void SongInfoTest::checkBoxMirrorsTheRow() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = Loaded(dir);
    TSongPage& page = host->Page<TSongPage>();
    const int row = RowOf(page, 1);
    page.SelectRow(row);
    // Unchecked row: nothing changed unless the box is clicked.
    WhenModal([](QWidget* w) { w->close(); });
    QVERIFY(!page.ShowSongInfo());
    // Clicking the box checks the row and refreshes the totals.
    WhenModal([](QWidget* w) {
        w->findChild<QCheckBox*>("CheckBox_AddSong")->click();
        w->close();
    });
    page.Menu_PropertyClick();
    QVERIFY(page.SongModel().Checked(row));
    QCOMPARE(host->StatusText(1), QString("1 曲を選択しています ( 合計 0.0 MB )"));
    // A checked row reports a change at once (the box takes its state).
    bool boxChecked = false;
    WhenModal([&](QWidget* w) {
        boxChecked = w->findChild<QCheckBox*>("CheckBox_AddSong")->isChecked();
        w->close();
    });
    QVERIFY(page.ShowSongInfo());
    QVERIFY(boxChecked);
    // Without a selected row nothing opens.
    page.SongListView->selectionModel()->clearSelection();
    QVERIFY(!page.ShowSongInfo());
}

void SongInfoTest::videoDetails() {
    TempDir dir;
    TRecordedBoxes boxes;
    TRecordedShell shell;
    auto host = Loaded(dir);
    host->Page<TVideoPage>().LoadVideoList();
    TVideoPage& page = host->Page<TVideoPage>();
    QCOMPARE(page.VideoListBox->count(), 1);
    QVERIFY(page.SButton_VideoInfo->isEnabled());
    page.VideoListBox->setCurrentRow(0);
    QString caption, format;
    bool lyricsTab = true, artworkTab = false;
    QSize artSize;
    WhenModal([&](QWidget* w) {
        caption = w->windowTitle();
        format = LabelText(w, "Label_SongFormat");
        auto* pages = w->findChild<QTabWidget*>("SongPages");
        lyricsTab = pages->isTabVisible(1);
        artworkTab = pages->isTabVisible(2);
        pages->setCurrentIndex(2);
        artSize = static_cast<TSongInfoForm*>(w)->ArtworkPicture().size();
        w->findChild<QPushButton*>("Button1")->click();
        w->findChild<QCheckBox*>("CheckBox_AddSong")->click();
        w->close();
    });
    page.SButton_VideoInfoClick();
    QCOMPARE(caption, QString("ビデオファイルの詳細情報"));
    QCOMPARE(format, QString("MPEG4 Video"));
    QVERIFY(!lyricsTab);
    QVERIFY(artworkTab);
    QCOMPARE(artSize, QSize(56, 56));
    QCOMPARE(shell.Urls.size(), size_t(1));
    QVERIFY(shell.Urls[0].ends_with("V3.m4v"));
    QCOMPARE(page.VideoListBox->item(0)->checkState(), Qt::Checked);
    QCOMPARE(host->StatusText(1), QString("1 本をチェックしています ( 全体で 0.0 MB )"));
    // An entry that names no song opens nothing.
    page.VideoListBox->item(0)->setText("abc");
    QVERIFY(!page.ShowVideoInfo());
}

QTEST_MAIN(SongInfoTest)
#include "song_info_test.moc"
