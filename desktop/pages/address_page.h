// The contacts page: the contact files of the player's contacts folder (one vCard each) in a
// sortable report list, with new, edit, delete and import. Created and owned by the main window.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "desktop/pages/list_page.h"
#include "organiser/organiser_files.h"

class QAction;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace harrowin {

namespace Ui {
class TAddressPage;
}

class TAddressPage : public TListPage {
    Q_OBJECT
public:
    TAddressPage(TPageHost& host, QWidget* parent = nullptr);
    ~TAddressPage() override;

    // Refills the list from the contacts folder.
    void LoadContactList();
    void LoadList() override { LoadContactList(); }
    TIpodVCF ReadContactFile(const std::string& FileName);
    void WriteContactFile(const TIpodVCF& Contact, const std::string& FileName);
    // Runs the editor; FileName empty for a new contact. On OK writes and reloads.
    void EditContact(const std::string& FileName);
    // Deletes the selected rows' files after one question; true when confirmed.
    bool DeleteContacts();
    // The page's commands by tag: 0 new, 1 edit, 2 delete.
    void Button_AddAddressClick(int Tag);
    // The import of a contact file (a drop, or the file picked in the open-file dialog).
    void ImportFile(const std::string& path);
    void ImportContactFile(const std::string& FileName);
    // The import command: the open-file dialog with the vCard filter.
    void Button_AddrCopyClick();

    bool ListEmpty() const override;
    void ClearList();
    QWidget* FocusList() const override;
    // The contacts folder ("" without a player).
    std::string ContactsFolder() const;

    QTreeWidget* AddressListView = nullptr;
    QPushButton* SButton_AddrNew = nullptr;
    QPushButton* SButton_AddrCopy = nullptr;
    QMenu* PopupMenu_Address = nullptr;
    QAction* Edit1 = nullptr;
    QAction* N3 = nullptr;
    QAction* Delete2 = nullptr;
    QAction* N6 = nullptr;

    // Test seams: the open-file dialog (filter; "" when cancelled) and the editor, which is
    // handed the dialog before it is shown modally and answers in place of the modal run.
    std::function<std::string(const QString& Filter)> OpenFileDialog;
    std::function<void(class TAddressForm& Form)> RunEditor;

private:
    std::unique_ptr<Ui::TAddressPage> ui;
};

}  // namespace harrowin
