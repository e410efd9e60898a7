#include "foundation/gui/window_size.h"

#include <QLayout>
#include <QWidget>

void KeepFixedSize(QWidget& window) {
    if (QLayout* layout = window.layout()) layout->activate();
    window.setFixedSize(window.size().expandedTo(window.minimumSizeHint()));
}
