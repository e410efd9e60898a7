// Opening a file, folder or address with the desktop's default program for it.
#pragma once

#include <functional>
#include <string>

// Opens a local file or folder, or an address ("http://...", "mailto:..."), with its default
// program. The outcome is not reported.
void ShellOpen(const std::string& target);

// The address handed to the desktop for a target (fully percent-encoded): the address itself,
// or a file URL of the absolute path.
std::string ShellOpenUrl(const std::string& target);

// Test seam: while set, ShellOpen hands the URL to this instead of the desktop.
void SetShellOpenHook(std::function<void(const std::string& url)> hook);
