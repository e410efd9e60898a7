// The photo viewer: fitting the picture into the window, the files it takes and refuses, the
// step buttons, the copy into a folder with its overwrite question, and the 32-bit picture.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QScrollArea>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "desktop/dialogs/photo_form.h"
#include "foundation/gui/select_folder.h"
#include "harrowin_work/settings.h"
#include "tests/desktop/desktop_test_util.h"
#include "tests/support/artwork_db_writer.h"
#include "ui_photo_form.h"

using namespace harrowin;

namespace fs = std::filesystem;

namespace {

// A picture of one colour, written as JPEG; returns its path.
std::string WriteJpeg(const TempDir& dir, const std::string& name, int w, int h) {
    Bitmap32 picture(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) picture.SetPixel(x, y, Bitmap32::Rgb(255, 255, 255));
    }
    WriteJpegPicture(dir / name, picture);
    return dir / name;
}

}  // namespace

class PhotoFormTest : public QObject {
    Q_OBJECT
private slots:
    void fitting();
    void paintingFillsTheBox();
    void filesTakenAndRefused();
    void bitmapStaysAt32Bits();
    void stepping();
    void savingACopy();
};

void PhotoFormTest::fitting() {
    TPhotoFit f;
    QVERIFY(FitPhoto(640, 480, 400, 300, f));
    QCOMPARE(QRect(f.X, f.Y, f.W, f.H), QRect(0, 0, 400, 300));
    QVERIFY(FitPhoto(480, 640, 400, 300, f));
    QCOMPARE(QRect(f.X, f.Y, f.W, f.H), QRect(87, 0, 225, 300));
    QVERIFY(FitPhoto(100, 50, 400, 300, f));
    QCOMPARE(QRect(f.X, f.Y, f.W, f.H), QRect(0, 50, 400, 200));
    // Wide picture in a tall box: width first; a tall narrow box for a tall picture falls back.
    QVERIFY(FitPhoto(300, 100, 100, 400, f));
    QCOMPARE(QRect(f.X, f.Y, f.W, f.H), QRect(0, 183, 100, 33));
    QVERIFY(FitPhoto(100, 200, 50, 400, f));
    QCOMPARE(QRect(f.X, f.Y, f.W, f.H), QRect(0, 150, 50, 100));
    // Large sizes do not overflow.
    QVERIFY(FitPhoto(60000, 40000, 60000, 40000, f));
    QCOMPARE(QRect(f.X, f.Y, f.W, f.H), QRect(0, 0, 60000, 40000));
    // Nothing to fit: no division by zero.
    QVERIFY(!FitPhoto(0, 100, 400, 300, f));
    QVERIFY(!FitPhoto(100, 0, 400, 300, f));
    QVERIFY(!FitPhoto(100, 100, 0, 300, f));
    QVERIFY(!FitPhoto(100, 100, 300, -4, f));
}

void PhotoFormTest::paintingFillsTheBox() {
    TempDir dir;
    TRecordedBoxes boxes;
    TTolvIPodINI settings(dir / "Tessmar.INI");
    TPhotoForm form(settings);
    QVERIFY(form.LoadPhoto(WriteJpeg(dir, "tall.jpg", 480, 640), 0, 1));
    form.Ui().ScrollBox->resize(404, 304);
    form.PaintPhoto();
    const QImage& s = form.Scratch();
    QCOMPARE(s.size(), QSize(400, 300));
    QCOMPARE(form.Ui().PaintBox->size(), QSize(400, 300));
    // Black beside the picture, the picture's white in the middle (225 wide from x 87).
    QCOMPARE(QColor(s.pixel(80, 150)), QColor(Qt::black));
    QCOMPARE(QColor(s.pixel(320, 150)), QColor(Qt::black));
    QVERIFY(QColor(s.pixel(200, 150)).lightness() > 240);
    QVERIFY(QColor(s.pixel(90, 2)).lightness() > 240);
    // A box too small to draw in leaves no picture, and no fault.
    form.Ui().ScrollBox->resize(3, 3);
    form.PaintPhoto();
    QVERIFY(form.Scratch().isNull());
}

void PhotoFormTest::filesTakenAndRefused() {
    TempDir dir;
    TRecordedBoxes boxes;
    TTolvIPodINI settings(dir / "Tessmar.INI");
    TPhotoForm form(settings);
    const std::string missing = dir / "none.jpg";
    QVERIFY(!form.LoadPhoto(missing, 0, 1));
    QVERIFY(boxes.Saw("ファイル[ " + missing + " ]は存在しません"));
    const std::string png = dir.Write("a.png", std::string("x"));
    QVERIFY(!form.LoadPhoto(png, 0, 1));
    QVERIFY(boxes.Saw("対応できないファイル形式です"));
    // Upper-case extensions are taken; the status shows size and name.
    const std::string upper = WriteJpeg(dir, "IMG_1.JPG", 64, 48);
    QVERIFY(form.LoadPhoto(upper, 0, 1));
    QCOMPARE(form.StatusPanel(0), QString("64x48"));
    QCOMPARE(form.StatusPanel(1), QString::fromStdString(upper));
    QCOMPARE(form.FileName(), upper);
    // A damaged JPEG: the library's text reaches the user, the picture stays.
    const std::string bad = dir.Write("bad.jpeg", std::string("\xFF\xD8\xFF\xE0garbage", 11));
    const size_t before = boxes.Boxes.size();
    QVERIFY(!form.LoadPhoto(bad, 0, 1));
    QCOMPARE(boxes.Boxes.size(), before + 1);
    QCOMPARE(form.Bitmap().Width(), 64);
    QCOMPARE(form.FileName(), upper);
    // A damaged bitmap file likewise.
    const std::string badBmp = dir.Write("bad.bmp", std::string("BMxxxx"));
    QVERIFY(!form.LoadPhoto(badBmp, 0, 1));
    QCOMPARE(boxes.Boxes.size(), before + 2);
    QCOMPARE(form.Bitmap().Width(), 64);
    // A folder is no photo file.
    fs::create_directories(dir / "folder.jpg");
    QVERIFY(!form.LoadPhoto(dir / "folder.jpg", 0, 1));
    // A photo planted as a link, or reached through a linked folder of the player, would show
    // (and copy) a file of the PC: it counts as missing.
    fs::create_symlink(upper, dir / "link.jpg");
    QVERIFY(!form.LoadPhoto(dir / "link.jpg", 0, 1));
    QVERIFY(boxes.Saw("ファイル[ " + (dir / "link.jpg") + " ]は存在しません"));
    fs::create_directories(dir / "Photos");
    fs::create_directory_symlink(dir.Path(), dir / "Photos/Full Resolution");
    form.PhotoFolder = dir / "Photos";
    QVERIFY(!form.LoadPhoto(dir / "Photos/Full Resolution/IMG_1.JPG", 0, 1));
    QCOMPARE(form.FileName(), upper);
}

void PhotoFormTest::bitmapStaysAt32Bits() {
    TempDir dir;
    TRecordedBoxes boxes;
    QImage indexed(8, 4, QImage::Format_Indexed8);
    indexed.setColorCount(2);
    indexed.setColor(0, qRgb(0, 0, 0));
    indexed.setColor(1, qRgb(255, 0, 0));
    indexed.fill(1);
    QVERIFY(indexed.save(QString::fromStdString(dir / "eight.bmp"), "BMP"));
    TTolvIPodINI settings(dir / "Tessmar.INI");
    TPhotoForm form(settings);
    QVERIFY(form.LoadPhoto(dir / "eight.bmp", 0, 1));
    QCOMPARE(form.Bitmap().Image().format(), QImage::Format_RGB32);
    QCOMPARE(QColor(form.Bitmap().Image().pixel(3, 2)), QColor(255, 0, 0));
    TABitmap assigned;
    assigned.Assign(indexed);
    QCOMPARE(assigned.Image().format(), QImage::Format_RGB32);
    QVERIFY(form.LoadPhoto(WriteJpeg(dir, "a.jpe", 10, 10), 0, 1));
    QCOMPARE(form.Bitmap().Image().format(), QImage::Format_RGB32);
    form.Button_ClipboardClick();
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(10, 10));
}

void PhotoFormTest::stepping() {
    TempDir dir;
    TRecordedBoxes boxes;
    TTolvIPodINI settings(dir / "Tessmar.INI");
    TPhotoForm form(settings);
    const std::string files[3] = {WriteJpeg(dir, "0.jpg", 30, 20), WriteJpeg(dir, "1.jpg", 40, 20),
                                  WriteJpeg(dir, "2.jpg", 50, 20)};
    int selected = 0;
    auto step = [&](int delta) {
        return [&, delta](std::string& name, int32_t& index, int32_t count) {
            QCOMPARE(count, 3);
            const int next = selected + delta;
            if (next < 0 || next > 2) return;
            selected = next;
            name = files[next];
            index = next;
        };
    };
    form.FOnNext = step(1);
    form.FOnPrior = step(-1);
    QVERIFY(form.LoadPhoto(files[0], 0, 3));
    QVERIFY(!form.Ui().Button_Prior->isEnabled());
    QVERIFY(form.Ui().Button_Next->isEnabled());
    form.Ui().Button_Next->setEnabled(true);
    form.Button_NextClick(form.Ui().Button_Next);
    QCOMPARE(form.FileName(), files[1]);
    QVERIFY(form.Ui().Button_Prior->isEnabled());
    QTest::keyClick(&form, Qt::Key_PageDown);
    QCOMPARE(form.FileName(), files[2]);
    QCOMPARE(form.Bitmap().Width(), 50);
    QVERIFY(!form.Ui().Button_Next->isEnabled());
    // Past the end the handler gives no file: nothing changes.
    form.Button_NextClick(form.Ui().Button_Next);
    QCOMPARE(form.FileName(), files[2]);
    QTest::keyClick(&form, Qt::Key_PageUp);
    QCOMPARE(form.FileName(), files[1]);
    // A step to a file that is gone keeps the picture on screen.
    fs::remove(files[2]);
    form.Button_NextClick(form.Ui().Button_Next);
    QCOMPARE(form.FileName(), files[1]);
    QVERIFY(boxes.Saw("ファイル[ " + files[2] + " ]は存在しません"));
    // No handler set: nothing happens.
    form.FOnPrior = {};
    form.Button_NextClick(form.Ui().Button_Prior);
    QCOMPARE(form.FileName(), files[1]);
}

void PhotoFormTest::savingACopy() {
    TempDir dir;
    TRecordedBoxes boxes;
    TTolvIPodINI settings(dir / "Tessmar.INI");
    settings.PhotoCopy.Folder = dir / "start";
    TPhotoForm form(settings);
    const std::string photo = WriteJpeg(dir, "IMG_9.jpg", 16, 16);
    QVERIFY(form.LoadPhoto(photo, 0, 1));
    fs::create_directories(dir / "out");
    std::string offered;
    SetSelectFolderHook([&](std::string& folder) {
        offered = folder;
        folder = "  " + (dir / "out") + "  ";
        return true;
    });
    form.Button_SaveClick();
    QCOMPARE(offered, dir / "start");
    QCOMPARE(settings.PhotoCopy.Folder, (dir / "out") + "/");
    QCOMPARE(ReadFileText(dir / "out/IMG_9.jpg"), ReadFileText(photo));
    QVERIFY(boxes.Saw("ファイル[ IMG_9.jpg ]を\" " + (dir / "out") + "/ \"に転送しました"));
    // The file is there now: the question comes first; Cancel leaves the folder as it is.
    dir.Write("out/IMG_9.jpg", std::string("mine"));
    boxes.Boxes.clear();
    boxes.Answer = TMsgResult::Cancel;
    form.Button_SaveClick();
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QCOMPARE(boxes.Boxes[0].Buttons, TMsgButtons::OkCancel);
    QCOMPARE(boxes.Boxes[0].Icon, TMsgIcon::Warning);
    QCOMPARE(ReadFileText(dir / "out/IMG_9.jpg"), std::string("mine"));
    QCOMPARE(settings.PhotoCopy.Folder, (dir / "out") + "/");
    // OK overwrites.
    boxes.Answer = TMsgResult::Ok;
    form.SaveCopy((dir / "out") + "/");
    QCOMPARE(ReadFileText(dir / "out/IMG_9.jpg"), ReadFileText(photo));
    // A copy that fails says so rather than reporting the transfer.
    boxes.Boxes.clear();
    form.SaveCopy((dir / "no such folder") + "/");
    QVERIFY(!fs::exists(dir / "no such folder"));
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QVERIFY(boxes.Boxes[0].Text.find("転送できませんでした") != std::string::npos);
    // A cancelled picker changes nothing.
    SetSelectFolderHook([](std::string&) { return false; });
    settings.PhotoCopy.Folder = "unchanged";
    form.Button_SaveClick();
    QCOMPARE(settings.PhotoCopy.Folder, std::string("unchanged"));
    SetSelectFolderHook({});
    // The window's place goes to the settings when it closes.
    form.move(10, 20);
    form.resize(500, 300);
    form.done(0);
    QCOMPARE(settings.Positions.PView_W, 500);
    QCOMPARE(settings.Positions.PView_H, 300);
}

QTEST_MAIN(PhotoFormTest)
#include "photo_form_test.moc"
