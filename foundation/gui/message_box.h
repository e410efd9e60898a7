// The one message-box helper of every window: the fixed texts of the system shown with the
// icon and buttons each call site asks for. Tests replace the box with a hook that records the
// request and answers it, so no modal box blocks a test.
#pragma once

#include <functional>
#include <string>

class QWidget;

enum class TMsgIcon { None, Information, Warning, Error, Question };
enum class TMsgButtons { Ok, YesNo, OkCancel, YesNoCancel };
enum class TMsgResult { Ok, Cancel, Yes, No };

struct TMessageRequest {
    std::string Text;
    std::string Caption;  // empty: the application's title
    TMsgIcon Icon = TMsgIcon::None;
    TMsgButtons Buttons = TMsgButtons::Ok;
    // Yes/No only: No is the button Enter presses (a question before replacing what the user made).
    bool NoByDefault = false;
};

// Shows the box modally over parent (or with no owner when parent is null) and returns the
// button pressed; closing the box counts as No for Yes/No and as Cancel otherwise.
TMsgResult MessageBox(QWidget* parent, const TMessageRequest& request);

// A plain box with the application's title, no icon and OK (the refusals and failures).
void ShowMessage(QWidget* parent, const std::string& text);
// A warning with Yes and No (the confirmations); true when Yes was pressed.
bool ConfirmWarning(QWidget* parent, const std::string& text, const std::string& caption = {});
// A warning with Yes, No and Cancel (the questions before closing unsaved work): Yes, No or
// Cancel (also when the box is closed).
TMsgResult AskWarningYesNoCancel(QWidget* parent, const std::string& text, const std::string& caption = {});
// An error box with a caption and OK.
void ShowError(QWidget* parent, const std::string& caption, const std::string& text);

// Test seam: while set, every box goes to the hook instead of the screen.
using TMessageBoxHook = std::function<TMsgResult(const TMessageRequest&)>;
void SetMessageBoxHook(TMessageBoxHook hook);
