#include "desktop/pages/list_page.h"

namespace harrowin {

TListPage::TListPage(TPageHost& host, TListKind kind, QWidget* parent) : QWidget(parent), FHost(host), FKind(kind) {}

void TListPage::Enter() {
    FocusList()->setFocus();
    if (ListEmpty()) FHost.LoadTabList(FKind);
}

}  // namespace harrowin
