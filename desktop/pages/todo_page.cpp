#include "desktop/pages/todo_page.h"

#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/main_form.h"

TTodoPage::TTodoPage(TMainForm& main, QWidget* parent) : QWidget(parent), FMain(main) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    TodoListView = new QTreeWidget(this);
    TodoListView->setObjectName("TodoListView");
    layout->addWidget(TodoListView);
}

void TTodoPage::LoadTaskList() {}
bool TTodoPage::ListEmpty() const { return TodoListView->topLevelItemCount() == 0; }
QWidget* TTodoPage::FocusList() const { return TodoListView; }
