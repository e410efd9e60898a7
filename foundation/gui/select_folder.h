// The folder picker of both programs.
#pragma once

#include <functional>
#include <string>

class QWidget;

// Shows the folder picker titled "フォルダを選択してください。", opening on the folder given.
// On OK the chosen path is stored in `folder` and true returned; on cancel `folder` keeps its
// text and false is returned.
bool SelectFolder(std::string& folder, QWidget* parent = nullptr);

// Test seam: while set, SelectFolder calls this instead of showing the picker.
void SetSelectFolderHook(std::function<bool(std::string& folder)> hook);
