// HarrowinCast's application set-up before its main window: the program's title, the
// Japanese interface both programs share and the program folder.
#pragma once

namespace harrowincast {

// Names the running application "HarrowinCast" without a display name (Qt would append a
// display name to every window's caption) and sets up the Japanese interface.
void PrepareHarrowinCast();

// Creates the program folder; when there is no place for it or it cannot be created, says why
// in a box and gives false (the program then ends: its files have no other place).
bool ProgramFolderReady();

}  // namespace harrowincast
