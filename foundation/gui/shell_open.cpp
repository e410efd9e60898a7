#include "foundation/gui/shell_open.h"

#include <QApplication>
#include <QByteArray>
#include <QDesktopServices>
#include <QDir>
#include <QString>
#include <QUrl>

#include "foundation/gui/message_box.h"

namespace {
std::function<bool(const std::string&)>& Hook() {
    static std::function<bool(const std::string&)> hook;
    return hook;
}

// "scheme:" with a scheme of two or more letters (a single letter would be a Windows drive).
bool IsAddress(const std::string& target) {
    const size_t colon = target.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = target[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}
}  // namespace

void SetShellOpenHook(std::function<void(const std::string& url)> hook) {
    if (!hook) {
        Hook() = nullptr;
        return;
    }
    Hook() = [hook = std::move(hook)](const std::string& url) {
        hook(url);
        return true;
    };
}

void SetShellOpenAnswerHook(std::function<bool(const std::string& url)> hook) { Hook() = std::move(hook); }

std::string ShellOpenFailureText(const std::string& target) {
    return "[ " + target + " ]を開くプログラムが見つからないため、開くことができませんでした。";
}

std::string ShellOpenUrl(const std::string& target) {
    if (target.empty()) return {};
    if (target[0] != '/' && IsAddress(target))
        return QUrl(QString::fromStdString(target)).toString(QUrl::FullyEncoded).toStdString();
    const QString path = QDir(QDir::currentPath()).absoluteFilePath(QString::fromStdString(target));
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toStdString();
}

bool TryShellOpen(const std::string& target) {
    const std::string url = ShellOpenUrl(target);
    if (url.empty()) return false;
    return Hook() ? Hook()(url)
                  : QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode));
}

bool ShellOpen(const std::string& target, QWidget* parent) {
    if (ShellOpenUrl(target).empty()) return false;
    // The desktop refuses when it finds no program for the address (no browser, no file
    // manager); without a word the user would only see that nothing happened.
    const bool opened = TryShellOpen(target);
    if (!opened) ShowMessage(parent ? parent : QApplication::activeWindow(), ShellOpenFailureText(target));
    return opened;
}
