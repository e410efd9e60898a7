// Moves the stored news sites to and from the news page's list view (name, address, last
// update; the check box is the site's checked flag).
#pragma once

class QTreeWidget;
class TTolvIPodINI;

// The stored sites into the list view; with no stored site the view is left as it is.
void FillSiteList(const TTolvIPodINI& settings, QTreeWidget* view);
// The list view's rows into the stored sites; an empty view leaves them untouched.
void StoreSiteList(TTolvIPodINI& settings, const QTreeWidget* view);
