// The to-do page. Created and owned by the main window.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QTreeWidget;
class TMainForm;

class TTodoPage : public QWidget {
    Q_OBJECT
public:
    TTodoPage(TMainForm& main, QWidget* parent = nullptr);

    void LoadTaskList();
    bool ListEmpty() const;
    QWidget* FocusList() const;

    QTreeWidget* TodoListView = nullptr;

private:
    TMainForm& FMain;
};
