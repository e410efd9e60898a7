// Harrowin's start and end around the message loop: the program folder, the single-instance
// rule, the main window (and the terms of use at the first start), the loop, the release of
// the lock.
#pragma once

#include <QStringList>
#include <functional>

namespace harrowin {

class TMainForm;

// Runs the program with its arguments (without the program name) and returns the exit code.
// Without a program folder (no place for one, or it cannot be created) it says why and ends
// with 1. A second copy shows "既にHarrowinが起動しています" before any window exists and ends
// with 0. A settings file that could not be read is reported before the window shows.
// runLoop runs the message loop with the shown window (default: QApplication::exec).
int RunHarrowin(const QStringList& args, const std::function<int(TMainForm&)>& runLoop = {});

}  // namespace harrowin
