// The calendar page: the event list, the editor, new/edit/delete, the month view and the import
// of calendar files.
#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include "desktop/dialogs/schedule_form.h"
#include "desktop/pages/schedule_page.h"
#include "foundation/date_time.h"
#include "foundation/errors.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"

using namespace harrowin;

namespace {

std::unique_ptr<TTestPageHost> CalendarPlayer(const TempDir& dir,
                                              const std::vector<std::pair<std::string, std::string>>& files) {
    WriteTestPlayer(dir, "ipod", ItdbDatabase{});
    std::filesystem::create_directories(dir / "ipod/Calendars");
    for (const auto& [name, text] : files) dir.Write("ipod/Calendars/" + name, text);
    return std::make_unique<TTestPageHost>(dir, "ipod");
}

std::string Event(const std::string& summary, const std::string& start, const std::string& extra = "") {
    return "BEGIN:vcalender\r\nVERSION:2.0\r\nBEGIN:vevent\r\nSUMMARY:" + summary + "\r\nDTSTART:" + start + "\r\n" +
           extra + "END:vevent\r\nEND:vcalender\r\n";
}

std::string Todo(const std::string& summary, const std::string& start) {
    return "BEGIN:vcalender\r\nVERSION:2.0\r\nBEGIN:vtodo\r\nSUMMARY:" + summary + "\r\nDTSTART:" + start +
           "\r\nEND:vtodo\r\nEND:vcalender\r\n";
}

QTreeWidgetItem* RowOf(QTreeWidget* list, const QString& file) {
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(4) == file) return list->topLevelItem(i);
    }
    return nullptr;
}

}  // namespace

class SchedulePageTest : public QObject {
    Q_OBJECT
private slots:
    void listLeavesOutToDoItems();
    void badStartIsNamedAndTheLoadingGoesOn();
    void newEventFromTheMonthGrid();
    void editingAndUncheckingTheEnd();
    void deleteAndCommands();
    void monthView();
    void editorDefaultsAndCopies();
    void importCalendarFile();
};

void SchedulePageTest::listLeavesOutToDoItems() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = CalendarPlayer(dir, {{"e1.ics", Event("会議", "20070315T143000", "DESCRIPTION:三階\r\n")},
                                     {"sub/e2.ics", Event("旅行", "20061201T080000")},
                                     {"t.ics", Todo("宿題", "20070101T000000")},
                                     {"other.txt", "何でもない\r\n"}});
    TSchedulePage& page = host->Page<TSchedulePage>();
    host->LoadTabList(TListKind::Calendar);
    QTreeWidget* list = page.CalendarListView;
    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(host->StatusText(1), QString("スケジュールを読み込みました"));
    QCOMPARE(list->columnWidth(1), 0);
    QTreeWidgetItem* e1 = RowOf(list, "e1.ics");
    QCOMPARE(e1->text(0), QString("会議"));
    QCOMPARE(e1->text(1), QString("20070315T143000"));
    QCOMPARE(e1->text(2), QString("2007/03/15 14:30"));
    QCOMPARE(e1->text(3), QString("三階"));
    QVERIFY(RowOf(list, "sub/e2.ics"));
    // A file with neither block lists with the current time as its start.
    QTreeWidgetItem* other = RowOf(list, "other.txt");
    QCOMPARE(other->text(0), QString());
    QCOMPARE(other->text(2), QString::fromStdString(FormatDateTime("yyyy/mm/dd hh:nn", Now())));
    // Sorted by the shown start, ascending.
    QCOMPARE(list->topLevelItem(0)->text(4), QString("sub/e2.ics"));
    QCOMPARE(list->topLevelItem(2)->text(4), QString("other.txt"));
    // Entering the page selects the list sub-page and resets the month view to today.
    page.CalendarPages->setCurrentIndex(1);
    page.CalendarGraph->setSelectedDate(QDate(2001, 1, 1));
    page.Enter();
    QCOMPARE(page.CalendarPages->currentIndex(), 0);
    QCOMPARE(page.CalendarGraph->selectedDate(), QDate::currentDate());
}

// A start that is no date-time keeps its row and is named once; the loading goes on.
void SchedulePageTest::badStartIsNamedAndTheLoadingGoesOn() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host =
        CalendarPlayer(dir, {{"bad.ics", Event("壊れ", "20070315")}, {"good.ics", Event("会議", "20070315T143000")}});
    const TSchedulePage& page = host->Page<TSchedulePage>();
    host->SetStatusText(1, "前");
    host->LoadTabList(TListKind::Calendar);
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QVERIFY(boxes.Boxes[0].Text.find("bad.ics") != std::string::npos);
    QCOMPARE(host->StatusText(1), QString("スケジュールを読み込みました"));
    QCOMPARE(page.CalendarListView->topLevelItemCount(), 2);
}

void SchedulePageTest::newEventFromTheMonthGrid() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = CalendarPlayer(dir, {});
    TSchedulePage& page = host->Page<TSchedulePage>();
    page.SetCalendarDate(EncodeDate(2007, 3, 15));
    std::vector<QDateTime> pickers;
    page.RunEditor = [&](TScheduleForm& f) {
        pickers = {QDateTime(f.DatePick_Start->date(), f.TimePick_Start->time()),
                   QDateTime(f.DatePick_End->date(), f.TimePick_End->time()),
                   QDateTime(f.DatePick_Alarm->date(), f.TimePick_Alarm->time())};
        f.Button_Ok->click();
    };
    emit page.CalendarGraph->activated(page.CalendarGraph->selectedDate());
    const QDateTime expected(QDate(2007, 3, 15), QTime(0, 0));
    QCOMPARE(pickers, (std::vector<QDateTime>{expected, expected, expected}));
    const std::string text = ReadFileText(dir / "ipod/Calendars/20070315T000000_0.ics");
    QVERIFY(text.find("BEGIN:vevent\r\n") != std::string::npos);
    QVERIFY(text.find("DTSTART:20070315T000000\r\n") != std::string::npos);
    QVERIFY(text.find("PRIORITY:0\r\n") != std::string::npos);
    QVERIFY(text.find("DTEND") == std::string::npos);
    QVERIFY(text.find("DALARM") == std::string::npos);
    QCOMPARE(page.CalendarListView->topLevelItemCount(), 1);
    // The same start again: the next free number.
    page.SpeedButton1->click();
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/20070315T000000_1.ics"));
}

void SchedulePageTest::editingAndUncheckingTheEnd() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = CalendarPlayer(
        dir, {{"e.ics",
               Event("会議", "20070315T143000", "DTEND:20070315T160000\r\nDALARM:20070315T140000\r\nPRIORITY:x\r\n")}});
    TSchedulePage& page = host->Page<TSchedulePage>();
    host->LoadTabList(TListKind::Calendar);
    page.CalendarListView->topLevelItem(0)->setSelected(true);
    bool endChecked = false, alarmChecked = false;
    int priority = -1;
    QTime end;
    page.RunEditor = [&](TScheduleForm& f) {
        endChecked = f.CheckBox_EndTime->isChecked();
        alarmChecked = f.CheckBox_UseAlarm->isChecked();
        priority = f.TrackBar_Priority->value();
        end = f.TimePick_End->time();
        f.CheckBox_EndTime->setChecked(false);
        f.TrackBar_Priority->setValue(3);
        f.Button_Ok->click();
    };
    emit page.CalendarListView->itemDoubleClicked(page.CalendarListView->topLevelItem(0), 0);
    QVERIFY(endChecked);
    QVERIFY(alarmChecked);
    QCOMPARE(priority, 0);
    QCOMPARE(end, QTime(16, 0));
    const std::string text = ReadFileText(dir / "ipod/Calendars/e.ics");
    QVERIFY(text.find("DTEND") == std::string::npos);
    QVERIFY(text.find("DALARM:20070315T140000") != std::string::npos);
    QVERIFY(text.find("PRIORITY:3") != std::string::npos);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir / "ipod/Calendars"), {}), 1);
}

void SchedulePageTest::deleteAndCommands() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host =
        CalendarPlayer(dir, {{"a.ics", Event("A", "20070101T000000")}, {"b.ics", Event("B", "20070201T000000")}});
    TSchedulePage& page = host->Page<TSchedulePage>();
    host->LoadTabList(TListKind::Calendar);
    page.MenuItem2->trigger();
    QVERIFY(boxes.Saw("ファイルが選択されていませんので削除できません"));
    page.CalendarListView->topLevelItem(1)->setSelected(true);
    page.CalendarListView->topLevelItem(0)->setSelected(true);
    boxes.Boxes.clear();
    page.Button_NewCalendarClick(2);
    QCOMPARE(boxes.Boxes.front().Text, std::string("[ a.ics ]を削除してもよろしいですか？"));
    QCOMPARE(page.CalendarListView->topLevelItemCount(), 0);
    // Of two names that differ only in a byte that is no UTF-8, the row deletes its own file.
    const std::string odd = dir.Write("ipod/Calendars/e\xff.ics", Event("Odd", "20070101T000000"));
    const std::string plain = dir.Write("ipod/Calendars/e\xef\xbf\xbd.ics", Event("Plain", "20070101T000000"));
    host->LoadTabList(TListKind::Calendar);
    RowOf(page.CalendarListView, "e%FF.ics")->setSelected(true);
    page.Button_NewCalendarClick(2);
    QVERIFY(!std::filesystem::exists(odd));
    QVERIFY(std::filesystem::exists(plain));
    std::filesystem::remove(plain);
    host->LoadTabList(TListKind::Calendar);
    // Menu entries: captions, tags and shortcuts.
    QCOMPARE(page.MenuItem1->property("tag").toInt(), 1);
    QCOMPARE(page.MenuItem4->property("tag").toInt(), 0);
    QCOMPARE(page.MenuItem4->shortcut(), QKeySequence("Ctrl+N"));
    QCOMPARE(page.MenuItem6->text(), QString("スケジュール(vCard)を取り込む(&I)..."));
    QCOMPARE(page.SButton_CalDel->text(), QString("経過後の削除"));
    // Edit without a selection opens a new event; cancelled, nothing is written.
    int runs = 0;
    page.RunEditor = [&](TScheduleForm& f) {
        ++runs;
        f.Button_Cancel->click();
    };
    page.MenuItem1->trigger();
    QCOMPARE(runs, 1);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir / "ipod/Calendars"), {}), 0);
}

void SchedulePageTest::monthView() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = CalendarPlayer(dir, {});
    TSchedulePage& page = host->Page<TSchedulePage>();
    page.SetCalendarDate(EncodeDate(2007, 1, 31));
    QCOMPARE(page.YearMonthLabel->text(), QString("2007年01月"));
    // Next month from 31 January: the last day of February.
    page.SpeedButton3->click();
    QCOMPARE(page.CalendarGraph->selectedDate(), QDate(2007, 2, 28));
    QCOMPARE(page.Picker_Day->date(), QDate(2007, 2, 28));
    QCOMPARE(page.YearMonthLabel->text(), QString("2007年02月"));
    page.SpeedButton2->click();
    QCOMPARE(page.CalendarGraph->selectedDate(), QDate(2007, 1, 28));
    // A day the grid's month lacks: the grid still ends on the requested date.
    page.SetCalendarDate(EncodeDate(2007, 2, 10));
    page.SetCalendarDate(EncodeDate(2008, 3, 31));
    QCOMPARE(page.CalendarGraph->selectedDate(), QDate(2008, 3, 31));
    QCOMPARE(page.Picker_Year->date(), QDate(2008, 3, 31));
    // Changing the month picker moves the grid and the other pickers.
    page.Picker_Month->setDate(QDate(2008, 5, 31));
    QCOMPARE(page.CalendarGraph->selectedDate(), QDate(2008, 5, 31));
    QCOMPARE(page.Picker_Year->date(), QDate(2008, 5, 31));
    QCOMPARE(page.Picker_Day->date(), QDate(2008, 5, 31));
    QCOMPARE(page.YearMonthLabel->text(), QString("2008年05月"));
    // A click on a day of the grid.
    page.CalendarGraph->setSelectedDate(QDate(2008, 6, 2));
    QCOMPARE(page.Picker_Month->date(), QDate(2008, 6, 2));
    QCOMPARE(page.YearMonthLabel->text(), QString("2008年06月"));
    page.SButton_Cal_SetToday->click();
    QCOMPARE(page.CalendarGraph->selectedDate(), QDate::currentDate());
    QCOMPARE(page.CalendarGraph->firstDayOfWeek(), Qt::Sunday);
}

void SchedulePageTest::editorDefaultsAndCopies() {
    TScheduleForm f;
    QCOMPARE(f.windowTitle(), QString("スケジュールの編集"));
    QCOMPARE(f.Label_Priority->text(), QString("現在の重要度は [ 0 ] です"));
    QCOMPARE(f.DatePick_Alarm->date(), QDate::currentDate());
    QCOMPARE(f.ComboBox_Summary->count(), 10);
    QCOMPARE(f.FOk, false);
    f.TrackBar_Priority->setValue(5);
    QCOMPARE(f.Label_Priority->text(), QString("現在の重要度は [ 5 ] です"));
    f.DatePick_Start->setDate(QDate(2007, 4, 1));
    f.TimePick_Start->setTime(QTime(21, 5, 40));
    f.SButton_EndCopy->click();
    QCOMPARE(f.DatePick_End->date(), QDate(2007, 4, 1));
    QVERIFY(!f.CheckBox_EndTime->isChecked());
    f.SButton_AlarmCopy->click();
    f.CheckBox_UseAlarm->setChecked(true);
    const TIpodVCal e = f.GetEvent();
    QCOMPARE(e.DtStart, std::string("20070401T210500"));
    QCOMPARE(e.DAlarm, std::string("20070401T210500"));
    QCOMPARE(e.DtEnd, std::string());
    QCOMPARE(e.Priority, std::string("5"));
    // An empty end gives the current date; a bad start raises.
    TIpodVCal in;
    in.DtStart = "20070401T2105";
    f.SetEvent(in);
    QCOMPARE(f.DatePick_End->date(), QDate::currentDate());
    QVERIFY(!f.CheckBox_EndTime->isChecked());
    in.DtStart = "2007-04-01";
    QVERIFY_THROWS_EXCEPTION(ETolvError, f.SetEvent(in));
}

void SchedulePageTest::importCalendarFile() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = CalendarPlayer(dir, {{"x.ics", Event("元", "20070101T000000")}});
    TSchedulePage& page = host->Page<TSchedulePage>();
    const std::string pc = dir.Write("pc/x.ics", Event("新", "20070101T000000"));
    const std::string fresh = dir.Write("pc/y.ics", Event("別", "20070101T000000"));
    page.ImportFile(pc);
    QVERIFY(boxes.Saw("[ " + pc + " ]のコピーに失敗しました"));
    QVERIFY(ReadFileText(dir / "ipod/Calendars/x.ics").find("SUMMARY:元") != std::string::npos);
    page.OpenFileDialog = [&](const QString& filter) {
        return filter.startsWith("vCalendarファイル(*.ICS)") ? fresh : std::string();
    };
    page.SButton_CalImport->click();
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/y.ics"));
    QCOMPARE(page.CalendarListView->topLevelItemCount(), 2);
}

QTEST_MAIN(SchedulePageTest)
#include "schedule_page_test.moc"
