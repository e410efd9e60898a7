// The photos page: loading thumbnails and albums, album selection, check marks with the
// library album kept apart, drawing a cell, stepping through photos for the viewer, and the
// extraction through its dialog.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include "desktop/dialogs/photo_copy_form.h"
#include "desktop/pages/photo_page.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "player/artwork/artwork_db.h"
#include "player/player.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"
#include "tests/support/artwork_db_writer.h"
#include "ui_photo_copy_form.h"

using namespace harrowin;

namespace fs = std::filesystem;

namespace {

Bitmap32 Plain(int w, int h, uint32_t colour) {
    Bitmap32 b(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, colour);
    }
    return b;
}

// A player with a photo database of 12 entries (ids 100..111); the last two have no picture.
// Every photo with pictures has a full-size file. Albums: the library (all), "旅行" {100, 101,
// 110} and "家.族" {102}.
void WritePhotoPlayer(const TempDir& dir, bool albums = true) {
    ItdbDatabase db;
    db.Songs = {TestSong(1, "歌", "A")};
    WriteTestPlayer(dir, "ipod", db);
    ArtworkDbWriter w;
    std::vector<uint32_t> all;
    for (uint32_t id = 100; id < 112; ++id) {
        ArtworkTestImage& image = w.AddImage(id);
        all.push_back(id);
        if (id >= 110) continue;
        w.AddThumbnail(image, ":Thumbs:F1009_1.ithmb", Plain(40, 30, Bitmap32::Rgb(248, 0, 0)), ThumbFormat::Rgb565LE,
                       1009);
        w.AddThumbnail(image, ":Thumbs:F1015_1.ithmb", Plain(120, 90, Bitmap32::Rgb(0, 0, 248)), ThumbFormat::Rgb565LE,
                       1015);
        const std::string file = "P" + std::to_string(id) + ".jpg";
        image.PhotoName = ":Full Resolution:2008:" + file;
        image.FullSize = WriteJpegPicture(dir / ("ipod/Photos/Full Resolution/2008/" + file),
                                          Plain(64, 48, Bitmap32::Rgb(0, 200, 0)));
    }
    w.AddAlbum("Photo Library", 1, all);
    if (albums) {
        w.AddAlbum("旅行", 2, {100, 101, 110});
        w.AddAlbum("家.族", 2, {102});
    }
    w.WriteTo(dir / "ipod/Photos", "Photo DataBase");
}

QTreeWidgetItem* Row(TPhotoPage& page, int i) { return page.PhotoAlbumListView->topLevelItem(i); }

}  // namespace

class PhotoPageTest : public QObject {
    Q_OBJECT
private slots:
    void loadingAndAlbums();
    void aDamagedLastThumbnailSizesNoCell();
    void checkMarks();
    void drawingACell();
    void steppingForTheViewer();
    void extractionThroughTheDialog();
    void noDatabase();
    void samplePlayerPhotos();
};

void PhotoPageTest::loadingAndAlbums() {
    TempDir dir;
    TRecordedBoxes boxes;
    WritePhotoPlayer(dir);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TPhotoPage& page = host->Page<TPhotoPage>();
    host->LoadTabList(TListKind::Photos);
    // Only entries with a picture are listed; the count is of the pictures got.
    QCOMPARE(page.PhotoListBox->count(), 10);
    QCOMPARE(page.PhotoListBox->item(0)->text(), QString("100"));
    QCOMPARE(host->StatusText(1), QString("10 枚のサムネイル画像を取得しました"));
    QCOMPARE(page.ThumbSize, QSize(40, 30));
    QCOMPARE(page.PhotoListBox->gridSize().height(), 32);
    QCOMPARE(page.PhotoListBox->currentRow(), 0);
    QVERIFY(page.SButton_OpenPhoto->isEnabled());
    QVERIFY(!page.SButton_ExtractPhotos->isEnabled());
    QVERIFY(!page.Menu_ExtractPhotos->isEnabled());
    QCOMPARE(page.PhotoAlbumListView->topLevelItemCount(), 3);
    QCOMPARE(Row(page, 1)->text(0), QString("旅行"));
    QCOMPARE(TPhotoPage::AlbumKind(Row(page, 0)), 1);
    QCOMPARE(TPhotoPage::AlbumKind(Row(page, 2)), 2);
    // The first row lists every entry, also those without a picture.
    page.PhotoAlbumListView->setCurrentItem(Row(page, 1));
    QCOMPARE(page.PhotoListBox->count(), 3);
    QCOMPARE(page.PhotoListBox->item(2)->text(), QString("110"));
    QCOMPARE(host->StatusText(1), QString("2 枚のサムネイル画像を取得しました"));
    page.PhotoAlbumListView->setCurrentItem(Row(page, 0));
    QCOMPARE(page.PhotoListBox->count(), 12);
    QCOMPARE(page.PhotoListBox->currentRow(), 0);
    // A second load replaces the albums instead of adding them again.
    page.LoadPhotoList();
    QCOMPARE(page.PhotoAlbumListView->topLevelItemCount(), 3);
    // Losing the player empties the page; the next showing loads it again.
    page.ClearList();
    QVERIFY(page.ListEmpty());
    QCOMPARE(page.PhotoAlbumListView->topLevelItemCount(), 0);
    // Captions and menu entries.
    QCOMPARE(page.SButton_OpenPhoto->text(), QString("フォトを見る"));
    QCOMPARE(page.SButton_ExtractPhotos->text(), QString("フォトを取り出す"));
    QCOMPARE(page.A1->text(), QString("全てを選択(&A)"));
    QCOMPARE(page.A1->shortcut(), QKeySequence("Ctrl+A"));
    QCOMPARE(page.N27->text(), QString("全ての選択を解除(&R)"));
    QCOMPARE(page.N27->property("tag").toInt(), 1);
    QCOMPARE(page.Menu_ExtractPhotos->text(), QString("フォトを取り出す(&X)"));
    QCOMPARE(page.Menu_ExtractPhotos->shortcut(), QKeySequence(Qt::Key_F9));
}

void PhotoPageTest::aDamagedLastThumbnailSizesNoCell() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "歌", "A")};
    WriteTestPlayer(dir, "ipod", db);
    ArtworkDbWriter w;
    for (uint32_t id = 100; id < 103; ++id) {
        ArtworkTestImage& image = w.AddImage(id);
        ArtworkTestThumb& thumb = w.AddThumbnail(image, ":Thumbs:F1009_1.ithmb",
                                                 Plain(40, 30, Bitmap32::Rgb(248, 0, 0)), ThumbFormat::Rgb565LE, 1009);
        // The last one states a size no thumbnail has, and decodes to nothing.
        if (id == 102) {
            thumb.Width = 8192;
            thumb.Height = 8191;
        }
    }
    w.AddAlbum("Photo Library", 1, {100, 101, 102});
    w.WriteTo(dir / "ipod/Photos", "Photo DataBase");
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TPhotoPage& page = host->Page<TPhotoPage>();
    host->LoadTabList(TListKind::Photos);
    QCOMPARE(page.PhotoListBox->count(), 3);
    QCOMPARE(page.ThumbSize, QSize(40, 30));
    QCOMPARE(page.PhotoListBox->gridSize().height(), 32);
    QCOMPARE(host->StatusText(1), QString("2 枚のサムネイル画像を取得しました"));
}

void PhotoPageTest::checkMarks() {
    TempDir dir;
    TRecordedBoxes boxes;
    WritePhotoPlayer(dir);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TPhotoPage& page = host->Page<TPhotoPage>();
    page.LoadPhotoList();
    page.A1->trigger();
    QCOMPARE(Row(page, 0)->checkState(0), Qt::Unchecked);
    QCOMPARE(Row(page, 1)->checkState(0), Qt::Checked);
    QCOMPARE(Row(page, 2)->checkState(0), Qt::Checked);
    QVERIFY(page.SButton_ExtractPhotos->isEnabled());
    QVERIFY(page.Menu_ExtractPhotos->isEnabled());
    // The library album cannot be checked by hand while there are others.
    Row(page, 0)->setCheckState(0, Qt::Checked);
    QCOMPARE(Row(page, 0)->checkState(0), Qt::Unchecked);
    page.N27->trigger();
    QCOMPARE(Row(page, 1)->checkState(0), Qt::Unchecked);
    QVERIFY(!page.SButton_ExtractPhotos->isEnabled());
    QVERIFY(!page.Menu_ExtractPhotos->isEnabled());
    Row(page, 2)->setCheckState(0, Qt::Checked);
    QVERIFY(page.SButton_ExtractPhotos->isEnabled());
    // Ctrl+A in the album list checks them all.
    page.N27->trigger();
    host->Window().show();
    page.Enter();
    QApplication::setActiveWindow(&host->Window());
    QVERIFY(QTest::qWaitForWindowActive(&host->Window()));
    page.PhotoAlbumListView->setFocus();
    QTest::keyClick(page.PhotoAlbumListView, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(Row(page, 1)->checkState(0), Qt::Checked);
    QCOMPARE(Row(page, 0)->checkState(0), Qt::Unchecked);
    // F9 there asks for the extraction.
    bool asked = false;
    WhenModalWith("RGroup_Type", [&](QWidget* w) {
        asked = true;
        static_cast<TPhotoCopyForm*>(w)->Ui().CloseButton->click();
    });
    QTest::keyClick(page.PhotoAlbumListView, Qt::Key_F9);
    QTRY_VERIFY_WITH_TIMEOUT(asked, 2000);
    host->Window().hide();

    // As the only album it can.
    TempDir alone;
    WritePhotoPlayer(alone, false);
    auto second = std::make_unique<TTestPageHost>(alone, "ipod");
    TPhotoPage& p2 = second->Page<TPhotoPage>();
    p2.LoadPhotoList();
    QCOMPARE(p2.PhotoAlbumListView->topLevelItemCount(), 1);
    p2.A1->trigger();
    QCOMPARE(Row(p2, 0)->checkState(0), Qt::Unchecked);
    Row(p2, 0)->setCheckState(0, Qt::Checked);
    QCOMPARE(Row(p2, 0)->checkState(0), Qt::Checked);
    QVERIFY(p2.SButton_ExtractPhotos->isEnabled());
}

void PhotoPageTest::drawingACell() {
    TempDir dir;
    TRecordedBoxes boxes;
    WritePhotoPlayer(dir);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TPhotoPage& page = host->Page<TPhotoPage>();
    host->Window().show();
    page.Enter();
    QVERIFY(QTest::qWaitForWindowExposed(&host->Window()));
    page.PhotoAlbumListView->setCurrentItem(Row(page, 1));  // 100, 101, 110 (no picture)
    page.PhotoListBox->setCurrentRow(1);
    QImage shot(page.PhotoListBox->viewport()->size(), QImage::Format_RGB32);
    page.PhotoListBox->viewport()->render(&shot);
    const QRect cell0 = page.PhotoListBox->visualItemRect(page.PhotoListBox->item(0));
    const QRect cell1 = page.PhotoListBox->visualItemRect(page.PhotoListBox->item(1));
    const QRect cell2 = page.PhotoListBox->visualItemRect(page.PhotoListBox->item(2));
    QCOMPARE(cell0.height(), 32);
    // The list icon centred in its cell.
    const QColor centre(shot.pixel(cell0.center()));
    QVERIFY(centre.red() > 200 && centre.green() < 40);
    // The selected cell has the dark blue frame; a photo without a picture stays white.
    QCOMPARE(QColor(shot.pixel(cell1.left() + 1, cell1.center().y())), QColor(0, 0, 128));
    QCOMPARE(QColor(shot.pixel(cell2.center())), QColor(Qt::white));
}

void PhotoPageTest::steppingForTheViewer() {
    TempDir dir;
    TRecordedBoxes boxes;
    WritePhotoPlayer(dir);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TPhotoPage& page = host->Page<TPhotoPage>();
    page.LoadPhotoList();
    page.PhotoAlbumListView->setCurrentItem(Row(page, 0));
    const std::string folder = (dir / "ipod/Photos");
    std::string name;
    int32_t index = 7;
    page.PriorPhoto(name, index);
    QCOMPARE(name, std::string());
    QCOMPARE(index, -1);
    page.NextPhoto(name, index);
    QCOMPARE(name, folder + "/Full Resolution/2008/P101.jpg");
    QCOMPARE(index, 1);
    QCOMPARE(page.PhotoListBox->currentRow(), 1);
    // An entry without a file still moves the selection, with the folder as its name.
    page.PhotoListBox->setCurrentRow(9);
    page.NextPhoto(name, index);
    QCOMPARE(index, 10);
    QCOMPARE(name, folder);
    // An item whose entry is gone: nothing, the selection stays.
    page.PhotoListBox->item(11)->setText("9999");
    page.NextPhoto(name, index);
    QCOMPARE(name, std::string());
    QCOMPARE(index, -1);
    QCOMPARE(page.PhotoListBox->currentRow(), 10);
    page.PhotoListBox->setCurrentRow(11);
    page.NextPhoto(name, index);
    QCOMPARE(index, -1);

    // Opening the first photo: the viewer shows it with no way back.
    page.PhotoListBox->setCurrentRow(0);
    bool priorEnabled = true, nextEnabled = false;
    QString shown;
    WhenModalWith("PaintBox", [&](QWidget* w) {
        priorEnabled = w->findChild<QWidget*>("Button_Prior")->isEnabled();
        nextEnabled = w->findChild<QWidget*>("Button_Next")->isEnabled();
        shown = w->findChild<QLabel*>("StatusPanel1")->text();
        w->close();
    });
    page.SButton_OpenPhotoClick();
    QVERIFY(!priorEnabled);
    QVERIFY(nextEnabled);
    QCOMPARE(shown, QString::fromStdString(folder + "/Full Resolution/2008/P100.jpg"));
    // Enter in the list opens it as well; the last photo with a file cannot step further.
    page.PhotoListBox->setCurrentRow(9);
    page.PhotoListBox->item(10)->setText("9999");
    WhenModalWith("PaintBox", [&](QWidget* w) {
        shown = w->findChild<QLabel*>("StatusPanel1")->text();
        w->close();
    });
    QTest::keyClick(page.PhotoListBox, Qt::Key_Return);
    QCOMPARE(shown, QString::fromStdString(folder + "/Full Resolution/2008/P109.jpg"));
}

void PhotoPageTest::extractionThroughTheDialog() {
    TempDir dir;
    TRecordedBoxes boxes;
    TRecordedShell shell;
    WritePhotoPlayer(dir);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TPhotoPage& page = host->Page<TPhotoPage>();
    page.LoadPhotoList();
    page.A1->trigger();
    // The album shown is empty: the extraction of the checked ones still runs.
    page.PhotoListBox->clear();
    const std::string out = dir / "out";
    fs::create_directories(out);
    host->Settings().PhotoCopy.Type = 0;
    bool typeEnabled = false;
    int typeShown = -1;
    QString folderShown = "x";
    WhenModalWith("RGroup_Type", [&](QWidget* w) {
        auto* dialog = static_cast<TPhotoCopyForm*>(w);
        typeEnabled = dialog->Ui().RGroup_Type->isEnabled();
        typeShown = dialog->TypeIndex();
        folderShown = dialog->Ui().Edit_Folder->text();
        dialog->Ui().Edit_Folder->setText(QString::fromStdString(out));
        QCOMPARE(dialog->Ui().Label_DirCheck->text().left(12), QString("このフォルダは存在します"));
        dialog->Ui().OkButton->click();
    });
    page.SButton_ExtractPhotosClick();
    // Full-size files exist on the player, so that is the choice offered.
    QVERIFY(typeEnabled);
    QCOMPARE(typeShown, 1);
    QCOMPARE(folderShown, QString());
    QCOMPARE(host->Settings().PhotoCopy.Folder, out);
    QCOMPARE(host->Settings().PhotoCopy.Type, 1);
    QVERIFY(fs::exists(out + "/旅行/P100.jpg"));
    QVERIFY(fs::exists(out + "/旅行/P101.jpg"));
    QVERIFY(fs::exists(out + "/家 族/P102.jpg"));
    QVERIFY(!fs::exists(out + "/Photo Library"));
    QCOMPARE(host->StatusText(1), QString::fromStdString("フォルダ \"" + out + "\" に写真ファイルを転送しました"));
    QCOMPARE(shell.Urls.size(), size_t(1));
    // Cancel in the dialog: nothing more is written.
    WhenModalWith("RGroup_Type", [&](QWidget* w) { static_cast<TPhotoCopyForm*>(w)->Ui().CloseButton->click(); });
    page.SButton_ExtractPhotosClick();
    QVERIFY(!fs::exists(out + "/旅行/P100(2).jpg"));
    QCOMPARE(shell.Urls.size(), size_t(1));
    // The small pictures, chosen in the dialog.
    WhenModalWith("RGroup_Type", [&](QWidget* w) {
        auto* dialog = static_cast<TPhotoCopyForm*>(w);
        dialog->SetTypeIndex(0);
        dialog->Ui().OkButton->click();
    });
    page.SButton_ExtractPhotosClick();
    QCOMPARE(host->Settings().PhotoCopy.Type, 0);
    QVERIFY(fs::exists(out + "/旅行/IMG00000.jpg"));
    QVERIFY(fs::exists(out + "/旅行/IMG00001.jpg"));
    QVERIFY(!fs::exists(out + "/旅行/IMG00002.jpg"));
    QVERIFY(fs::exists(out + "/家 族/IMG00000.jpg"));
    // A cancel pressed during the first checked album ends the whole extraction after the
    // photo in hand: the next album is not touched, and the folder is still opened.
    const std::string again = dir / "again";
    fs::create_directories(again);
    host->Settings().PhotoCopy.Folder = again;
    host->Settings().PhotoCopy.Type = 0;
    QProgressBar bar;
    QLabel label;
    bool cancel = true;
    QCOMPARE(page.ExtractPhotos(&bar, &label, cancel), 1);
    QVERIFY(fs::exists(again + "/旅行/IMG00000.jpg"));
    QVERIFY(!fs::exists(again + "/旅行/IMG00001.jpg"));
    QVERIFY(!fs::exists(again + "/家 族"));
    QCOMPARE(label.text(), QString("写真アルバム(1/2)のコピー中 0%"));
    QCOMPARE(host->StatusText(1), QString::fromStdString("フォルダ \"" + again + "\" に写真ファイルを転送しました"));
    QCOMPARE(shell.Urls.size(), size_t(3));
    // A database without entries: no dialog, the reader's error in its place.
    host->Player().Photos->Items.Clear();
    page.SButton_ExtractPhotosClick();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(boxes.Saw("フォトデータに写真が登録されていません"));
}

void PhotoPageTest::noDatabase() {
    TempDir dir;
    TRecordedBoxes boxes;
    ItdbDatabase db;
    db.Songs = {TestSong(1, "歌", "A")};
    WriteTestPlayer(dir, "ipod", db);
    auto host = std::make_unique<TTestPageHost>(dir, "ipod");
    TPhotoPage& page = host->Page<TPhotoPage>();
    page.LoadPhotoList();
    QCOMPARE(host->StatusText(1), QString("iPod内にフォトデータが見つかりません"));
    QVERIFY(page.ListEmpty());
    QVERIFY(!page.SButton_OpenPhoto->isEnabled());
    // A file too small to be a database: the reader's message, an empty page.
    dir.Write("ipod/Photos/Photo DataBase", std::string("mhfd"));
    auto second = std::make_unique<TTestPageHost>(dir, "ipod");
    second->Page<TPhotoPage>().LoadPhotoList();
    QVERIFY(boxes.Saw("ファイルが不正です"));
    QCOMPARE(second->StatusText(1), QString("0 枚のサムネイル画像を取得しました"));
    QVERIFY(second->Page<TPhotoPage>().ListEmpty());
    // A last photo whose padding leaves its icon no height does not size the cells: taken,
    // it gave them none and the whole list showed blank.
    ArtworkDbWriter w;
    w.AddThumbnail(w.AddImage(1), ":Thumbs:F1009_1.ithmb", Plain(40, 30, Bitmap32::Rgb(248, 0, 0)),
                   ThumbFormat::Rgb565LE);
    w.AddRawThumbnail(w.AddImage(2), ":Thumbs:F1009_1.ithmb", std::vector<uint8_t>(2400, 0), 40, 30, 0, -100);
    w.WriteTo(dir / "ipod/Photos", "Photo DataBase");
    auto third = std::make_unique<TTestPageHost>(dir, "ipod");
    TPhotoPage& damaged = third->Page<TPhotoPage>();
    damaged.LoadPhotoList();
    QCOMPARE(damaged.PhotoListBox->count(), 2);
    QCOMPARE(damaged.ThumbSize, QSize(40, 30));
    QCOMPARE(damaged.PhotoListBox->gridSize().height(), 32);
}

void PhotoPageTest::samplePlayerPhotos() {
    const std::string sample = std::string(HARROWIN_BINARY_DIR) + "/sample-player";
    if (!fs::exists(sample + "/Photos/Photo DataBase")) QSKIP("the sample player is not written");
    TempDir dir;
    TRecordedBoxes boxes;
    TTestPageHost host(dir, "Tessmar.INI", sample, {});
    TPhotoPage& page = host.Page<TPhotoPage>();
    page.LoadPhotoList();
    const int32_t entries = host.Player().Photos->Items.GetCount();
    QVERIFY(entries > 0);
    QCOMPARE(page.PhotoListBox->count(), entries);
    QCOMPARE(host.StatusText(1), QString("%1 枚のサムネイル画像を取得しました").arg(entries));
    QCOMPARE(page.PhotoAlbumListView->topLevelItemCount(), 3);
    QVERIFY(page.SButton_OpenPhoto->isEnabled());
    // The viewer opens the first full-size photo.
    QString size;
    WhenModalWith("PaintBox", [&](QWidget* w) {
        size = w->findChild<QLabel*>("StatusPanel0")->text();
        w->close();
    });
    page.SButton_OpenPhotoClick();
    QCOMPARE(size, QString("800x600"));
}

QTEST_MAIN(PhotoPageTest)
#include "photo_page_test.moc"
