#include "foundation/gui/window_size.h"

#include <QLayout>
#include <QWidget>

void KeepFixedSize(QWidget& window) {
    // Without the customise hint the window system adds its default buttons, maximise
    // included, which a window of fixed size must not offer.
    Qt::WindowFlags flags = window.windowFlags();
    if (!flags.testFlag(Qt::CustomizeWindowHint)) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    flags &= ~Qt::WindowMaximizeButtonHint;
    if (flags != window.windowFlags()) window.setWindowFlags(flags);
    if (QLayout* layout = window.layout()) layout->activate();
    window.setFixedSize(window.size().expandedTo(window.minimumSizeHint()));
}
