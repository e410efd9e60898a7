// The to-do page: the to-do files of the player's calendars folder in a sortable report list,
// with new, edit, delete and the removal of expired tasks. The list keeps its rows when the
// player goes; only its own commands reload it. Created and owned by the main window.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "desktop/pages/list_page.h"
#include "foundation/date_time.h"
#include "organiser/organiser_files.h"

class QAction;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace harrowin {

class TToDoForm;
namespace Ui {
class TTodoPage;
}

class TTodoPage : public TListPage {
    Q_OBJECT
public:
    TTodoPage(TPageHost& host, QWidget* parent = nullptr);
    ~TTodoPage() override;

    // Refills the list; event files are left out. EConvertError from a start that is no
    // date-time ends the loading at that file.
    void LoadTaskList();
    void LoadList() override { LoadTaskList(); }
    TVTodoObj ReadTaskFile(const std::string& FileName);
    void WriteTaskFile(const TVTodoObj& Task, const std::string& FileName);
    // Runs the editor; FileName empty for a new task, DefaultDate 0 for none.
    void EditTask(const std::string& FileName, TDateTime DefaultDate);
    bool DeleteTasks();
    // The removal of expired tasks (the to-do page's tag 1 of the removal command).
    void RemoveExpiredTasks();
    // The to-do commands by tag: 0 new, 1 edit (new due now without a selection), 2 delete,
    // 4 new due now.
    void SButton_NewVTodoClick(int Tag);

    bool ListEmpty() const override;
    QWidget* FocusList() const override;
    std::string CalendarsFolder() const;

    QTreeWidget* TodoListView = nullptr;
    QPushButton* SButton_NewVTodo = nullptr;
    QPushButton* SButton_EditVTodo = nullptr;
    QPushButton* SButton_DeleteVTodo = nullptr;
    QMenu* PopupMenu_Todo = nullptr;
    QAction* N22 = nullptr;
    QAction* N21 = nullptr;
    QAction* N24 = nullptr;
    QAction* N25 = nullptr;

    // Test seam: the editor's modal run; answers the dialog's result.
    std::function<int(TToDoForm& Form)> RunEditor;

private:
    std::unique_ptr<Ui::TTodoPage> ui;
};

}  // namespace harrowin
