// The contact editor: twelve fixed rows of field names and values; a row's value is changed in
// a one-line input box. FOk tells whether the dialog was closed with OK.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "organiser/organiser_files.h"

class QAction;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace harrowin {

namespace Ui {
class TAddressForm;
}

class TAddressForm : public QDialog {
    Q_OBJECT
public:
    explicit TAddressForm(QWidget* parent = nullptr);
    ~TAddressForm() override;

    void SetContact(const TIpodVCF& Contact);
    TIpodVCF GetContact() const;

    // Edits the selected row's value through the input box.
    void Button_EditClick();
    // Sender's tag 1 accepts, anything else rejects; closes the dialog.
    void Button_OKClick(QObject* Sender);

    bool FOk = false;
    QTreeWidget* DataListView = nullptr;
    QPushButton* Button_Edit = nullptr;
    QPushButton* Button_OK = nullptr;
    QPushButton* Button_Cancel = nullptr;
    QMenu* PopupMenu_edit = nullptr;
    QAction* Edit1 = nullptr;

    // Test seam: the input box (caption, prompt, preset text; false when cancelled).
    std::function<bool(const QString& Caption, const QString& Prompt, QString& Text)> InputQuery;

private:
    std::unique_ptr<Ui::TAddressForm> ui;
};

}  // namespace harrowin
