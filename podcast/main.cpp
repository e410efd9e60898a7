// HarrowinCast's entry point: one main window, no single-instance rule.
#include <QApplication>

#include "podcast/main_form.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("HarrowinCast");
    QApplication::setApplicationDisplayName("HarrowinCast");
    TMainForm form;
    form.show();
    return QApplication::exec();
}
