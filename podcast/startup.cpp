#include "podcast/startup.h"

#include <QApplication>

#include "foundation/gui/japanese_ui.h"

namespace harrowincast {

void PrepareHarrowinCast() {
    QApplication::setApplicationName("HarrowinCast");
    SetUpJapaneseInterface();
}

}  // namespace harrowincast
