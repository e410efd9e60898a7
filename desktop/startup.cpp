#include "desktop/startup.h"

#include <QApplication>

#include "desktop/main_form.h"
#include "foundation/errors.h"
#include "foundation/gui/failure_message.h"
#include "foundation/gui/message_box.h"
#include "foundation/program_folder.h"
#include "harrowin_work/settings.h"
#include "platform/instance_lock.h"

namespace harrowin {

int RunHarrowin(const QStringList& args, const std::function<int(TMainForm&)>& runLoop) {
    if (!ProgramFolderReady(TProgramKind::Harrowin)) return 1;
    // The test takes the lock at once, so two starts at the same moment cannot both pass.
    if (!IsFirstInstance()) {
        MessageBox(nullptr, {"既にHarrowinが起動しています", "Harrowin", TMsgIcon::Warning, TMsgButtons::Ok});
        return 0;
    }
    CreateInstanceMutex();
    // The task's title. Not the display name: Qt would append that to every window's caption.
    QApplication::setApplicationName("Harrowin");
    int code = 0;
    {
        TMainForm form(args);
        if (form.Accepted()) {
            // Said now, not only when closing: nothing changed in this run will be kept.
            if (const std::string& why = form.Settings().ReadFailure(); !why.empty()) {
                MessageBox(nullptr, {why, "Harrowin", TMsgIcon::Warning, TMsgButtons::Ok});
            }
            form.show();
            code = runLoop ? runLoop(form) : QApplication::exec();
        }
    }
    ReleaseInstanceMutex();
    return code;
}

}  // namespace harrowin
