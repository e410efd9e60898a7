#include "foundation/gui/select_folder.h"

#include <QApplication>
#include <QFileDialog>
#include <QString>

namespace {
std::function<bool(std::string&)>& Hook() {
    static std::function<bool(std::string&)> hook;
    return hook;
}
}  // namespace

void SetSelectFolderHook(std::function<bool(std::string& folder)> hook) { Hook() = std::move(hook); }

bool SelectFolder(std::string& folder, QWidget* parent) {
    if (Hook()) return Hook()(folder);
    if (parent == nullptr) parent = QApplication::activeWindow();
    const QString chosen = QFileDialog::getExistingDirectory(parent, QString::fromUtf8("フォルダを選択してください。"),
                                                             QString::fromStdString(folder), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return false;
    folder = chosen.toStdString();
    return true;
}
