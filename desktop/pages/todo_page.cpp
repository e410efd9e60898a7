#include "desktop/pages/todo_page.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "desktop/dialogs/del_cal_form.h"
#include "desktop/dialogs/schedule_form.h"
#include "desktop/dialogs/todo_form.h"
#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "desktop/report_list_sort.h"
#include "foundation/errors.h"
#include "foundation/gui/message_box.h"
#include "foundation/paths.h"
#include "harrowin_work/past_entries.h"
#include "harrowin_work/player_access.h"
#include "ui_todo_page.h"

namespace harrowin {

namespace {

constexpr int kListTag = 4;

}  // namespace

TTodoPage::TTodoPage(TPageHost& host, QWidget* parent)
    : TListPage(host, TListKind::ToDo, parent), ui(std::make_unique<Ui::TTodoPage>()) {
    ui->setupUi(this);
    TodoListView = ui->TodoListView;
    SButton_NewVTodo = ui->SButton_NewVTodo;
    SButton_EditVTodo = ui->SButton_EditVTodo;
    SButton_DeleteVTodo = ui->SButton_DeleteVTodo;

    const int widths[5] = {150, 0, 120, 140, 100};
    for (int c = 0; c < 5; ++c) TodoListView->setColumnWidth(c, widths[c]);
    TodoListView->header()->setMinimumSectionSize(0);
    SetupSortableReportList(*TodoListView, FHost.SortState(kListTag));

    PopupMenu_Todo = new QMenu(this);
    PopupMenu_Todo->setObjectName("PopupMenu_Todo");
    N22 = MenuAction(this, PopupMenu_Todo, "N22", "タスクの編集(&E)...", 1,
                     {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    N21 = MenuAction(this, PopupMenu_Todo, "N21", "タスクの新規追加(&A)", 0);
    PopupMenu_Todo->addSeparator();
    N24 = MenuAction(this, PopupMenu_Todo, "N24", "タスクの削除(&D)", 2, {QKeySequence(Qt::Key_Delete)});
    // The entry's caption names the removal of expired tasks, so it runs that removal (the
    // to-do page's tag 1 of the removal command).
    N25 = MenuAction(this, PopupMenu_Todo, "N25", "期限切れタスクの削除(&L)", 1);
    TodoListView->addActions({N22, N24});
    for (QAction* a : {N22, N21, N24}) {
        connect(a, &QAction::triggered, this, [this, a] { SButton_NewVTodoClick(a->property("tag").toInt()); });
    }
    connect(N25, &QAction::triggered, this, [this] { RemoveExpiredTasks(); });
    connect(TodoListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_Todo->popup(TodoListView->viewport()->mapToGlobal(p)); });
    connect(TodoListView, &QTreeWidget::itemDoubleClicked, this, [this] { SButton_NewVTodoClick(kListTag); });
    connect(SButton_NewVTodo, &QPushButton::clicked, this, [this] { SButton_NewVTodoClick(4); });
    connect(SButton_EditVTodo, &QPushButton::clicked, this, [this] { SButton_NewVTodoClick(1); });
    connect(SButton_DeleteVTodo, &QPushButton::clicked, this, [this] { RemoveExpiredTasks(); });
}

TTodoPage::~TTodoPage() = default;

bool TTodoPage::ListEmpty() const { return TodoListView->topLevelItemCount() == 0; }
QWidget* TTodoPage::FocusList() const { return TodoListView; }
std::string TTodoPage::CalendarsFolder() const { return CheckerOf(FHost.Player()).CalendarsPath; }

void TTodoPage::LoadTaskList() {
    const TListLoad load(*this);
    if (!load.Started()) return;
    const std::string folder = CalendarsFolder();
    std::vector<std::string> files;
    if (!folder.empty()) FHost.Player().ListFolder(folder, files);
    TodoListView->clear();
    TodoListView->setColumnWidth(1, 0);
    const std::string unread = ReadEachFile(files, [&](const std::string& file) {
        const TTolvVTodo todo(file);
        if (todo.IndexOfKeyValue("begin", "vevent") < 1) AddCalendarRow(*TodoListView, todo, folder, file);
    });
    SortByState(*TodoListView, FHost.SortState(kListTag));
    FHost.SetStatusText(1, "Todoファイルを読み込みました");
    TellUnreadFiles(unread);
}

TVTodoObj TTodoPage::ReadTaskFile(const std::string& FileName) {
    TVTodoObj task;
    TTolvVTodo(FileName).ReadTask(task);
    return task;
}

void TTodoPage::WriteTaskFile(const TVTodoObj& Task, const std::string& FileName) {
    TTolvVTodo todo(FileName);
    todo.WriteTask(Task);
    todo.Save();
}

void TTodoPage::EditTask(const std::string& FileNameIn, TDateTime DefaultDate) {
    std::string FileName = FileNameIn;
    TToDoForm form(FHost.DialogParent());
    if (!FileName.empty() && EntryExists(FileName)) form.SetTask(ReadTaskFile(FileName));
    if (DefaultDate != 0) {
        SetPicker(form.DatePick_Start, DefaultDate);
        SetPicker(form.TimePick_Start, DefaultDate);
    }
    const int result = RunEditor ? RunEditor(form) : form.exec();
    if (result != QDialog::Accepted) return;
    const TVTodoObj task = form.GetTask();
    if (FileName.empty()) {
        const std::string folder = WithTrailingSlash(CalendarsFolder());
        // Without a player there is no folder to write into.
        if (folder.empty()) return;
        FileName = MakeTaskFileName(folder, task.Due) + ".ics";
    }
    WriteTaskFile(task, FileName);
    FHost.LoadTabList(TListKind::ToDo);
}

void TTodoPage::RemoveExpiredTasks() {
    if (!ListLoading()) SButton_CalDelClick(FHost, *TodoListView, 1);
}

bool TTodoPage::DeleteTasks() { return DeleteSelectedFiles(FHost.DialogParent(), *TodoListView, 4, CalendarsFolder()); }

void TTodoPage::SButton_NewVTodoClick(int Tag) {
    if (ListLoading()) return;
    try {
        QTreeWidgetItem* selected = FirstSelected(*TodoListView);
        switch (Tag) {
            case 0: EditTask({}, 0); break;
            case 1:
                if (selected) {
                    EditTask(FileInFolder(CalendarsFolder(), RowFile(*selected, 4)), 0);
                } else {
                    EditTask({}, Now());
                }
                break;
            case 2:
                if (selected) {
                    if (DeleteTasks()) FHost.LoadTabList(TListKind::ToDo);
                } else {
                    ShowMessage(FHost.DialogParent(), "ファイルが選択されていませんので削除できません");
                }
                break;
            case 4: EditTask({}, Now()); break;
            default: break;
        }
    } catch (const ETolvError& e) {
        ShowMessage(FHost.DialogParent(), e.Message());
    }
}

}  // namespace harrowin
