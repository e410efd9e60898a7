#include "desktop/pages/memo_page.h"

#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/main_form.h"

TMemoPage::TMemoPage(TMainForm& main, QWidget* parent) : QWidget(parent), FMain(main) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    MemoListView = new QTreeWidget(this);
    MemoListView->setObjectName("MemoListView");
    layout->addWidget(MemoListView);
}

void TMemoPage::LoadNotesList() {}
void TMemoPage::ImportFile(const std::string&) {}
bool TMemoPage::ListEmpty() const { return MemoListView->topLevelItemCount() == 0; }
void TMemoPage::ClearList() { MemoListView->clear(); }
QWidget* TMemoPage::FocusList() const { return MemoListView; }
