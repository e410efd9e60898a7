// HarrowinCast's entry point: one main window, no single-instance rule.
#include <QApplication>

#include "foundation/gui/failure_message.h"
#include "podcast/main_form.h"
#include "podcast/startup.h"

int main(int argc, char* argv[]) {
    TGuardedApplication app(argc, argv);
    harrowincast::PrepareHarrowinCast();
    if (!harrowincast::ProgramFolderReady()) return 1;
    harrowincast::TMainForm form;
    form.show();
    return QApplication::exec();
}
