#include "desktop/pages/address_page.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "desktop/dialogs/address_form.h"
#include "desktop/imports.h"
#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "desktop/report_list_sort.h"
#include "foundation/errors.h"
#include "foundation/gui/message_box.h"
#include "foundation/paths.h"
#include "harrowin_work/language_table.h"
#include "harrowin_work/past_entries.h"
#include "harrowin_work/player_access.h"
#include "ui_address_page.h"

namespace harrowin {

namespace {

constexpr int kListTag = 5;

}  // namespace

TAddressPage::TAddressPage(TPageHost& host, QWidget* parent)
    : TListPage(host, TListKind::Contacts, parent), ui(std::make_unique<Ui::TAddressPage>()) {
    ui->setupUi(this);
    AddressListView = ui->AddressListView;
    SButton_AddrNew = ui->SButton_AddrNew;
    SButton_AddrCopy = ui->SButton_AddrCopy;
    AddressListView->setProperty("tag", kListTag);
    AddressListView->setColumnWidth(0, 130);
    AddressListView->setColumnWidth(1, 130);
    AddressListView->setColumnWidth(2, 245);
    SetupSortableReportList(*AddressListView, FHost.SortState(kListTag));

    PopupMenu_Address = new QMenu(this);
    PopupMenu_Address->setObjectName("PopupMenu_Address");
    Edit1 = MenuAction(this, PopupMenu_Address, "Edit1", "編集(&E)...", 1,
                       {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    N3 = MenuAction(this, PopupMenu_Address, "N3", "新規名刺を作成(&N)", 1, {QKeySequence("Ctrl+N")});
    PopupMenu_Address->addSeparator();
    Delete2 = MenuAction(this, PopupMenu_Address, "Delete2", "削除(&D)", 2, {QKeySequence(Qt::Key_Delete)});
    PopupMenu_Address->addSeparator();
    N6 = MenuAction(this, PopupMenu_Address, "N6", "名刺(vCard)を取り込む(&I)...", 1);
    AddressListView->addActions({Edit1, N3, Delete2});
    for (QAction* a : {Edit1, N3, Delete2}) {
        connect(a, &QAction::triggered, this, [this, a] { Button_AddAddressClick(a->property("tag").toInt()); });
    }
    connect(N6, &QAction::triggered, this, [this] { Button_AddrCopyClick(); });
    connect(SButton_AddrNew, &QPushButton::clicked, this, [this] { Button_AddAddressClick(0); });
    connect(SButton_AddrCopy, &QPushButton::clicked, this, [this] { Button_AddrCopyClick(); });
    // A double click reaches the command handler with the list's own tag, which names no
    // command.
    connect(AddressListView, &QTreeWidget::itemDoubleClicked, this, [this] { Button_AddAddressClick(kListTag); });
    connect(AddressListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_Address->popup(AddressListView->viewport()->mapToGlobal(p)); });
}

TAddressPage::~TAddressPage() = default;

bool TAddressPage::ListEmpty() const { return AddressListView->topLevelItemCount() == 0; }
void TAddressPage::ClearList() { AddressListView->clear(); }
QWidget* TAddressPage::FocusList() const { return AddressListView; }

std::string TAddressPage::ContactsFolder() const { return CheckerOf(FHost.Player()).ContactsPath; }

void TAddressPage::LoadContactList() {
    const TListLoad load(*this);
    if (!load.Started()) return;
    const std::string folder = ContactsFolder();
    std::vector<std::string> files;
    if (!folder.empty()) FHost.Player().ListFolder(folder, files);
    AddressListView->clear();
    const std::string unread = ReadEachFile(files, [&](const std::string& file) {
        const TTolvVCF vcf(file);
        auto* row =
            new TReportListItem(AddressListView, QStringList{QString(), QString::fromStdString(vcf.GetValue("FN")),
                                                             QString::fromStdString(vcf.GetValue("NOTE"))});
        SetRowFile(*row, 0, RelativeToFolder(folder, file));
    });
    SortByState(*AddressListView, FHost.SortState(kListTag));
    FHost.SetStatusText(1, QString::fromStdString(FHost.Lang().Text("MSG_LOAD_ADDR")));
    TellUnreadFiles(unread);
}

TIpodVCF TAddressPage::ReadContactFile(const std::string& FileName) {
    TIpodVCF contact;
    TTolvVCF(FileName).ReadContact(contact);
    return contact;
}

void TAddressPage::WriteContactFile(const TIpodVCF& Contact, const std::string& FileName) {
    TTolvVCF vcf(FileName);
    vcf.WriteContact(Contact);
    vcf.Save();
}

void TAddressPage::EditContact(const std::string& FileNameIn) {
    std::string FileName = FileNameIn;
    TAddressForm form(FHost.DialogParent());
    if (!FileName.empty() && EntryExists(FileName)) form.SetContact(ReadContactFile(FileName));
    if (RunEditor) {
        RunEditor(form);
    } else {
        form.exec();
    }
    if (!form.FOk) return;
    const TIpodVCF contact = form.GetContact();
    if (FileName.empty()) FileName = NewContactFileName(WithTrailingSlash(ContactsFolder()), contact.FN);
    WriteContactFile(contact, FileName);
    FHost.LoadTabList(TListKind::Contacts);
}

bool TAddressPage::DeleteContacts() {
    return DeleteSelectedFiles(FHost.DialogParent(), *AddressListView, 0, ContactsFolder());
}

void TAddressPage::Button_AddAddressClick(int Tag) {
    if (ListLoading()) return;
    try {
        const bool selected = FirstSelected(*AddressListView) != nullptr;
        switch (Tag) {
            case 0: EditContact({}); break;
            case 1:
                if (selected) {
                    QTreeWidgetItem* row = FirstSelected(*AddressListView);
                    EditContact(FileInFolder(ContactsFolder(), RowFile(*row, 0)));
                } else {
                    EditContact({});
                }
                break;
            case 2:
                if (selected) {
                    if (DeleteContacts()) FHost.LoadTabList(TListKind::Contacts);
                } else {
                    ShowMessage(FHost.DialogParent(), "ファイルが選択されていませんので削除できません");
                }
                break;
            default: break;
        }
    } catch (const ETolvError& e) {
        ShowMessage(FHost.DialogParent(), e.Message());
    }
}

void TAddressPage::ImportFile(const std::string& path) { ImportContactFile(path); }

void TAddressPage::ImportContactFile(const std::string& FileName) { harrowin::ImportContactFile(FHost, FileName); }

void TAddressPage::Button_AddrCopyClick() {
    if (ListLoading()) return;
    const std::string name =
        OpenFileDialog ? OpenFileDialog(QString::fromStdString(ImportFilterForQt(1))) : AskImportFileName(FHost, 1);
    if (!name.empty()) ImportFile(name);
}

}  // namespace harrowin
