#include "podcast/startup.h"

#include <QApplication>

#include "foundation/gui/japanese_ui.h"

void PrepareHarrowinCast() {
    QApplication::setApplicationName("HarrowinCast");
    SetUpJapaneseInterface();
}
