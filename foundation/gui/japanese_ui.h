// What both programs set up before their first window so that they read and look like one
// Japanese desktop program whatever the user's locale: Qt's own texts (message-box buttons,
// file pickers, edit menus) from Qt's Japanese catalogue, Japanese dates and numbers in Qt's
// widgets, Qt's own pickers (a desktop's native picker would speak the user's language), and
// one font for every window, dialogs included.
#pragma once

#include <QFont>

// Installs Qt's Japanese catalogue from Qt's translations folder on the running application;
// false when the machine has none (Qt's texts then stay English).
bool LoadQtJapanese();

// The font of every window: the Japanese proportional gothic at 12 pixels.
QFont ProgramFont();

// All of the above on the running application; call it once, before the first window.
void SetUpJapaneseInterface();
