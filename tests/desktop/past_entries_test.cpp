// Removing past events and expired tasks through the schedule and to-do pages and the dialog
// that asks for the base.
#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include "desktop/dialogs/del_cal_form.h"
#include "desktop/dialogs/schedule_form.h"
#include "desktop/pages/schedule_page.h"
#include "desktop/pages/todo_page.h"
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

std::string Block(const std::string& block, const std::string& start) {
    return "BEGIN:vcalender\r\nVERSION:2.0\r\nBEGIN:" + block + "\r\nDTSTART:" + start + "\r\nEND:" + block +
           "\r\nEND:vcalender\r\n";
}

// The removal dialog, once open, set to the base and closed with OK (or Cancel).
void AnswerBase(const QDateTime& base, bool ok = true) {
    WhenModalWith("SButton_SetNow", [base, ok](QWidget* w) {
        auto* f = static_cast<TDelCalForm*>(w);
        f->DatePick->setDate(base.date());
        f->TimePick->setTime(base.time());
        (ok ? f->Button_OK : f->Button1)->click();
    });
}

}  // namespace

class PastEntriesTest : public QObject {
    Q_OBJECT
private slots:
    void removalDialog();
    void removingPastEvents();
    void removingExpiredTasks();
    void emptyStartEndsTheScanInDisplayOrder();
};

void PastEntriesTest::removalDialog() {
    TDelCalForm f;
    QCOMPARE(f.windowTitle(), QString("経過済みスケジュールの削除"));
    QCOMPARE(f.FOk, false);
    f.DatePick->setDate(QDate(2007, 3, 15));
    f.TimePick->setTime(QTime(14, 30));
    QCOMPARE(f.BaseDateTime(), EncodeDateTime(2007, 3, 15, 14, 30, 0));
    f.SButton_SetNow->click();
    QCOMPARE(f.DatePick->date(), QDate::currentDate());
    f.Button_OK->click();
    QVERIFY(f.FOk);
    f.Button1->click();
    QVERIFY(!f.FOk);
}

void PastEntriesTest::removingPastEvents() {
    TempDir dir;
    TRecordedBoxes boxes;
    boxes.Answer = TMsgResult::Ok;
    const QDateTime now = QDateTime::currentDateTime();
    auto vcal = [](const QDateTime& t) { return VCalText(t.date(), t.time()); };
    auto host = CalendarPlayer(dir, {{"old1.ics", Block("vevent", "20070101T000000")},
                                     {"old2.ics", Block("vevent", "20070102T000000")},
                                     {"sub/old3.ics", Block("vevent", vcal(now.addSecs(-120)))},
                                     {"soon.ics", Block("vevent", vcal(now.addSecs(120)))},
                                     {"task.ics", Block("vtodo", "20000101T000000")}});
    TSchedulePage& page = host->Page<TSchedulePage>();
    host->LoadTabList(TListKind::Calendar);
    QCOMPARE(page.CalendarListView->topLevelItemCount(), 4);
    // Cancelled dialog: nothing happens.
    AnswerBase(now, false);
    page.SButton_CalDel->click();
    QVERIFY(boxes.Boxes.empty());
    // Cancelled question: nothing is deleted.
    boxes.Answer = TMsgResult::Cancel;
    AnswerBase(now);
    page.SButton_CalDel->click();
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QCOMPARE(boxes.Boxes[0].Text, std::string("3 個のスケジュールが既に経過済みです。削除してもよろしいですか？"));
    QCOMPARE(boxes.Boxes[0].Buttons, TMsgButtons::OkCancel);
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/old1.ics"));
    // OK: exactly those three go and the list reloads; the to-do file stays.
    boxes.Answer = TMsgResult::Ok;
    AnswerBase(now);
    page.SButton_CalDel->click();
    QCOMPARE(page.CalendarListView->topLevelItemCount(), 1);
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/soon.ics"));
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/task.ics"));
    QVERIFY(!std::filesystem::exists(dir / "ipod/Calendars/sub/old3.ics"));
    // Nothing before the base: no question at all.
    boxes.Boxes.clear();
    AnswerBase(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    page.SButton_CalDel->click();
    QVERIFY(boxes.Boxes.empty());
    // A start the list shows that is no date-time: the error, nothing deleted.
    page.CalendarListView->topLevelItem(0)->setText(1, "20070101");
    AnswerBase(now.addDays(1));
    page.SButton_CalDel->click();
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/soon.ics"));
}

void PastEntriesTest::removingExpiredTasks() {
    TempDir dir;
    TRecordedBoxes boxes;
    boxes.Answer = TMsgResult::Ok;
    auto host = CalendarPlayer(dir, {{"t1.ics", Block("vtodo", "20070101T000000")},
                                     {"t2.ics", Block("vtodo", "20070201T000000")},
                                     {"t3.ics", Block("vtodo", "20990101T000000")}});
    TTodoPage& page = host->Page<TTodoPage>();
    host->LoadTabList(TListKind::ToDo);
    AnswerBase(QDateTime(QDate(2007, 2, 1), QTime(0, 0)));
    page.SButton_DeleteVTodo->click();
    QCOMPARE(boxes.Boxes.back().Text, std::string("1 個のタスクが既に経過済みです。削除してもよろしいですか？"));
    QVERIFY(!std::filesystem::exists(dir / "ipod/Calendars/t1.ics"));
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/t2.ics"));
    QCOMPARE(page.TodoListView->topLevelItemCount(), 2);
    // A row without a start stands first in the initial order and ends the scan.
    dir.Write("ipod/Calendars/nostart.ics",
              "BEGIN:vcalender\r\nVERSION:2.0\r\nBEGIN:vtodo\r\nEND:vtodo\r\nEND:vcalender\r\n");
    host->LoadTabList(TListKind::ToDo);
    page.TodoListView->topLevelItem(0)->setText(1, "");
    boxes.Boxes.clear();
    AnswerBase(QDateTime(QDate(2100, 1, 1), QTime(0, 0)));
    page.N25->trigger();
    QVERIFY(boxes.Boxes.empty());
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/t2.ics"));
}

void PastEntriesTest::emptyStartEndsTheScanInDisplayOrder() {
    TempDir dir;
    TRecordedBoxes boxes;
    boxes.Answer = TMsgResult::Cancel;
    // A file holding neither block lists with an empty start and the current time shown.
    auto host = CalendarPlayer(dir, {{"old.ics", Block("vevent", "20070101T000000")},
                                     {"other.txt", "no calendar here\r\n"},
                                     {"late.ics", Block("vevent", "20990101T000000")}});
    TSchedulePage& page = host->Page<TSchedulePage>();
    host->LoadTabList(TListKind::Calendar);
    QTreeWidget* list = page.CalendarListView;
    QCOMPARE(list->topLevelItemCount(), 3);
    // Initial order, the shown start ascending: the empty start stands between the two and
    // the later event is never reached.
    QCOMPARE(list->topLevelItem(1)->text(4), QString("other.txt"));
    AnswerBase(QDateTime(QDate(2100, 1, 1), QTime(0, 0)));
    page.SButton_CalDel->click();
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QCOMPARE(boxes.Boxes[0].Text, std::string("1 個のスケジュールが既に経過済みです。削除してもよろしいですか？"));
    // Sorted the other way the later event comes first and is the one deleted.
    list->header()->sectionClicked(2);
    QCOMPARE(list->topLevelItem(0)->text(4), QString("late.ics"));
    boxes.Answer = TMsgResult::Ok;
    AnswerBase(QDateTime(QDate(2100, 1, 1), QTime(0, 0)));
    page.SButton_CalDel->click();
    QVERIFY(!std::filesystem::exists(dir / "ipod/Calendars/late.ics"));
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/old.ics"));
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/other.txt"));
}

QTEST_MAIN(PastEntriesTest)
#include "past_entries_test.moc"
