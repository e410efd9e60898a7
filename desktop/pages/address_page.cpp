#include "desktop/pages/address_page.h"

#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/main_form.h"

TAddressPage::TAddressPage(TMainForm& main, QWidget* parent) : QWidget(parent), FMain(main) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    AddressListView = new QTreeWidget(this);
    AddressListView->setObjectName("AddressListView");
    layout->addWidget(AddressListView);
}

void TAddressPage::LoadContactList() {}
void TAddressPage::ImportFile(const std::string&) {}
bool TAddressPage::ListEmpty() const { return AddressListView->topLevelItemCount() == 0; }
void TAddressPage::ClearList() { AddressListView->clear(); }
QWidget* TAddressPage::FocusList() const { return AddressListView; }
