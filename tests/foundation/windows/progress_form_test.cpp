// The progress window: the work starts once the window is shown, the result and cancel rules.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "foundation/windows/progress_form.h"

class ProgressFormTest : public QObject {
    Q_OBJECT
private slots:
    void nothingToDoMakesNoWindow();
    void resultIsThePositionLeft();
    void untouchedBarGivesMin();
    void workStartsAfterTheWindowIsShown();
    void cancelStopsAfterTheCurrentItem();
    void closeBoxSetsNoCancelFlag();
};

void ProgressFormTest::nothingToDoMakesNoWindow() {
    bool called = false;
    auto work = [&](QProgressBar*, QLabel*, bool&) {
        called = true;
        return 0;
    };
    QCOMPARE(RunWithProgress("x", 0, 0, work), -1);
    QCOMPARE(RunWithProgress("x", 0, -5, work), -1);
    QVERIFY(!called);
    QVERIFY(TProgressForm::Current() == nullptr);
}

void ProgressFormTest::resultIsThePositionLeft() {
    const int32_t result = RunWithProgress("一件", 0, 1, [](QProgressBar* bar, QLabel* label, bool&) {
        label->setText("処理中");
        bar->setValue(1);
        return 1;
    });
    QCOMPARE(result, 1);
}

void ProgressFormTest::untouchedBarGivesMin() {
    QCOMPARE(RunWithProgress("x", 3, 10, [](QProgressBar*, QLabel*, bool&) { return 0; }), 3);
}

void ProgressFormTest::workStartsAfterTheWindowIsShown() {
    bool visibleAtStart = false;
    QString caption, labelText;
    RunWithProgress("ビデオの取得", 0, 5, [&](QProgressBar* bar, QLabel* label, bool&) {
        visibleAtStart = TProgressForm::Current() && TProgressForm::Current()->isVisible();
        caption = TProgressForm::Current()->windowTitle();
        labelText = label->text();
        return bar->value();
    });
    QVERIFY(visibleAtStart);
    QCOMPARE(caption, QString("ビデオの取得"));
    QCOMPARE(labelText, QString("準備中..."));
}

void ProgressFormTest::cancelStopsAfterTheCurrentItem() {
    int items = 0;
    const int32_t result = RunWithProgress("x", 0, 100, [&](QProgressBar* bar, QLabel*, bool& cancel) {
        for (int i = 1; i <= 100; ++i) {
            ++items;
            bar->setValue(i);
            if (i == 4) {
                // The user presses the cancel button while item 4 runs.
                auto* button = TProgressForm::Current()->findChild<QPushButton*>("Button1");
                QTest::mouseClick(button, Qt::LeftButton);
            }
            QCoreApplication::processEvents();
            if (cancel) break;
        }
        return bar->value();
    });
    QCOMPARE(items, 4);
    QCOMPARE(result, 4);
}

void ProgressFormTest::closeBoxSetsNoCancelFlag() {
    int items = 0;
    const int32_t result = RunWithProgress("x", 0, 10, [&](QProgressBar* bar, QLabel*, bool& cancel) {
        for (int i = 1; i <= 10; ++i) {
            ++items;
            bar->setValue(i);
            if (i == 2) TProgressForm::Current()->close();
            QCoreApplication::processEvents();
            if (cancel) break;
        }
        return bar->value();
    });
    QCOMPARE(items, 10);
    QCOMPARE(result, 10);
}

QTEST_MAIN(ProgressFormTest)
#include "progress_form_test.moc"
