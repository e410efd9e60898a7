// Opening a file, folder or address with the desktop's default program for it.
#pragma once

#include <functional>
#include <string>

class QWidget;

// Opens a local file or folder, or an address ("http://...", "mailto:..."), with its default
// program. When the desktop has no program to open it with, a Japanese message over parent
// (the active window when none) says so, and false is returned.
bool ShellOpen(const std::string& target, QWidget* parent = nullptr);

// The same without the message: false when there is no program to open the target with.
bool TryShellOpen(const std::string& target);

// The message of a target that could not be opened.
std::string ShellOpenFailureText(const std::string& target);

// The address handed to the desktop for a target (fully percent-encoded): the address itself,
// or a file URL of the absolute path.
std::string ShellOpenUrl(const std::string& target);

// Test seams: while set, ShellOpen hands the URL to the hook instead of the desktop; the first
// kind of hook takes every URL, the second answers whether the desktop would have.
void SetShellOpenHook(std::function<void(const std::string& url)> hook);
void SetShellOpenAnswerHook(std::function<bool(const std::string& url)> hook);
