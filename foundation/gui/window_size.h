// The windows that the user cannot resize (a fixed single border on the system they were made
// for): their size is fixed once their controls are built.
#pragma once

class QWidget;

// Fixes the window's size to its designed size, grown where its controls need more room in
// the program's font, so nothing is clipped and no border drag changes it; the window offers
// no maximise button.
void KeepFixedSize(QWidget& window);
