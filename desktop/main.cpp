// Harrowin's entry point.
#include <QApplication>

#include "desktop/startup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Harrowin");
    QStringList args = QApplication::arguments();
    args.removeFirst();
    return RunHarrowin(args);
}
