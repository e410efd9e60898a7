#include "desktop/dialogs/memo_form.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <filesystem>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/gui/file_filter.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/window_place.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"
#include "harrowin_work/settings.h"
#include "organiser/organiser_files.h"
#include "ui_memo_form.h"

namespace harrowin {

std::function<std::string(const std::string&, const std::string&)> TMemoForm::SaveDialogHook;

namespace {

constexpr const char* kCloseQuestion = "編集結果が保存されていません。保存して閉じますか？";

QAction* MakeAction(QObject* owner, const char* name, const char* text, int tag, const QKeySequence& key = {}) {
    auto* a = new QAction(QString::fromUtf8(text), owner);
    a->setObjectName(name);
    a->setProperty("tag", tag);
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

}  // namespace

TMemoForm::TMemoForm(TTolvIPodINI& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TMemoForm>()), FSettings(settings) {
    ui->setupUi(this);
    MemoEdit = ui->MemoEdit;
    // FormCreate
    FSaved = false;
    FModified = false;

    StatusPanel0 = new QLabel("FileName", this);
    StatusPanel0->setObjectName("StatusPanel0");
    StatusPanel0->setFixedWidth(150);
    StatusPanel1 = new QLabel(this);
    StatusPanel1->setObjectName("StatusPanel1");
    StatusPanel1->setFixedWidth(50);
    StatusPanel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui->StatusBar->addWidget(StatusPanel0);
    ui->StatusBar->addWidget(StatusPanel1);

    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName("MainMenu");
    layout()->setMenuBar(MainMenu);
    QMenu* file = MainMenu->addMenu("ファイル(&F)");
    New1 = MakeAction(this, "New1", "新規作成(&N)...", 0);
    menu_SaveOW = MakeAction(this, "menu_SaveOW", "上書き保存(&S)", 1, QKeySequence("Ctrl+S"));
    Save1 = MakeAction(this, "Save1", "名前を付けて保存(&A)...", 2);
    Close1 = MakeAction(this, "Close1", "閉じる(&X)", 3, QKeySequence(Qt::Key_Escape));
    file->addActions({New1, menu_SaveOW, Save1});
    file->addSeparator();
    file->addAction(Close1);
    addActions({menu_SaveOW, Close1});
    for (QAction* a : {New1, menu_SaveOW, Save1, Close1, ui->ToolButton1, ui->ToolButton2, ui->ToolButton3}) {
        connect(a, &QAction::triggered, this, [this, a] { Menu_FileClick(a->property("tag").toInt()); });
    }

    QMenu* edit = MainMenu->addMenu("編集(&E)");
    PopupMenu_memoEdit = new QMenu(this);
    PopupMenu_memoEdit->setObjectName("PopupMenu_memoEdit");
    for (int set = 1; set <= 2; ++set) {
        QMenu* menu = set == 1 ? edit : PopupMenu_memoEdit;
        const std::string n = std::to_string(set);
        auto* undo = MakeAction(this, ("Undo" + n).c_str(), "元に戻す(&U)", 0, QKeySequence("Ctrl+Z"));
        auto* redo = MakeAction(this, ("Repeat" + n).c_str(), "やり直し(&R)", 1, QKeySequence("Ctrl+Shift+Z"));
        auto* cut = MakeAction(this, ("Cut" + n).c_str(), "切り取り(&T)", 0, QKeySequence("Ctrl+X"));
        auto* copy = MakeAction(this, ("Copy" + n).c_str(), "コピー(&C)", 1, QKeySequence("Ctrl+C"));
        auto* paste = MakeAction(this, ("Paste" + n).c_str(), "貼り付け(&P)", 2, QKeySequence("Ctrl+V"));
        // The edit's own keys do the work; the menu entries show them.
        for (QAction* a : {undo, redo, cut, copy, paste}) a->setShortcutContext(Qt::WidgetShortcut);
        menu->addActions({undo, redo});
        menu->addSeparator();
        menu->addActions({cut, copy, paste});
        for (QAction* a : {undo, redo})
            connect(a, &QAction::triggered, this, [this, a] { Undo1Click(a->property("tag").toInt()); });
        for (QAction* a : {cut, copy, paste})
            connect(a, &QAction::triggered, this, [this, a] { Menu_Edit(a->property("tag").toInt()); });
        if (set == 1) {
            Undo1 = undo;
            Repeat1 = redo;
            Cut1 = cut;
            Copy1 = copy;
            Paste1 = paste;
        }
    }
    for (QAction* a : {ui->ToolButton9, ui->ToolButton10}) {
        connect(a, &QAction::triggered, this, [this, a] { Undo1Click(a->property("tag").toInt()); });
    }
    connect(ui->MemoEdit, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_memoEdit->popup(ui->MemoEdit->viewport()->mapToGlobal(p)); });
    connect(ui->MemoEdit, &QTextEdit::textChanged, this, [this] { MemoEditChange(); });
}

TMemoForm::~TMemoForm() = default;

int64_t TMemoForm::TextByteLength(const QString& text) {
    int64_t bytes = 0;
    for (const std::string& line : SplitLines(text.toStdString())) {
        bytes += static_cast<int64_t>(encoding::Utf8ToCp932(line).size()) + 2;
    }
    return bytes;
}

void TMemoForm::LoadNote(const std::string& FileName, const std::string& NotesFolder) {
    FLoading = true;
    std::error_code ec;
    if (FileName.empty() || !std::filesystem::is_regular_file(FileName, ec)) {
        FFileName.clear();
        ui->MemoEdit->clear();
    } else {
        FFileName = FileName;
        const FileBytes bytes = ReadPlayerFile(FileName, kOrganiserFileLimit);
        const std::string text =
            encoding::Text8ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        ui->MemoEdit->setPlainText(QString::fromStdString(text));
    }
    FLoading = false;
    FAllowedChars = static_cast<int>(std::max<qsizetype>(ui->MemoEdit->toPlainText().size(), kMaxChars));
    FModified = false;
    FSaveName = FFileName;
    FSaveFolder = NotesFolder;
    UpdateCaption();
}

void TMemoForm::UpdateCaption() {
    setWindowTitle(QString::fromStdString("メモの編集 - [ " + ReadableFileName(FFileName) + " ]"));
}

void TMemoForm::MemoEditChange() {
    QTextEdit* edit = ui->MemoEdit;
    // Typing stops at kMaxChars characters: what goes beyond is dropped where it was typed. The
    // limit is for typing only: a note that was longer when it was opened loads whole, and may
    // be edited as long as it grows no longer than it was.
    const qsizetype length = edit->toPlainText().size();
    if (FLoading) FAllowedChars = static_cast<int>(std::max<qsizetype>(length, kMaxChars));
    const qsizetype allowed = std::max<qsizetype>(kMaxChars, FAllowedChars);
    if (length > allowed) {
        QTextCursor cursor = edit->textCursor();
        const int extra = static_cast<int>(length - allowed);
        const QSignalBlocker block(edit);
        for (int i = 0; i < extra; ++i) {
            if (cursor.position() > 0) {
                cursor.deletePreviousChar();
            } else {
                cursor.movePosition(QTextCursor::End);
                cursor.deletePreviousChar();
            }
        }
        edit->setTextCursor(cursor);
    }
    StatusPanel0->setText(QString("%1 words ").arg(TextByteLength(edit->toPlainText())));
    if (!FLoading) FModified = true;
}

void TMemoForm::SaveTo(const std::string& name) {
    const std::vector<std::string> lines = SplitLines(ui->MemoEdit->toPlainText().toStdString());
    // Inside the player's notes folder no linked folder is written through; a place the user
    // picked elsewhere is the user's own choice, a linked home folder included.
    const bool inNotes = !FSaveFolder.empty() && PathInside(WithTrailingSlash(FSaveFolder), name);
    WriteWholeFile(name, encoding::Utf8ToCp932(JoinLines(lines)), inNotes ? TFolderLink::Refuse : TFolderLink::Follow);
    FFileName = name;
    FModified = false;
    FSaved = true;
}

std::string TMemoForm::RunSaveDialog() {
    if (SaveDialogHook) return SaveDialogHook(FSaveName, FSaveFolder);
    const QString start = QString::fromStdString(FSaveName.empty() ? FSaveFolder : FSaveName);
    const QString filter = QString::fromStdString(QtFileFilter("全てのファイル(*.*)|*.*"));
    return QFileDialog::getSaveFileName(this, QString(), start, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite | kFilterTextsOnly)
        .toStdString();
}

void TMemoForm::Menu_FileClick(int tag) {
    try {
        switch (tag) {
            case 0:
                if (ConfirmWarning(this, "今までの編集結果が消去されますがよろしいですか？")) {
                    FLoading = true;
                    ui->MemoEdit->clear();
                    FLoading = false;
                    FFileName.clear();
                    FSaveName.clear();
                    FModified = false;
                }
                break;
            case 1:
            case 2: {
                if (!FSaveName.empty() && tag == 1) {
                    SaveTo(FSaveName);
                    break;
                }
                const std::string name = RunSaveDialog();
                if (name.empty()) break;
                std::error_code ec;
                if (std::filesystem::exists(name, ec) &&
                    !ConfirmWarning(this, "同名のファイルが存在します。上書きしてもよろしいですか？")) {
                    return;
                }
                SaveTo(name);
                // Kept only once written: a name that failed (a folder that is gone, a full
                // disk) would otherwise be retried by every later save, never asking again.
                FSaveName = name;
                break;
            }
            case 3: close(); return;
            default: break;
        }
    } catch (const ETolvError& e) {
        ShowMessage(this, e.Message());
    }
    UpdateCaption();
}

void TMemoForm::Menu_Edit(int tag) {
    switch (tag) {
        case 0: ui->MemoEdit->cut(); break;
        case 1: ui->MemoEdit->copy(); break;
        case 2: ui->MemoEdit->paste(); break;
        default: break;
    }
}

void TMemoForm::Undo1Click(int tag) {
    // The edit keeps a history of many steps, so "やり直し" is its redo rather than a second
    // undo (which would only take back one more change).
    if (tag == 0) {
        ui->MemoEdit->undo();
    } else if (tag == 1) {
        ui->MemoEdit->redo();
    }
}

void TMemoForm::showEvent(QShowEvent* event) {
    if (!FShownOnce) {
        FShownOnce = true;
        const auto& p = FSettings.Positions;
        RestoreWindowPlace(*this, p.TView_X, p.TView_Y, p.TView_W, p.TView_H);
    }
    QDialog::showEvent(event);
}

void TMemoForm::closeEvent(QCloseEvent* event) {
    if (FModified) {
        switch (AskWarningYesNoCancel(this, kCloseQuestion)) {
            case TMsgResult::Yes:
                Menu_FileClick(1);
                // A save that failed, was cancelled in its dialog or refused to overwrite keeps
                // the window (and the text) open.
                if (FModified) {
                    event->ignore();
                    return;
                }
                break;
            case TMsgResult::No: break;
            default: event->ignore(); return;
        }
    }
    auto& p = FSettings.Positions;
    const QRect place = StoredWindowPlace(*this);
    p.TView_X = place.x();
    p.TView_Y = place.y();
    p.TView_W = place.width();
    p.TView_H = place.height();
    event->accept();
    done(QDialog::Accepted);
}

void TMemoForm::reject() { close(); }

}  // namespace harrowin
