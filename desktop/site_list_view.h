// Moves the stored news sites to and from the news page's list view (name, address, last
// update; the check box is the site's checked flag), and adds single rows to it.
#pragma once

#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace harrowin {

class TTolvIPodINI;
struct TSiteRow;

// The stored sites into the list view; with no stored site the view is left as it is.
void FillSiteList(const TTolvIPodINI& settings, QTreeWidget* view);
// The list view's rows into the stored sites; an empty view leaves them untouched.
void StoreSiteList(TTolvIPodINI& settings, const QTreeWidget* view);
// Appends a row with its check box.
QTreeWidgetItem* AddSiteRow(QTreeWidget* view, const TSiteRow& row);
// The five default sites, as rows (the stored sites of the settings are left as they were).
std::vector<TSiteRow> DefaultSiteRows(TTolvIPodINI& settings);

}  // namespace harrowin
