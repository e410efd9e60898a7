#include "desktop/pages/news_page.h"

#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/main_form.h"
#include "desktop/site_list_view.h"

TNewsPage::TNewsPage(TMainForm& main, QWidget* parent) : QWidget(parent), FMain(main) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    URLListView = new QTreeWidget(this);
    URLListView->setObjectName("URLListView");
    URLListView->setHeaderLabels({"サイト名", "URL", "最終更新"});
    URLListView->setRootIsDecorated(false);
    layout->addWidget(URLListView);
}

void TNewsPage::LoadSiteList() { FillSiteList(FMain.Settings(), URLListView); }
void TNewsPage::AddSite(int, const std::string&) {}
void TNewsPage::SButton_DownloadClick() {}
bool TNewsPage::ListEmpty() const { return URLListView->topLevelItemCount() == 0; }
void TNewsPage::ClearList() { URLListView->clear(); }
QWidget* TNewsPage::FocusList() const { return URLListView; }
