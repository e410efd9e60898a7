// Harrowin's entry point.
#include <QApplication>

#include "desktop/startup.h"
#include "foundation/gui/failure_message.h"
#include "foundation/gui/japanese_ui.h"

int main(int argc, char* argv[]) {
    TGuardedApplication app(argc, argv);
    QApplication::setApplicationName("Harrowin");
    SetUpJapaneseInterface();
    QStringList args = QApplication::arguments();
    args.removeFirst();
    return harrowin::RunHarrowin(args);
}
