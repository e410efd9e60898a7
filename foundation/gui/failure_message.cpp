#include "foundation/gui/failure_message.h"

#include <cstdio>
#include <new>
#include <stdexcept>

#include "foundation/errors.h"
#include "foundation/gui/message_box.h"

std::string FailureText(const std::exception& e) {
    if (const auto* own = dynamic_cast<const ETolvError*>(&e)) return own->Message();
    if (dynamic_cast<const std::bad_alloc*>(&e)) return "メモリが不足しているため、処理を中止しました";
    return "予期しないエラーのため、処理を中止しました";
}

bool ProgramFolderReady(TProgramKind kind) {
    try {
        CreateProgramFolder(kind);
        return true;
    } catch (const EFileError& e) {
        const char* title = kind == TProgramKind::HarrowinCast ? "HarrowinCast" : "Harrowin";
        MessageBox(nullptr, {e.Message(), title, TMsgIcon::Error, TMsgButtons::Ok});
        return false;
    }
}

void ShowFailure(QWidget* parent, const std::exception& e) {
    // The library's own words help whoever looks into it; the user reads the fixed text.
    if (!dynamic_cast<const ETolvError*>(&e)) std::fprintf(stderr, "%s\n", e.what());
    ShowMessage(parent, FailureText(e));
}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowFailure(QApplication::activeWindow(), e);
    } catch (...) {
        ShowFailure(QApplication::activeWindow(), std::runtime_error("unknown exception"));
    }
    return false;
}
