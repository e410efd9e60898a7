// The Qt-side helpers of the foundation: the fitted drawing (bands and placement in pixels), the
// folder picker's title, start folder and cancel rule, and the address the shell open hands on.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "foundation/gui/draw_fitted.h"
#include "foundation/gui/failure_message.h"
#include "foundation/gui/file_filter.h"
#include "foundation/gui/japanese_ui.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/select_folder.h"
#include "foundation/gui/shell_open.h"
#include "foundation/gui/window_place.h"

namespace {

const QColor kBand(0, 0, 255);
const QColor kPicture(255, 0, 0);
const QColor kOutside(0, 255, 0);

QImage Solid(int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

bool Near(QRgb pixel, const QColor& colour) {
    return std::abs(qRed(pixel) - colour.red()) <= 8 && std::abs(qGreen(pixel) - colour.green()) <= 8 &&
           std::abs(qBlue(pixel) - colour.blue()) <= 8;
}

// Answers the next modal folder picker with `answer` once it is up.
void WhenPickerOpens(QObject* owner, std::function<void(QFileDialog*)> answer) {
    auto* timer = new QTimer(owner);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        answer(dialog);
    });
    timer->start();
}

}  // namespace

class FoundationGuiTest : public QObject {
    Q_OBJECT
private slots:
    void escapedExceptionsAreShownAndTheProgramGoesOn();
    void init();
    void cleanup();
    void landscapePictureStandsInAHorizontalBand();
    void portraitPictureStandsInAVerticalBand();
    void boxReplacesWhatWasThereAndNothingOutside();
    void emptyPictureLeavesTheBackground();
    void folderPickerTitleStartFolderAndCancel();
    void folderPickerOkStoresTheChoice();
    void shellOpenAddresses();
    void yesNoCancelBoxAnswersCancelWhenClosed();
    void boxButtonsSpeakJapanese();
    void storedPlacesComeBackOntoTheScreen();
    void pickerListReadsJapanese();
};

void FoundationGuiTest::init() {
    SetSelectFolderHook(nullptr);
    SetShellOpenHook(nullptr);
}

void FoundationGuiTest::cleanup() {
    SetSelectFolderHook(nullptr);
    SetShellOpenHook(nullptr);
}

void FoundationGuiTest::landscapePictureStandsInAHorizontalBand() {
    // 200 x 100 into 100 x 100: drawn 100 x 50 at y = 25.
    QImage target = Solid(100, 100, kOutside);
    DrawBitmapFittedOnBitmap(target, 0, 0, 100, 100, kBand, Solid(200, 100, kPicture));
    for (int x : {0, 50, 99}) {
        QVERIFY2(Near(target.pixel(x, 0), kBand), "top band");
        QVERIFY2(Near(target.pixel(x, 24), kBand), "last row of the top band");
        QVERIFY2(Near(target.pixel(x, 25), kPicture), "first row of the picture");
        QVERIFY2(Near(target.pixel(x, 74), kPicture), "last row of the picture");
        QVERIFY2(Near(target.pixel(x, 75), kBand), "first row of the bottom band");
        QVERIFY2(Near(target.pixel(x, 99), kBand), "bottom band");
    }
}

void FoundationGuiTest::portraitPictureStandsInAVerticalBand() {
    // 100 x 200 into 100 x 100: drawn 50 x 100 at x = 25.
    QImage target = Solid(100, 100, kOutside);
    DrawBitmapFittedOnBitmap(target, 0, 0, 100, 100, kBand, Solid(100, 200, kPicture));
    for (int y : {0, 50, 99}) {
        QVERIFY(Near(target.pixel(24, y), kBand));
        QVERIFY(Near(target.pixel(25, y), kPicture));
        QVERIFY(Near(target.pixel(74, y), kPicture));
        QVERIFY(Near(target.pixel(75, y), kBand));
    }
}

void FoundationGuiTest::boxReplacesWhatWasThereAndNothingOutside() {
    // The box lies at (10, 20) on a larger picture; a half-transparent background still
    // replaces the old pixels inside the box instead of blending with them.
    QImage target = Solid(140, 160, kOutside);
    const QColor clear(0, 0, 255, 128);
    QPainter painter(&target);
    DrawBitmapFitted(painter, 10, 20, 100, 100, clear, Solid(200, 100, kPicture));
    painter.end();
    QVERIFY(Near(target.pixel(9, 50), kOutside));
    QVERIFY(Near(target.pixel(110, 50), kOutside));
    QVERIFY(Near(target.pixel(50, 19), kOutside));
    QVERIFY(Near(target.pixel(50, 120), kOutside));
    QCOMPARE(qGreen(target.pixel(50, 20)), 0);  // the band, not green below it
    QVERIFY(Near(target.pixel(50, 20 + 25), kPicture));
    QVERIFY(Near(target.pixel(50, 20 + 74), kPicture));
    QCOMPARE(qGreen(target.pixel(50, 20 + 75)), 0);
}

void FoundationGuiTest::emptyPictureLeavesTheBackground() {
    QImage target = Solid(50, 40, kOutside);
    DrawBitmapFittedOnBitmap(target, 0, 0, 50, 40, kBand, QImage());
    QVERIFY(Near(target.pixel(0, 0), kBand));
    QVERIFY(Near(target.pixel(49, 39), kBand));
    // A box without area draws nothing at all.
    QImage untouched = Solid(10, 10, kOutside);
    DrawBitmapFittedOnBitmap(untouched, 0, 0, 0, 10, kBand, Solid(4, 4, kPicture));
    QVERIFY(Near(untouched.pixel(0, 0), kOutside));
    // A null target is left alone without a crash.
    QImage none;
    DrawBitmapFittedOnBitmap(none, 0, 0, 10, 10, kBand, Solid(4, 4, kPicture));
    QVERIFY(none.isNull());
}

void FoundationGuiTest::folderPickerTitleStartFolderAndCancel() {
    QTemporaryDir start;
    QVERIFY(start.isValid());
    QString title, opened;
    WhenPickerOpens(this, [&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        opened = dialog->directory().absolutePath();
        dialog->reject();
    });
    std::string folder = start.path().toStdString();
    const std::string before = folder;
    QVERIFY(!SelectFolder(folder));
    QCOMPARE(title, QString::fromUtf8("フォルダを選択してください。"));
    QCOMPARE(QDir(opened).canonicalPath(), QDir(start.path()).canonicalPath());
    QCOMPARE(folder, before);  // cancel keeps the old folder
}

void FoundationGuiTest::folderPickerOkStoresTheChoice() {
    QTemporaryDir start;
    QVERIFY(start.isValid());
    QVERIFY(QDir(start.path()).mkdir(QString::fromUtf8("音楽")));
    const QString wanted = start.path() + QString::fromUtf8("/音楽");
    WhenPickerOpens(this, [&](QFileDialog* dialog) {
        dialog->setDirectory(wanted);
        static_cast<QDialog*>(dialog)->accept();
    });
    std::string folder = start.path().toStdString();
    QVERIFY(SelectFolder(folder));
    QCOMPARE(QDir(QString::fromStdString(folder)).canonicalPath(), QDir(wanted).canonicalPath());
}

void FoundationGuiTest::shellOpenAddresses() {
    std::vector<std::string> opened;
    SetShellOpenHook([&](const std::string& url) { opened.push_back(url); });
    ShellOpen("/tmp/my notes/曲.txt");
    ShellOpen("http://example.com/a b?x=1");
    ShellOpen("");  // nothing to open: the desktop is not asked
    QCOMPARE(opened.size(), size_t(2));
    QCOMPARE(QString::fromStdString(opened[0]), QString("file:///tmp/my%20notes/%E6%9B%B2.txt"));
    QCOMPARE(QString::fromStdString(opened[1]), QString("http://example.com/a%20b?x=1"));
    // A relative name is a file of the current folder, not an address.
    const QString relative = QString::fromStdString(ShellOpenUrl("readme.txt"));
    QCOMPARE(QUrl(relative).toLocalFile(), QDir::current().absoluteFilePath("readme.txt"));
    // With no program to open it with (no browser, say), the user is told in Japanese.
    std::vector<std::string> shown;
    SetMessageBoxHook([&shown](const TMessageRequest& r) {
        shown.push_back(r.Text);
        return TMsgResult::Ok;
    });
    SetShellOpenAnswerHook([](const std::string&) { return false; });
    QVERIFY(!ShellOpen("/tmp/manual/index.html"));
    SetMessageBoxHook({});
    QCOMPARE(shown.size(), size_t(1));
    QCOMPARE(QString::fromStdString(shown[0]),
             QString::fromUtf8(
                 "[ /tmp/manual/index.html ]を開くプログラムが見つからないため、開くことができませんでした。"));
}

void FoundationGuiTest::yesNoCancelBoxAnswersCancelWhenClosed() {
    // The real box: three buttons, and Escape (closing it) is Cancel, not No.
    QMessageBox::StandardButtons buttons;
    auto* timer = new QTimer(this);
    timer->setInterval(20);
    connect(timer, &QTimer::timeout, timer, [timer, &buttons] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        buttons = box->standardButtons();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    timer->start();
    QCOMPARE(AskWarningYesNoCancel(nullptr, "保存しますか？"), TMsgResult::Cancel);
    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    // With the hook set the request carries the three buttons and the warning icon.
    TMessageRequest seen;
    SetMessageBoxHook([&seen](const TMessageRequest& r) {
        seen = r;
        return TMsgResult::No;
    });
    QCOMPARE(AskWarningYesNoCancel(nullptr, "保存しますか？"), TMsgResult::No);
    SetMessageBoxHook({});
    QCOMPARE(seen.Buttons, TMsgButtons::YesNoCancel);
    QCOMPARE(seen.Icon, TMsgIcon::Warning);
}

void FoundationGuiTest::boxButtonsSpeakJapanese() {
    // The disk-check question tells the user to choose 「いいえ」: the button must read so
    // whatever the locale, which takes Qt's own Japanese catalogue.
    QVERIFY2(LoadQtJapanese(), "Qt's Japanese catalogue (qt6-translations-l10n) is missing");
    QStringList texts;
    auto* timer = new QTimer(this);
    timer->setInterval(20);
    connect(timer, &QTimer::timeout, timer, [timer, &texts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
            texts << box->button(button)->text().remove('&');
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    timer->start();
    AskWarningYesNoCancel(nullptr, "保存しますか？");
    QCOMPARE(texts.size(), 3);
    QVERIFY2(texts[0].startsWith(QString::fromUtf8("はい")), qPrintable(texts[0]));
    QVERIFY2(texts[1].startsWith(QString::fromUtf8("いいえ")), qPrintable(texts[1]));
    QVERIFY2(texts[2].startsWith(QString::fromUtf8("キャンセル")), qPrintable(texts[2]));
}

void FoundationGuiTest::storedPlacesComeBackOntoTheScreen() {
    const QMargins frame(1, 20, 1, 1);
    const QList<QRect> one = {QRect(0, 0, 1280, 1024)};
    // On the screen, title bar included: where it was put.
    QCOMPARE(OnScreen(100, 100, 400, 300, frame, one), QRect(100, 100, 400, 300));
    // A corner left on the screen, or a place far beyond it: the whole window comes back.
    QCOMPARE(OnScreen(3000, 2500, 594, 385, frame, one), QRect(1280 - 1 - 594, 1024 - 1 - 385, 594, 385));
    QCOMPARE(OnScreen(-1000000000, -1000000000, 400, 300, frame, one), QRect(1, 20, 400, 300));
    QCOMPARE(OnScreen(INT_MAX, INT_MIN, 400, 300, frame, one), QRect(1280 - 1 - 400, 20, 400, 300));
    // The title bar above the top edge is off the screen too.
    QCOMPARE(OnScreen(100, 5, 400, 300, frame, one), QRect(100, 20, 400, 300));
    // Larger than the screen: as large as it is.
    QCOMPARE(OnScreen(0, 0, 5000, 5000, frame, one), QRect(1, 20, 1278, 1003));
    // Of two screens, the one the window mostly stands on.
    const QList<QRect> two = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    QCOMPARE(OnScreen(1200, 900, 400, 300, frame, two), QRect(1280 + 1, 1080 - 1 - 300, 400, 300));
    QCOMPARE(OnScreen(1500, 100, 400, 300, frame, two), QRect(1500, 100, 400, 300));
}

void FoundationGuiTest::pickerListReadsJapanese() {
    // Whatever the system's language: a folder's type, a size and a date as a Japanese
    // system writes them (Qt's model takes the system's language, its catalogue has no
    // word for a folder).
    SetUpJapaneseInterface();
    QTemporaryDir start;
    QVERIFY(QDir(start.path()).mkdir("sub"));
    QFile file(start.path() + "/a.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(52, 'x'));
    file.close();
    QMap<QString, QStringList> rows;
    QFileDialog picker(nullptr, QString(), start.path());
    picker.setFileMode(QFileDialog::ExistingFile);
    WhenPickerOpens(this, [&](QFileDialog* dialog) {
        auto* view = dialog->findChild<QAbstractItemView*>("treeView");
        (void)QTest::qWaitFor([view] { return view && view->model()->rowCount(view->rootIndex()) == 2; }, 5000);
        for (int r = 0; view && r < view->model()->rowCount(view->rootIndex()); ++r) {
            QStringList texts;
            for (int c = 0; c < 4; ++c) texts << view->model()->index(r, c, view->rootIndex()).data().toString();
            rows[texts[0]] = texts;
        }
        dialog->reject();
    });
    picker.exec();
    QCOMPARE(rows.value("sub").value(2), QString::fromUtf8("フォルダー"));
    QCOMPARE(rows.value("a.txt").value(1), QString::fromUtf8("52 バイト"));
    QVERIFY2(QRegularExpression("^\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}$").match(rows.value("sub").value(3)).hasMatch(),
             qPrintable(rows.value("sub").value(3)));

    // A filter's text carries its masks: it is shown once, not followed by them again, and
    // the one chosen is still told by its place; "*.*" also takes names without a dot.
    QFileDialog save(nullptr, QString(), start.path(),
                     QString::fromStdString(QtFileFilter("テキストファイル(*.TXT)|*.TXT|全てのファイル(*.*)|*.*")));
    save.setOption(kFilterTextsOnly);
    auto* types = save.findChild<QComboBox*>("fileTypeCombo");
    QVERIFY(types);
    QCOMPARE(types->itemText(1), QString::fromUtf8("全てのファイル(*.*)"));
    QCOMPARE(save.nameFilters().value(1), QString::fromUtf8("全てのファイル(*.*) (*)"));
    save.selectNameFilter(save.nameFilters().value(1));
    QCOMPARE(SelectedFilterIndex(save), 1);
}

void FoundationGuiTest::escapedExceptionsAreShownAndTheProgramGoesOn() {
    // A handler that lets std::bad_alloc through would end the program inside the event loop.
    class Thrower : public QObject {
    public:
        bool event(QEvent* e) override {
            if (e->type() == QEvent::User) throw std::bad_alloc();
            return QObject::event(e);
        }
    } thrower;
    std::vector<std::string> shown;
    SetMessageBoxHook([&shown](const TMessageRequest& r) {
        shown.push_back(r.Text);
        return TMsgResult::Ok;
    });
    QEvent event(QEvent::User);
    QCOMPARE(QCoreApplication::sendEvent(&thrower, &event), false);
    SetMessageBoxHook({});
    QCOMPARE(shown.size(), size_t{1});
    QCOMPARE(QString::fromStdString(shown[0]), QString::fromUtf8("メモリが不足しているため、処理を中止しました"));
}

// Run inside the programs' own application object, so its last-resort guard is what is tested.
int main(int argc, char** argv) {
    TGuardedApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    FoundationGuiTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "foundation_gui_test.moc"
