// HarrowinCast's entry point: one main window, no single-instance rule.
#include <QApplication>

#include "podcast/main_form.h"
#include "podcast/startup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    PrepareHarrowinCast();
    TMainForm form;
    form.show();
    return QApplication::exec();
}
