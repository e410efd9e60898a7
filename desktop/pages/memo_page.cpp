#include "desktop/pages/memo_page.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "desktop/dialogs/memo_form.h"
#include "desktop/imports.h"
#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "desktop/report_list_sort.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_read.h"
#include "foundation/gui/message_box.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "harrowin_work/language_table.h"
#include "harrowin_work/player_access.h"
#include "ui_memo_page.h"

namespace harrowin {

namespace {

// The list shows 16 bytes of a note's first line: this much of the file is read (bytes), so a
// note of any size lists at once.
constexpr uint64_t kNoteHeadLimit = 4096;

// A line cut where the read stopped may end inside a UTF-8 character: the cut character goes,
// so that the line still reads as UTF-8 rather than as code page 932.
std::string WithoutCutCharacter(const std::string& line) {
    if (encoding::IsValidUtf8(line)) return line;
    for (size_t drop = 1; drop <= 3 && drop < line.size(); ++drop) {
        const std::string kept = line.substr(0, line.size() - drop);
        if (encoding::IsValidUtf8(kept)) return kept;
    }
    return line;
}

}  // namespace

std::string NoteHead(const std::string& fileBytes) {
    const size_t end = fileBytes.find_first_of("\r\n");
    const std::string line = encoding::Text8ToUtf8(fileBytes.substr(0, end));
    const std::string sjis = encoding::Utf8ToCp932(line);
    size_t take = 0;
    while (take < sjis.size()) {
        const size_t step = encoding::IsSjisLeadByte(static_cast<uint8_t>(sjis[take])) ? 2 : 1;
        if (take + step > 16) break;
        take += step;
    }
    return encoding::Trim(encoding::Cp932ToUtf8(sjis.substr(0, std::min(take, sjis.size()))));
}

TNoteRow MakeNoteRow(const std::string& notesFolder, const std::string& path) {
    TNoteRow row;
    row.Name = FileNameOf(path);
    const std::string folder = FolderPartOf(path);
    row.Folder = folder.starts_with(notesFolder) ? folder.substr(notesFolder.size()) : folder;
    row.Size = Format("%.0n", {static_cast<double>(GetFileSize64(path))});
    const FileBytes bytes = ReadPlayerFilePart(path, 0, kNoteHeadLimit);
    std::string head(bytes.begin(), bytes.end());
    if (head.size() == kNoteHeadLimit && head.find_first_of("\r\n") == std::string::npos)
        head = WithoutCutCharacter(head);
    row.Head = NoteHead(head);
    return row;
}

TMemoPage::TMemoPage(TPageHost& host, QWidget* parent)
    : TListPage(host, TListKind::Notes, parent), ui(std::make_unique<Ui::TMemoPage>()) {
    ui->setupUi(this);
    MemoListView = ui->MemoListView;
    SButton_MemoNew = ui->SButton_MemoNew;
    SButton_MemoImport = ui->SButton_MemoImport;
    MemoListView->header()->setSectionsClickable(false);
    MemoListView->setColumnWidth(0, 150);
    MemoListView->setColumnWidth(1, 70);
    MemoListView->setColumnWidth(2, 100);
    ApplyReportListLook(*MemoListView);
    connect(SButton_MemoNew, &QPushButton::clicked, this, [this] { Button_MemoEditClick(1); });
    connect(SButton_MemoImport, &QPushButton::clicked, this, [this] { ImportClick(); });
    MemoListView->viewport()->installEventFilter(this);
    SetupMenu();
}

TMemoPage::~TMemoPage() = default;

void TMemoPage::SetupMenu() {
    PopupMenu_MemoList = new QMenu(this);
    PopupMenu_MemoList->setObjectName("PopupMenu_MemoList");
    PM_MemoEdit = MenuAction(this, PopupMenu_MemoList, "PM_MemoEdit", "編集(&E)...", 0,
                             {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    PM_MemoNew = MenuAction(this, PopupMenu_MemoList, "PM_MemoNew", "新規メモを作成(&N)", 1, {QKeySequence("Ctrl+N")});
    PM_MemoDelete =
        MenuAction(this, PopupMenu_MemoList, "PM_MemoDelete", "削除(&D)", 2, {QKeySequence(Qt::Key_Delete)});
    PopupMenu_MemoList->addSeparator();
    PM_MemoImport = MenuAction(this, PopupMenu_MemoList, "PM_MemoImport", "テキストファイルを取り込む(&I)...", 0,
                               {QKeySequence(Qt::Key_F9)});
    MemoListView->addActions({PM_MemoEdit, PM_MemoNew, PM_MemoDelete, PM_MemoImport});
    for (QAction* a : {PM_MemoEdit, PM_MemoNew, PM_MemoDelete}) {
        connect(a, &QAction::triggered, this, [this, a] { Button_MemoEditClick(a->property("tag").toInt()); });
    }
    connect(PM_MemoImport, &QAction::triggered, this, [this] { ImportClick(); });
    connect(MemoListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_MemoList->popup(MemoListView->viewport()->mapToGlobal(p)); });
}

std::string TMemoPage::NotesFolder() const {
    const std::string notes = CheckerOf(FHost.Player()).NotesPath;
    return notes.empty() ? std::string() : WithTrailingSlash(notes);
}

std::string TMemoPage::RowPath(int row) const {
    const QTreeWidgetItem* item = MemoListView->topLevelItem(row);
    if (!item) return {};
    return NotesFolder() + RowFile(*item, 2) + RowFile(*item, 0);
}

void TMemoPage::LoadNotesList() {
    const TListLoad load(*this);
    if (!load.Started()) return;
    const std::string notes = NotesFolder();
    std::vector<std::string> files;
    if (!notes.empty()) FHost.Player().ListFolder(TrimmedWithoutTrailingSlash(notes), files);
    MemoListView->clear();
    const std::string unread = ReadEachFile(files, [&](const std::string& path) {
        const TNoteRow row = MakeNoteRow(notes, path);
        auto* item = new QTreeWidgetItem(MemoListView);
        SetRowFile(*item, 0, row.Name);
        item->setText(1, QString::fromStdString(row.Size));
        SetRowFile(*item, 2, row.Folder);
        item->setText(3, QString::fromStdString(row.Head));
    });
    FHost.SetStatusText(1, QString::fromStdString(FHost.Lang().Text("MSG_LOAD_NOTE")));
    TellUnreadFiles(unread);
}

void TMemoPage::ImportFile(const std::string& path) { harrowin::ImportFile(FHost, path, 0); }

void TMemoPage::ImportClick() {
    if (!ListLoading()) Button_MemoInputClick(FHost, 0);
}

void TMemoPage::Button_MemoEditClick(int tag) {
    if (ListLoading()) return;
    const QList<QTreeWidgetItem*> selected = MemoListView->selectedItems();
    // The row edited is the first selected one in list order, whatever order they were picked in.
    int first = -1;
    for (QTreeWidgetItem* item : selected) {
        const int row = MemoListView->indexOfTopLevelItem(item);
        if (first < 0 || row < first) first = row;
    }
    switch (tag) {
        case 0: EditNote(first < 0 ? std::string() : RowPath(first)); break;
        case 1: EditNote(std::string()); break;
        case 2:
            if (selected.isEmpty()) {
                ShowMessage(FHost.DialogParent(), "ファイルが選択されていませんので削除できません");
            } else if (DeleteNotes()) {
                FHost.LoadTabList(TListKind::Notes);
            }
            break;
        default: break;
    }
}

void TMemoPage::EditNote(const std::string& FileName) {
    bool saved = false;
    {
        TMemoForm form(FHost.Settings(), FHost.DialogParent());
        try {
            form.LoadNote(FileName, NotesFolder());
        } catch (const ETolvError& e) {
            ShowMessage(FHost.DialogParent(), e.Message());
            return;
        }
        form.exec();
        saved = form.FSaved;
    }
    if (saved) FHost.LoadTabList(TListKind::Notes);
}

bool TMemoPage::DeleteNotes() {
    // Rows in list order, whatever order they were selected in.
    std::vector<int> rows;
    for (int i = 0; i < MemoListView->topLevelItemCount(); ++i) {
        if (MemoListView->topLevelItem(i)->isSelected()) rows.push_back(i);
    }
    if (rows.empty()) return false;
    std::string s = MemoListView->topLevelItem(rows.front())->text(0).toStdString();
    if (rows.size() > 1) s = "\"" + s + "\"を含む複数の選択されたファイル";
    if (!ConfirmWarning(FHost.DialogParent(), "[ " + s + " ]を削除してもよろしいですか？")) return false;
    for (int row : rows) {
        if (!DeleteFileForced(RowPath(row))) ShowMessage(FHost.DialogParent(), "ファイルの削除に失敗しました");
    }
    try {
        FHost.Player().DeleteEmptyFolders(TrimmedWithoutTrailingSlash(NotesFolder()));
    } catch (const ETolvError& e) {
        ShowMessage(FHost.DialogParent(), e.Message());
    }
    return true;
}

bool TMemoPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MemoListView->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        Button_MemoEditClick(0);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TMemoPage::ListEmpty() const { return MemoListView->topLevelItemCount() == 0; }
void TMemoPage::ClearList() { MemoListView->clear(); }
QWidget* TMemoPage::FocusList() const { return MemoListView; }

}  // namespace harrowin
