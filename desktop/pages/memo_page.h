// The notes page: the note pages on the player. Created and owned by the main window.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QTreeWidget;
class TMainForm;

class TMemoPage : public QWidget {
    Q_OBJECT
public:
    TMemoPage(TMainForm& main, QWidget* parent = nullptr);

    void LoadNotesList();
    // A dropped file imported as notes.
    void ImportFile(const std::string& path);
    bool ListEmpty() const;
    void ClearList();
    QWidget* FocusList() const;

    QTreeWidget* MemoListView = nullptr;

private:
    TMainForm& FMain;
};
