#include "desktop/site_list_view.h"

#include <QTreeWidget>

#include "harrowin_work/settings.h"

namespace harrowin {

QTreeWidgetItem* AddSiteRow(QTreeWidget* view, const TSiteRow& row) {
    auto* item = new QTreeWidgetItem(view);
    item->setText(0, QString::fromStdString(row.Name));
    item->setText(1, QString::fromStdString(row.Address));
    item->setText(2, QString::fromStdString(row.LastUpdate));
    item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
    item->setCheckState(0, row.Checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

void FillSiteList(const TTolvIPodINI& settings, QTreeWidget* view) {
    if (settings.Sites().empty()) return;
    view->clear();
    for (const TSiteRow& row : settings.SiteRows()) AddSiteRow(view, row);
}

void StoreSiteList(TTolvIPodINI& settings, const QTreeWidget* view) {
    std::vector<TSiteRow> rows;
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = view->topLevelItem(i);
        rows.push_back({item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString(),
                        item->checkState(0) == Qt::Checked});
    }
    settings.StoreSiteRows(rows);
}

std::vector<TSiteRow> DefaultSiteRows(TTolvIPodINI& settings) {
    std::vector<std::string> kept = settings.Sites();
    settings.SetDefaultSites();
    std::vector<TSiteRow> rows = settings.SiteRows();
    settings.SetSites(std::move(kept));
    return rows;
}

}  // namespace harrowin
