#include "desktop/site_list_view.h"

#include <QTreeWidget>

#include "desktop/settings.h"

void FillSiteList(const TTolvIPodINI& settings, QTreeWidget* view) {
    if (settings.Sites().empty()) return;
    view->clear();
    for (const TSiteRow& row : settings.SiteRows()) {
        auto* item = new QTreeWidgetItem(view);
        item->setText(0, QString::fromStdString(row.Name));
        item->setText(1, QString::fromStdString(row.Address));
        item->setText(2, QString::fromStdString(row.LastUpdate));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.Checked ? Qt::Checked : Qt::Unchecked);
    }
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
