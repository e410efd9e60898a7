// Importing files into the player: a text file as one note or as pages through the splitting
// dialog, its settings, encodings, and contact and calendar files copied without overwriting.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <filesystem>

#include "desktop/imports.h"
#include "desktop/pages/memo_page.h"
#include "foundation/encoding.h"
#include "foundation/names.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/settings.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"

using namespace harrowin;

namespace fs = std::filesystem;

namespace {

std::unique_ptr<TTestPageHost> OpenPlayer(const TempDir& dir, const std::string& settings = {}) {
    ItdbDatabase db;
    db.Songs = {TestSong(1, "歌", "A")};
    WriteTestPlayer(dir, "ipod", db);
    dir.Write("ipod/Notes/.keep", std::string());
    dir.Write("ipod/Contacts/.keep", std::string());
    dir.Write("ipod/Calendars/.keep", std::string());
    return std::make_unique<TTestPageHost>(dir, "ipod", settings);
}

// A text of exactly `bytes` bytes in lines of 48 characters plus CR LF.
std::string TextOfSize(size_t bytes) {
    std::string text;
    while (text.size() + 50 <= bytes) text += std::string(48, 'a') + "\r\n";
    const size_t rest = bytes - text.size();
    if (rest >= 2) text += std::string(rest - 2, 'b') + "\r\n";
    return text;
}

bool RowOfName(const TMemoPage& page, const QString& name) {
    const QTreeWidget* list = page.MemoListView;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) == name) return true;
    }
    return false;
}

}  // namespace

class ImportTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetImportOpenFileHook({}); }
    void shortTextIsOneNote();
    void aNoteOfTheSameNameIsReplacedOnlyOnYes();
    void longTextIsSplitWithTheDialog();
    void cancelledDialogWritesNothing();
    void contactAndCalendarCopies();
    void rules();
    void closingTheProgressWindowStopsALongDivision();
    void aPlayerPulledDuringADivisionIsTheMissingDevice();
};

void ImportTest::shortTextIsOneNote() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenPlayer(dir);
    TMemoPage& notes = host->Page<TMemoPage>();
    const std::string src = dir.Write("pc/short.txt", TextOfSize(3000));
    // Dropped on the notes page.
    notes.Enter();
    notes.ImportFile(src);
    const std::string note = ReadFileText(dir / "ipod/Notes/short.txt");
    QVERIFY(note.starts_with("<?xml encoding=\"Shift-JIS\"?>\r\naaaa"));
    QCOMPARE(note.size(), size_t(3000 + 30));
    QVERIFY(RowOfName(notes, "short.txt"));
    // A 4,050-byte text without the encoding line stays one note too (no dialog).
    host->Settings().TextDivide.AddEncoded = false;
    const std::string mid = dir.Write("pc/mid.txt", TextOfSize(4050));
    ImportFile(*host, mid, 0);
    QCOMPARE(ReadFileText(dir / "ipod/Notes/mid.txt"), TextOfSize(4050));
    // A UTF-16 file with its byte-order mark is stored as Shift_JIS.
    const std::string u16 = encoding::Utf8ToUtf16Le("日本語のメモ\r\n");
    dir.Write("pc/wide.txt", std::string("\xFF\xFE", 2) + u16);
    std::string filter;
    SetImportOpenFileHook([&](const std::string& f) {
        filter = f;
        return dir / "pc/wide.txt";
    });
    notes.SButton_MemoImport->click();
    QVERIFY(filter.starts_with("全てのテキストファイル (*.txt *.TXT *.c *.C"));
    QCOMPARE(ReadFileText(dir / "ipod/Notes/wide.txt"), encoding::Utf8ToCp932("日本語のメモ\r\n"));
}

// A note of the file's name is the user's: a question names it first (No when just closed or
// Enter is pressed), and only Yes replaces it.
void ImportTest::aNoteOfTheSameNameIsReplacedOnlyOnYes() {
    TempDir dir;
    TRecordedBoxes boxes;
    boxes.Answer = TMsgResult::No;
    auto host = OpenPlayer(dir, "[TextDivide]\r\nAddEncoded=0\r\n");
    dir.Write("ipod/Notes/shop.txt", std::string("the user's own list"));
    const std::string src = dir.Write("pc/shop.txt", std::string("milk\r\n"));
    ImportFile(*host, src, 0);
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QCOMPARE(boxes.Boxes[0].Buttons, TMsgButtons::YesNo);
    QVERIFY(boxes.Boxes[0].NoByDefault);
    QVERIFY(boxes.Boxes[0].Text.find("[ shop.txt ]") != std::string::npos);
    QCOMPARE(ReadFileText(dir / "ipod/Notes/shop.txt"), std::string("the user's own list"));
    boxes.Answer = TMsgResult::Yes;
    ImportFile(*host, src, 0);
    QCOMPARE(ReadFileText(dir / "ipod/Notes/shop.txt"), std::string("milk\r\n"));
}

void ImportTest::longTextIsSplitWithTheDialog() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenPlayer(dir, "[TextDivide]\r\nMakeFolder=0\r\nMakeDivMode=0\r\nMakeWordSize=2000\r\n");
    const std::string src = dir.Write("pc/story.txt", TextOfSize(4050));
    QString title;
    int size = 0;
    bool encode = false;
    WhenModalWith("Edit_Title", [&](QWidget* w) {
        title = w->findChild<QLineEdit*>("Edit_Title")->text();
        size = w->findChild<QSpinBox*>("SpinEdit_BaseSize")->value();
        encode = w->findChild<QCheckBox*>("CheckBox_Encode")->isChecked();
        QCOMPARE(w->windowTitle(), QString("メモの分割設定"));
        w->findChild<QCheckBox*>("CheckBox_EveryOn")->setChecked(false);
        w->findChild<QCheckBox*>("CheckBox_PageNo")->setChecked(false);
        w->findChild<QPushButton*>("Button_Ok")->click();
    });
    ImportFile(*host, src, 0);
    QCOMPARE(title, QString("story"));
    QCOMPARE(size, 2000);
    QVERIFY(encode);
    QVERIFY(fs::exists(dir / "ipod/Notes/story 001.txt"));
    QVERIFY(fs::exists(dir / "ipod/Notes/story 002.txt"));
    QVERIFY(!fs::exists(dir / "ipod/Notes/story.txt"));
    // The dialog's values were stored back.
    QVERIFY(!host->Settings().TextDivide.EveryDisplay);
    QVERIFY(!host->Settings().TextDivide.MakePageNo);
    // With the dialog turned off the stored settings split without asking.
    fs::remove_all(dir / "ipod/Notes");
    fs::create_directory(dir / "ipod/Notes");
    ImportFile(*host, src, 0);
    QVERIFY(fs::exists(dir / "ipod/Notes/story 001.txt"));
    QVERIFY(ReadFileText(dir / "ipod/Notes/story 001.txt").find("【Page") == std::string::npos);
}

void ImportTest::cancelledDialogWritesNothing() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenPlayer(dir);
    const std::string src = dir.Write("pc/big.txt", TextOfSize(5000));
    WhenModalWith("Edit_Title", [&](QWidget* w) {
        w->findChild<QComboBox*>("ComboBox_BaseType")->setCurrentIndex(3);
        w->findChild<QCheckBox*>("CheckBox_DelRuby")->setChecked(true);
        w->findChild<QPushButton*>("Button_Cancel")->click();
    });
    ImportFile(*host, src, 0);
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir / "ipod/Notes")) files += e.is_regular_file() ? 1 : 0;
    QCOMPARE(files, 1);  // the .keep file only
    QCOMPARE(host->Settings().TextDivide.MakeDivMode, 0);
    QVERIFY(!host->Settings().TextDivide.MakeDelRuby);
}

void ImportTest::contactAndCalendarCopies() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenPlayer(dir);
    dir.Write("ipod/Contacts/same.vcf", std::string("on the player"));
    const std::string same = dir.Write("pc/same.vcf", std::string("from the pc"));
    const std::string fresh = dir.Write("pc/fresh.vcf", std::string("BEGIN:VCARD\r\nEND:VCARD\r\n"));
    ImportFile(*host, same, 1);
    QVERIFY(boxes.Saw("[ " + same + " ]のコピーに失敗しました"));
    QCOMPARE(ReadFileText(dir / "ipod/Contacts/same.vcf"), std::string("on the player"));
    ImportFile(*host, fresh, 1);
    QCOMPARE(ReadFileText(dir / "ipod/Contacts/fresh.vcf"), std::string("BEGIN:VCARD\r\nEND:VCARD\r\n"));
    // Calendars the same way, by the open-file dialog of Tag 2.
    const std::string ics = dir.Write("pc/plan.ics", std::string("anything"));
    std::string filter;
    SetImportOpenFileHook([&](const std::string& f) {
        filter = f;
        return ics;
    });
    Button_MemoInputClick(*host, 2);
    QVERIFY(filter.starts_with("vCalendarファイル(*.ICS) (*.ics *.ICS)"));
    QCOMPARE(ReadFileText(dir / "ipod/Calendars/plan.ics"), std::string("anything"));
    // A missing file and an unknown kind.
    ImportFile(*host, dir / "pc/none.ics", 2);
    QVERIFY(boxes.Saw("[ " + (dir / "pc/none.ics") + " ]のコピーに失敗しました"));
    const size_t before = boxes.Boxes.size();
    ImportFile(*host, ics, 7);
    QCOMPARE(boxes.Boxes.size(), before);
    // A cancelled open-file dialog imports nothing.
    SetImportOpenFileHook([](const std::string&) { return std::string(); });
    Button_MemoInputClick(*host, 1);
    QCOMPARE(boxes.Boxes.size(), before);
}

void ImportTest::rules() {
    QVERIFY(!TextNeedsSplit(3999, true));
    QVERIFY(TextNeedsSplit(4000, true));
    QVERIFY(!TextNeedsSplit(4095, false));
    QVERIFY(TextNeedsSplit(4096, false));
    // Lengths count code page 932 bytes and a CR LF per line.
    QCOMPARE(SjisTextLength({"あいう", ""}), int64_t(10));
    QCOMPARE(ImportFilter(1), std::string("vCardファイル(*.VCF)|*.VCF|全てのファイル(*.*)|*.*"));
    QCOMPARE(ImportFilter(5), std::string());
    // "All files" must take names without an extension too.
    QVERIFY(ImportFilterForQt(1).ends_with(";;全てのファイル(*.*) (*)"));
}

// A text of thousands of pages is divided in the progress window; its close box stops the
// division, and the pages written are whole and numbered from the first.
void ImportTest::closingTheProgressWindowStopsALongDivision() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenPlayer(dir, "[TextDivide]\r\nEveryDisplay=0\r\nMakeFolder=0\r\nMakeWordSize=300\r\n");
    const std::string src = dir.Write("pc/big.txt", TextOfSize(1 << 20));
    const auto pages = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir / "ipod/Notes")) {
            if (e.path().filename().string().starts_with("big ")) names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    QTimer close;
    QObject::connect(&close, &QTimer::timeout, [&] {
        if (TProgressForm::Current() && pages().size() >= 10) {
            TProgressForm::Current()->close();
            close.stop();
        }
    });
    close.start(5);
    ImportFile(*host, src, 0);
    const std::vector<std::string> written = pages();
    QVERIFY(written.size() >= 10);
    std::vector<std::string> numbered;
    for (size_t n = 1; n <= written.size(); ++n)
        numbered.push_back("big " + QString::asprintf("%03d", int(n)).toStdString() + ".txt");
    std::sort(numbered.begin(), numbered.end());
    QCOMPARE(written, numbered);
    // The last page written links to one that never came: the division stopped before its end.
    const std::string next = QString::asprintf("big %03d.txt", int(written.size() + 1)).toStdString();
    QVERIFY(
        ReadFileText(dir / ("ipod/Notes/big " + QString::asprintf("%03d", int(written.size())).toStdString() + ".txt"))
            .find(next) != std::string::npos);
    QVERIFY(!fs::exists(dir / ("ipod/Notes/" + next)));
}

// A player pulled while a text is divided: whatever its file system answered, the user reads
// that the device is missing, as after a copy.
void ImportTest::aPlayerPulledDuringADivisionIsTheMissingDevice() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenPlayer(dir, "[TextDivide]\r\nEveryDisplay=0\r\nMakeFolder=0\r\nMakeWordSize=300\r\n");
    const std::string src = dir.Write("pc/big.txt", TextOfSize(1 << 20));
    QTimer pull;
    QObject::connect(&pull, &QTimer::timeout, [&] {
        if (fs::exists(dir / "ipod/Notes/big 003.txt")) {
            fs::rename(dir / "ipod", dir / "pulled");
            pull.stop();
        }
    });
    pull.start(5);
    SetImportOpenFileHook([&](const std::string&) { return src; });
    Button_MemoInputClick(*host, 0);
    QVERIFY(fs::exists(dir / "pulled"));
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QCOMPARE(boxes.Boxes[0].Text, SysErrorText(ENODEV));
}

QTEST_MAIN(ImportTest)
#include "import_test.moc"
