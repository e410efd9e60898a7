// The notes page: every note file under the player's notes folder (sub-folders included), the
// note editor, new notes, deleting notes and importing text files. Created and owned by the
// main window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "desktop/pages/list_page.h"

class QAction;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace harrowin {

namespace Ui {
class TMemoPage;
}

// One row of the notes list: name, size (bytes, formatted), folder relative to the notes
// folder ending in "/" (empty directly in it), and the head of the first line.
struct TNoteRow {
    std::string Name, Size, Folder, Head;
};
// The row of a file found under the notes folder (which ends in "/"). EFileError when the
// file cannot be read.
TNoteRow MakeNoteRow(const std::string& notesFolder, const std::string& path);
// The first 16 code page 932 bytes of a note's first line (never half a character), trimmed.
std::string NoteHead(const std::string& fileBytes);

class TMemoPage : public TListPage {
    Q_OBJECT
public:
    TMemoPage(TPageHost& host, QWidget* parent = nullptr);
    ~TMemoPage() override;

    void LoadNotesList();
    void LoadList() override { LoadNotesList(); }
    // A dropped file imported as notes.
    void ImportFile(const std::string& path);
    void Button_MemoEditClick(int tag);
    void EditNote(const std::string& FileName);
    bool DeleteNotes();
    // The notes folder of the player (ends in "/"; empty without a player).
    std::string NotesFolder() const;
    // The full path of a row.
    std::string RowPath(int row) const;
    bool ListEmpty() const override;
    void ClearList();
    QWidget* FocusList() const override;

    QTreeWidget* MemoListView = nullptr;
    QPushButton* SButton_MemoNew = nullptr;
    QPushButton* SButton_MemoImport = nullptr;
    QMenu* PopupMenu_MemoList = nullptr;
    QAction* PM_MemoEdit = nullptr;
    QAction* PM_MemoNew = nullptr;
    QAction* PM_MemoDelete = nullptr;
    QAction* PM_MemoImport = nullptr;

protected:
    // A double click anywhere on the list, on a row or not.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetupMenu();
    void ImportClick();

    std::unique_ptr<Ui::TMemoPage> ui;
};

}  // namespace harrowin
