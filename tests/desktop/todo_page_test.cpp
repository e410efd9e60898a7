// The to-do page: the task list, the editor, new/edit/delete and the file names of new tasks.
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include "desktop/dialogs/schedule_form.h"
#include "desktop/dialogs/todo_form.h"
#include "desktop/pages/address_page.h"
#include "desktop/pages/schedule_page.h"
#include "desktop/pages/todo_page.h"
#include "foundation/date_time.h"
#include "platform/gui/mount_watcher.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_main_window.h"
#include "tests/desktop/test_page_host.h"

using namespace harrowin;

namespace {

std::unique_ptr<TTestPageHost> TodoPlayer(const TempDir& dir,
                                          const std::vector<std::pair<std::string, std::string>>& files) {
    WriteTestPlayer(dir, "ipod", ItdbDatabase{});
    std::filesystem::create_directories(dir / "ipod/Calendars");
    for (const auto& [name, text] : files) dir.Write("ipod/Calendars/" + name, text);
    return std::make_unique<TTestPageHost>(dir, "ipod");
}

std::string Block(const std::string& block, const std::string& lines) {
    return "BEGIN:vcalender\r\nVERSION:2.0\r\nBEGIN:" + block + "\r\n" + lines + "END:" + block +
           "\r\nEND:vcalender\r\n";
}

QTreeWidgetItem* RowOf(QTreeWidget* list, const QString& file) {
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(4) == file) return list->topLevelItem(i);
    }
    return nullptr;
}

// The editor answers OK with the pickers as they are and records the due it was opened with.
struct TEditorRun {
    std::vector<QDateTime> Opened;
    std::vector<std::string> Summaries;
    std::string Summary = "新しい";
    int Result = QDialog::Accepted;
    void Attach(TTodoPage& page) {
        page.RunEditor = [this](TToDoForm& f) {
            Opened.push_back(QDateTime(f.DatePick_Start->date(), f.TimePick_Start->time()));
            Summaries.push_back(f.ComboBox_Summary->currentText().toStdString());
            f.ComboBox_Summary->setEditText(QString::fromStdString(Summary));
            return Result;
        };
    }
};

}  // namespace

class TodoPageTest : public QObject {
    Q_OBJECT
private slots:
    void listLeavesOutEvents();
    void newTasksGetTheirOwnFiles();
    void commandsByTag();
    void deleteTasks();
    void listKeepsItsRowsWhenThePlayerGoes();
    void samplePlayerOrganiser();
};

void TodoPageTest::listLeavesOutEvents() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = TodoPlayer(
        dir,
        {{"t1.ics",
          Block("vtodo", "SUMMARY:宿題\r\nDTSTART:20070320T180000\r\nDTEND:20070320T180000\r\nDESCRIPTION:数学\r\n")},
         {"due.ics", Block("vtodo", "SUMMARY:他製\r\nDUE:20070101T000000\r\n")},
         {"e.ics", Block("vevent", "SUMMARY:会議\r\nDTSTART:20070101T000000\r\n")}});
    TTodoPage& page = host->Page<TTodoPage>();
    host->LoadTabList(TListKind::ToDo);
    QTreeWidget* list = page.TodoListView;
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(host->StatusText(1), QString("Todoファイルを読み込みました"));
    QCOMPARE(list->columnWidth(1), 0);
    QTreeWidgetItem* t1 = RowOf(list, "t1.ics");
    QCOMPARE(t1->text(0), QString("宿題"));
    QCOMPARE(t1->text(2), QString("2007/03/20 18:00"));
    QCOMPARE(t1->text(3), QString("数学"));
    // A DUE line alone: the current time in the due column, and first in the initial order.
    QCOMPARE(RowOf(list, "due.ics")->text(2), QString::fromStdString(FormatDateTime("yyyy/mm/dd hh:nn", Now())));
    QCOMPARE(list->topLevelItem(0)->text(4), QString("due.ics"));
    QCOMPARE(list->property("tag").toInt(), 4);
}

void TodoPageTest::newTasksGetTheirOwnFiles() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = TodoPlayer(dir, {});
    TTodoPage& page = host->Page<TTodoPage>();
    TEditorRun run;
    run.Attach(page);
    // Double click: a new task due now; twice with the same due time gives two files.
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    page.SButton_NewVTodoClick(4);
    page.SButton_NewVTodo->click();
    QCOMPARE(run.Opened.size(), size_t(2));
    QVERIFY(run.Opened[0] >= before.addSecs(-60));
    const std::string due = VCalText(run.Opened[0].date(), run.Opened[0].time());
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir / "ipod/Calendars"))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    if (VCalText(run.Opened[1].date(), run.Opened[1].time()) == due) {
        QCOMPARE(names, (std::vector<std::string>{"t" + due + "_0.ics", "t" + due + "_1.ics"}));
    }
    const std::string text = ReadFileText(dir / "ipod/Calendars/" + names[0]);
    // The due date goes into both DTSTART and DTEND.
    QVERIFY(text.find("BEGIN:vtodo\r\n") != std::string::npos);
    QVERIFY(text.find("DTSTART:" + names[0].substr(1, 15)) != std::string::npos);
    QVERIFY(text.find("DTEND:" + names[0].substr(1, 15)) != std::string::npos);
    QVERIFY(text.find("SUMMARY:新しい") != std::string::npos);
    QCOMPARE(page.TodoListView->topLevelItemCount(), 2);
    // Cancelled: nothing written.
    run.Result = QDialog::Rejected;
    page.N21->trigger();
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir / "ipod/Calendars"), {}), 2);
}

void TodoPageTest::commandsByTag() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = TodoPlayer(
        dir, {{"t.ics", Block("vtodo", "SUMMARY:古い\r\nDTSTART:20070320T180000\r\nDTEND:20070321T090000\r\n")}});
    TTodoPage& page = host->Page<TTodoPage>();
    host->LoadTabList(TListKind::ToDo);
    TEditorRun run;
    run.Summary = "直した";
    run.Attach(page);
    page.TodoListView->topLevelItem(0)->setSelected(true);
    // The edit button edits the selected task; its due comes from DTEND.
    page.SButton_EditVTodo->click();
    QCOMPARE(run.Summaries.back(), std::string("古い"));
    QCOMPARE(run.Opened.back(), QDateTime(QDate(2007, 3, 21), QTime(9, 0)));
    const std::string text = ReadFileText(dir / "ipod/Calendars/t.ics");
    QVERIFY(text.find("DTSTART:20070321T090000") != std::string::npos);
    QVERIFY(text.find("SUMMARY:直した") != std::string::npos);
    // A double click opens a new task, not the clicked one.
    page.TodoListView->topLevelItem(0)->setSelected(true);
    run.Result = QDialog::Rejected;
    emit page.TodoListView->itemDoubleClicked(page.TodoListView->topLevelItem(0), 0);
    QCOMPARE(run.Summaries.back(), std::string());
    // Entries and buttons.
    QCOMPARE(page.N22->shortcut(), QKeySequence(Qt::Key_Return));
    QCOMPARE(page.N24->shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(page.SButton_EditVTodo->text(), QString("タスク編集 "));
    QCOMPARE(page.SButton_NewVTodo->property("tag").toInt(), 4);
    QCOMPARE(page.N25->text(), QString("期限切れタスクの削除(&L)"));
    // Edit without a selection: a new task due now.
    page.TodoListView->clearSelection();
    page.SButton_NewVTodoClick(1);
    QVERIFY(qAbs(run.Opened.back().secsTo(QDateTime::currentDateTime())) < 120);
    page.SButton_NewVTodoClick(3);
    QCOMPARE(run.Opened.size(), size_t(3));
}

void TodoPageTest::deleteTasks() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = TodoPlayer(dir, {{"sub/t.ics", Block("vtodo", "SUMMARY:a\r\nDTSTART:20070320T180000\r\n")}});
    TTodoPage& page = host->Page<TTodoPage>();
    host->LoadTabList(TListKind::ToDo);
    page.N24->trigger();
    QVERIFY(boxes.Saw("ファイルが選択されていませんので削除できません"));
    page.TodoListView->topLevelItem(0)->setSelected(true);
    boxes.Answer = TMsgResult::No;
    page.SButton_NewVTodoClick(2);
    QVERIFY(std::filesystem::exists(dir / "ipod/Calendars/sub/t.ics"));
    QVERIFY(boxes.Saw("[ sub/t.ics ]を削除してもよろしいですか？"));
    boxes.Answer = TMsgResult::Yes;
    page.SButton_NewVTodoClick(2);
    QVERIFY(!std::filesystem::exists(dir / "ipod/Calendars/sub/t.ics"));
    QCOMPARE(page.TodoListView->topLevelItemCount(), 0);
}

void TodoPageTest::listKeepsItsRowsWhenThePlayerGoes() {
    TempDir dir;
    TRecordedBoxes boxes;
    // The main window empties the other lists when the player goes.
    WriteTestPlayer(dir, "ipod", ItdbDatabase{});
    dir.Write("ipod/Calendars/t.ics", Block("vtodo", "SUMMARY:a\r\nDTSTART:20070320T180000\r\n"));
    auto form = OpenTestPlayer(dir, "ipod");
    TTodoPage& page = *form->TodoPage();
    form->LoadTabList(TListKind::ToDo);
    std::filesystem::remove_all(dir / "ipod");
    form->WMDeviceChange(TMountWatcher::kRemoveComplete);
    QCOMPARE(page.TodoListView->topLevelItemCount(), 1);
    // Without a player the commands write and delete nothing.
    TEditorRun run;
    run.Attach(page);
    page.SButton_NewVTodoClick(4);
    page.TodoListView->topLevelItem(0)->setSelected(true);
    page.SButton_NewVTodoClick(2);
    QVERIFY(!std::filesystem::exists("t.ics"));
    QVERIFY(boxes.Saw("ファイルの削除に失敗しました"));
}

void TodoPageTest::samplePlayerOrganiser() {
    const std::string sample = std::string(HARROWIN_BINARY_DIR) + "/sample-player";
    if (!std::filesystem::exists(sample + "/Calendars")) QSKIP("the sample player is not written");
    TempDir dir;
    TRecordedBoxes boxes;
    TTestPageHost host(dir, "Tessmar.INI", sample, {});
    const TAddressPage& contacts = host.Page<TAddressPage>();
    const TSchedulePage& calendar = host.Page<TSchedulePage>();
    const TTodoPage& todo = host.Page<TTodoPage>();
    // The three organiser lists of the sample player load without a message; events and
    // tasks share the folder and each list takes its own.
    host.LoadTabList(TListKind::Contacts);
    host.LoadTabList(TListKind::Calendar);
    host.LoadTabList(TListKind::ToDo);
    QVERIFY(boxes.Boxes.empty());
    QVERIFY(contacts.AddressListView->topLevelItemCount() > 0);
    QCOMPARE(todo.TodoListView->topLevelItemCount(), 3);
    QVERIFY(calendar.CalendarListView->topLevelItemCount() > 0);
    for (int i = 0; i < calendar.CalendarListView->topLevelItemCount(); ++i) {
        QVERIFY(!calendar.CalendarListView->topLevelItem(i)->text(4).startsWith("t"));
    }
}

QTEST_MAIN(TodoPageTest)
#include "todo_page_test.moc"
