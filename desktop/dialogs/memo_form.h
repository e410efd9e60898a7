// The note editor: one note of the player's notes folder (or a new one) as plain text, saved in
// code page 932 with CR LF line ends. Lives for one EditNote call; FSaved tells the opener to
// reload the notes list. The status panel counts the text in code page 932 bytes.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QTextEdit;

namespace harrowin {

class TTolvIPodINI;
namespace Ui {
class TMemoForm;
}

class TMemoForm : public QDialog {
    Q_OBJECT
public:
    TMemoForm(TTolvIPodINI& settings, QWidget* parent = nullptr);
    ~TMemoForm() override;

    // The editor's content from a file (empty or missing: a new note).
    void LoadNote(const std::string& FileName, const std::string& NotesFolder);
    void Menu_FileClick(int tag);
    void Menu_Edit(int tag);
    void Undo1Click(int tag);
    void MemoEditChange();
    // Writes the text to the name (code page 932, CR LF); EFileError when it cannot.
    void SaveTo(const std::string& name);
    void UpdateCaption();

    // The byte count the status panel shows: every line in code page 932 plus CR LF.
    static int64_t TextByteLength(const QString& text);

    std::string FFileName;
    bool FModified = false;
    bool FSaved = false;
    std::string FSaveName;    // the save dialog's file name
    std::string FSaveFolder;  // the save dialog's start folder
    static constexpr int kMaxChars = 4096;

    // Test seam: the save dialog (returns the chosen name, empty when cancelled). Unset: the
    // real dialog. The close question is a message box (its hook answers it in tests).
    static std::function<std::string(const std::string& name, const std::string& folder)> SaveDialogHook;

    std::unique_ptr<Ui::TMemoForm> ui;
    QTextEdit* MemoEdit = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QMenuBar* MainMenu = nullptr;
    QAction* New1 = nullptr;
    QAction* menu_SaveOW = nullptr;
    QAction* Save1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Repeat1 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QMenu* PopupMenu_memoEdit = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    std::string RunSaveDialog();

    TTolvIPodINI& FSettings;
    bool FLoading = false;
    // The most characters typing may bring the text to: kMaxChars, or the length of a longer
    // note as it was loaded.
    int FAllowedChars = kMaxChars;
    bool FShownOnce = false;
};

}  // namespace harrowin
