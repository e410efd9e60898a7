// HarrowinCast's application set-up before its main window (the program's title, the
// Japanese interface both programs share and the program folder) and its run around the
// message loop: one copy per program folder, the main window, the loop, the release of the lock.
#pragma once

#include <functional>
#include <string>

namespace harrowincast {

class TMainForm;

// Names the running application "HarrowinCast" without a display name (Qt would append a
// display name to every window's caption) and sets up the Japanese interface.
void PrepareHarrowinCast();

// The instance lock of the program folder: a file of its own in that folder, so that copies
// over other program folders run side by side and Harrowin's lock stays apart.
std::string HarrowinCastLockPath(const std::string& ProgramFolder);

// Runs the program and returns the exit code: 1 when the program folder cannot be made (said
// in a box). A copy started while another runs over the same
// program folder shows "既にHarrowinCastが起動しています" before any window exists, touches no
// file of the folder but the lock, and ends with 0 (two copies would both rewrite the settings
// and the episode list, and remove each other's downloads). runLoop runs the message loop with
// the shown window (default: QApplication::exec).
int RunHarrowinCast(const std::function<int(TMainForm&)>& runLoop = {});

}  // namespace harrowincast
