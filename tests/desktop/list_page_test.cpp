// What the list pages share: while a list loads, window messages run, and a command that
// arrives then waits for the list instead of acting on rows about to be replaced.
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "desktop/dialogs/address_form.h"
#include "desktop/dialogs/schedule_form.h"
#include "desktop/dialogs/todo_form.h"
#include "desktop/pages/address_page.h"
#include "desktop/pages/schedule_page.h"
#include "desktop/pages/todo_page.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"

using namespace harrowin;

class ListPageTest : public QObject {
    Q_OBJECT
private slots:
    void commandsWaitWhileTheListLoads();
};

void ListPageTest::commandsWaitWhileTheListLoads() {
    TempDir dir;
    TRecordedBoxes boxes;
    WriteTestPlayer(dir, "ipod", ItdbDatabase{});
    dir.Write("ipod/Contacts/a.vcf", std::string("BEGIN:vcard\r\nFN:A\r\nEND:vcard\r\n"));
    dir.Write("ipod/Calendars/e.ics", std::string("BEGIN:vcalendar\r\nBEGIN:vevent\r\nSUMMARY:e\r\n"
                                                  "DTSTART:20070315T143000\r\nEND:vevent\r\nEND:vcalendar\r\n"));
    dir.Write("ipod/Calendars/t.ics", std::string("BEGIN:vcalendar\r\nBEGIN:vtodo\r\nSUMMARY:t\r\n"
                                                  "DTSTART:20070315T143000\r\nEND:vtodo\r\nEND:vcalendar\r\n"));
    TTestPageHost host(dir, "ipod");
    TAddressPage& contacts = host.Page<TAddressPage>();
    TSchedulePage& calendar = host.Page<TSchedulePage>();
    TTodoPage& todo = host.Page<TTodoPage>();
    // Every editor the commands open writes a new file and reloads its list.
    std::vector<std::string> opened;
    contacts.RunEditor = [&](TAddressForm& f) {
        opened.push_back("contact");
        f.Button_OKClick(f.Button_OK);
    };
    calendar.RunEditor = [&](TScheduleForm& f) {
        opened.push_back("event");
        f.Button_Ok->click();
    };
    todo.RunEditor = [&](TToDoForm&) {
        opened.push_back("task");
        return int(QDialog::Accepted);
    };
    // A "new" click queued before each load reaches the page while the load lets messages run.
    const auto clickDuringLoad = [&](QPushButton* button, TListKind kind) {
        QMetaObject::invokeMethod(
            button, [button] { button->click(); }, Qt::QueuedConnection);
        host.LoadTabList(kind);
    };
    clickDuringLoad(contacts.SButton_AddrNew, TListKind::Contacts);
    clickDuringLoad(calendar.SButton_CalNew, TListKind::Calendar);
    clickDuringLoad(todo.SButton_NewVTodo, TListKind::ToDo);
    QVERIFY2(opened.empty(), opened.empty() ? "" : opened.front().c_str());
    QCOMPARE(contacts.AddressListView->topLevelItemCount(), 1);
    QCOMPARE(calendar.CalendarListView->topLevelItemCount(), 1);
    QCOMPARE(todo.TodoListView->topLevelItemCount(), 1);
    // Once the lists stand the same commands act.
    contacts.SButton_AddrNew->click();
    calendar.SButton_CalNew->click();
    todo.SButton_NewVTodo->click();
    QCOMPARE(opened, (std::vector<std::string>{"contact", "event", "task"}));
    QCOMPARE(contacts.AddressListView->topLevelItemCount(), 2);
    QCOMPARE(calendar.CalendarListView->topLevelItemCount(), 2);
    QCOMPARE(todo.TodoListView->topLevelItemCount(), 2);
}

QTEST_MAIN(ListPageTest)
#include "list_page_test.moc"
