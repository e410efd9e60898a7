#include "foundation/gui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace {

TMessageBoxHook& Hook() {
    static TMessageBoxHook hook;
    return hook;
}

}  // namespace

void SetMessageBoxHook(TMessageBoxHook hook) { Hook() = std::move(hook); }

TMsgResult MessageBox(QWidget* parent, const TMessageRequest& request) {
    if (Hook()) return Hook()(request);

    QMessageBox box(parent);
    QString caption = QString::fromStdString(request.Caption);
    if (caption.isEmpty()) caption = QApplication::applicationDisplayName();
    if (caption.isEmpty()) caption = QApplication::applicationName();
    box.setWindowTitle(caption);
    box.setText(QString::fromStdString(request.Text));
    switch (request.Icon) {
        case TMsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case TMsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case TMsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case TMsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case TMsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (request.Buttons) {
        case TMsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case TMsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            if (request.NoByDefault) box.setDefaultButton(QMessageBox::No);
            break;
        case TMsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case TMsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
    }
    const int answer = box.exec();
    switch (answer) {
        case QMessageBox::Ok: return TMsgResult::Ok;
        case QMessageBox::Yes: return TMsgResult::Yes;
        case QMessageBox::No: return TMsgResult::No;
        default: return request.Buttons == TMsgButtons::YesNo ? TMsgResult::No : TMsgResult::Cancel;
    }
}

void ShowMessage(QWidget* parent, const std::string& text) {
    MessageBox(parent, {text, {}, TMsgIcon::None, TMsgButtons::Ok});
}

bool ConfirmWarning(QWidget* parent, const std::string& text, const std::string& caption) {
    return MessageBox(parent, {text, caption, TMsgIcon::Warning, TMsgButtons::YesNo}) == TMsgResult::Yes;
}

TMsgResult AskWarningYesNoCancel(QWidget* parent, const std::string& text, const std::string& caption) {
    return MessageBox(parent, {text, caption, TMsgIcon::Warning, TMsgButtons::YesNoCancel});
}

void ShowError(QWidget* parent, const std::string& caption, const std::string& text) {
    MessageBox(parent, {text, caption, TMsgIcon::Error, TMsgButtons::Ok});
}
