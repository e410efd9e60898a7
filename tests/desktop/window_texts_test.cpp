// The texts of the failure log and the pictures of the player models that the main window shows.
#include <QtTest>

#include "desktop/dialogs/log_form.h"
#include "desktop/model_pictures.h"

using namespace harrowin;

class WindowTextsTest : public QObject {
    Q_OBJECT
private slots:
    void logTexts();
    void modelPictures();
};

void WindowTextsTest::logTexts() {
    QCOMPARE(TransferErrorText(-3), std::string("出力先の容量が足りません"));
    QCOMPARE(TransferErrorText(-2), std::string("データファイルが存在しません"));
    QCOMPARE(TransferErrorText(-1), std::string("何らかの理由でデータ転送できません"));
    QCOMPARE(TransferErrorText(0), std::string("エラーは起きていません"));
    QVERIFY(!TransferErrorText(2).empty());
    // The date in the proposed name holds no "/" (a file name cannot).
    QCOMPARE(LogFileName(2026, 1, 9), std::string("転送失敗ログ(2026-01-09).TXT"));
    QCOMPARE(LogText({{"1", "曲", "歌手", "E - :iPod_Control:Music:F00:A.mp3"}}),
             std::string("1 :「曲」(歌手) - E - :iPod_Control:Music:F00:A.mp3\r\n"));
}

void WindowTextsTest::modelPictures() {
    QCOMPARE(ModelImageIndex("mini"), 0);
    QCOMPARE(ModelImageIndex("4G"), 1);
    QCOMPARE(ModelImageIndex(""), 1);
    QCOMPARE(ModelImageIndex("Nano"), 1);  // compared exactly
    QCOMPARE(ModelImageIndex("nano"), 2);
    QCOMPARE(ModelImageIndex("shuffle"), 3);
    QCOMPARE(ModelImageIndex("5G"), 4);
    QCOMPARE(ModelImageIndex("nano2"), 5);
    QCOMPARE(ModelImageIndex("shuffle2"), 6);
    const QImage field = ModelPictureField(4, QSize(110, 150));
    QCOMPARE(field.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(field.pixelColor(5, 5), QColor(Qt::white));
    QVERIFY(ModelPicture(0) != ModelPicture(1));
}

QTEST_APPLESS_MAIN(WindowTextsTest)
#include "window_texts_test.moc"
