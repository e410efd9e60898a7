#include "podcast/startup.h"

#include <QApplication>

#include "foundation/errors.h"
#include "foundation/gui/failure_message.h"
#include "foundation/gui/japanese_ui.h"
#include "foundation/gui/message_box.h"
#include "foundation/paths.h"
#include "foundation/program_folder.h"
#include "platform/instance_lock.h"
#include "podcast/main_form.h"

namespace harrowincast {

void PrepareHarrowinCast() {
    QApplication::setApplicationName("HarrowinCast");
    SetUpJapaneseInterface();
}

std::string HarrowinCastLockPath(const std::string& ProgramFolder) {
    return WithTrailingSlash(ProgramFolder) + "HARROWINCASTMUTEXDATA";
}

int RunHarrowinCast(const std::function<int(TMainForm&)>& runLoop) {
    if (!ProgramFolderReady(TProgramKind::HarrowinCast)) return 1;
    SetInstanceLockPath(HarrowinCastLockPath(ProgramFolder(TProgramKind::HarrowinCast)));
    // The test takes the lock at once, so two starts at the same moment cannot both pass.
    if (!IsFirstInstance()) {
        MessageBox(nullptr, {"既にHarrowinCastが起動しています", "HarrowinCast", TMsgIcon::Warning, TMsgButtons::Ok});
        return 0;
    }
    CreateInstanceMutex();
    int code = 0;
    {
        TMainForm form;
        form.show();
        code = runLoop ? runLoop(form) : QApplication::exec();
    }
    ReleaseInstanceMutex();
    return code;
}

}  // namespace harrowincast
