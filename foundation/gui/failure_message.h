// What the user is told when an operation ends by an exception: the program's own errors say
// what went wrong in their message; anything else (memory exhausted, an error of the C++
// library) gets a fixed Japanese text, so the window can go on and nothing English shows.
#pragma once

#include <exception>
#include <string>

#include <QApplication>

#include "foundation/program_folder.h"

class QWidget;

// The text of the failure: the message of an ETolvError, else a fixed text for exhausted
// memory or for any other error.
std::string FailureText(const std::exception& e);
// Shows FailureText in a plain box over parent (see ShowMessage).
void ShowFailure(QWidget* parent, const std::exception& e);

// Creates the program's folder at start. The settings and lists have no place without it, so
// when there is no place for it or it cannot be made, a box titled with the program's name says
// why and the answer is false: the program then ends rather than keep them somewhere else.
bool ProgramFolderReady(TProgramKind kind);

// The application object of both programs: an exception that a handler let through is shown
// as a failure instead of ending the program inside the event loop.
class TGuardedApplication : public QApplication {
public:
    TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};
