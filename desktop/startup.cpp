#include "desktop/startup.h"

#include <QApplication>

#include "desktop/main_form.h"
#include "foundation/gui/message_box.h"
#include "platform/instance_lock.h"

namespace harrowin {

int RunHarrowin(const QStringList& args, const std::function<int(TMainForm&)>& runLoop) {
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
            form.show();
            code = runLoop ? runLoop(form) : QApplication::exec();
        }
    }
    ReleaseInstanceMutex();
    return code;
}

}  // namespace harrowin
