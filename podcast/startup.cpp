#include "podcast/startup.h"

#include <QApplication>

#include "foundation/errors.h"
#include "foundation/gui/japanese_ui.h"
#include "foundation/gui/message_box.h"
#include "foundation/program_folder.h"

namespace harrowincast {

void PrepareHarrowinCast() {
    QApplication::setApplicationName("HarrowinCast");
    SetUpJapaneseInterface();
}

bool ProgramFolderReady() {
    try {
        CreateProgramFolder(TProgramKind::HarrowinCast);
        return true;
    } catch (const EFileError& e) {
        MessageBox(nullptr, {e.Message(), "HarrowinCast", TMsgIcon::Error, TMsgButtons::Ok});
        return false;
    }
}

}  // namespace harrowincast
