// The to-do page: the to-do files of the player's calendars folder in a sortable report list,
// with new, edit, delete and the removal of expired tasks. The list keeps its rows when the
// player goes; only its own commands reload it. Created and owned by the main window.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "foundation/date_time.h"
#include "organiser/organiser_files.h"

class QAction;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TMainForm;
class TToDoForm;
namespace Ui { class TTodoPage; }

class TTodoPage : public QWidget {
    Q_OBJECT
public:
    TTodoPage(TMainForm& main, QWidget* parent = nullptr);
    ~TTodoPage() override;

    // Refills the list (kind 5 of LoadTabList); event files are left out. EConvertError from a
    // start that is no date-time ends the loading at that file.
    void LoadTaskList();
    TVTodoObj ReadTaskFile(const std::string& FileName);
    void WriteTaskFile(const TVTodoObj& Task, const std::string& FileName);
    // Runs the editor; FileName empty for a new task, DefaultDate 0 for none.
    void EditTask(const std::string& FileName, TDateTime DefaultDate);
    bool DeleteTasks();
    // The to-do commands by tag: 0 new, 1 edit (new due now without a selection), 2 delete,
    // 4 new due now.
    void SButton_NewVTodoClick(int Tag);

    bool ListEmpty() const;
    QWidget* FocusList() const;
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
    TMainForm& FMain;
    std::unique_ptr<Ui::TTodoPage> ui;
};
