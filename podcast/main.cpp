// HarrowinCast's entry point: one main window, one copy per program folder.
#include <QApplication>

#include "foundation/gui/failure_message.h"
#include "podcast/startup.h"

int main(int argc, char* argv[]) {
    TGuardedApplication app(argc, argv);
    harrowincast::PrepareHarrowinCast();
    return harrowincast::RunHarrowinCast();
}
