// Pictures of windows for the manual and for a look at every kind of window a user meets:
// shared by the screenshot tools of both programs. Under a window manager a picture holds
// the window's frame and caption as the user sees them; without one, the window alone.
#pragma once

#include <QString>
#include <functional>

class QDialog;
class QWidget;

// The folder the pictures go to (created when missing). From then on a modal window that no
// picture is asked of (a message box, say) is ended, so that the tool never waits for a user.
void SetShotFolder(const QString& folder);
// How many such windows were ended: a picture taken meanwhile may not show what it should.
int UnexpectedWindows();

// Shows the window, lets it settle and saves it as <folder>/<name>.png.
void Save(QWidget* window, const QString& name);

// Runs a command that opens a modal dialog; once the dialog is up, shoot takes its pictures
// and the dialog is cancelled, so the command returns as if the user had pressed Cancel. Any
// further modal window the command opens is ended as well.
void SaveModal(const std::function<void()>& open, const std::function<void(QDialog&)>& shoot);
void SaveModal(const std::function<void()>& open, const QString& name);

// Saves each visible page of the dialog's tab widget `tabs` under name1, name2, ...
void SaveTabs(QDialog& dialog, const char* tabs, const QString& name);
