// HarrowinCast's application set-up before its main window: the program's title and the
// Japanese interface both programs share.
#pragma once

namespace harrowincast {

// Names the running application "HarrowinCast" without a display name (Qt would append a
// display name to every window's caption) and sets up the Japanese interface.
void PrepareHarrowinCast();

}  // namespace harrowincast
