#include "desktop/pages/list_page.h"

#include "foundation/errors.h"
#include "foundation/gui/message_box.h"
#include "foundation/names.h"

namespace harrowin {

TListPage::TListPage(TPageHost& host, TListKind kind, QWidget* parent) : QWidget(parent), FHost(host), FKind(kind) {}

void TListPage::Enter() {
    FocusList()->setFocus();
    if (ListEmpty()) FHost.LoadTabList(FKind);
}

std::string TListPage::ReadEachFile(const std::vector<std::string>& files,
                                    const std::function<void(const std::string& file)>& readRow) {
    std::string reasons;
    for (const std::string& file : files) {
        try {
            readRow(file);
        } catch (const EFileError& e) {
            // The file error names the file.
            if (!reasons.empty()) reasons += "\n";
            reasons += e.Message();
        } catch (const ETolvError& e) {
            if (!reasons.empty()) reasons += "\n";
            reasons += "[ " + ReadableFileName(file) + " ] " + e.Message();
        }
    }
    return reasons;
}

void TListPage::TellUnreadFiles(const std::string& reasons) {
    if (!reasons.empty()) ShowMessage(FHost.DialogParent(), reasons);
}

}  // namespace harrowin
