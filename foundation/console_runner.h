// Runs a command line as a child process, feeds its standard input from a stream and collects
// its standard output and standard error into two streams, blocking until it has ended.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/errors.h"

// The child could not be started; the message is "CreateProcess() failed!".
class ELaunchFailed : public ETolvError {
public:
    ELaunchFailed() : ETolvError("CreateProcess() failed!") {}
};

// The words of a command line: separated by blanks and tabs; double quotes group blanks into a
// word and are removed (a program or file name with blanks is written in quotes).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Runs the command line (its first word is the program, looked up on PATH when it holds no
// "/"), with the parent's environment and current folder. The input is read from its current
// position to its end and handed to the child while its output is collected, so no size of
// input or output can stall the two. Output and error bytes are appended to the streams as the
// child writes them; both pipes are read to their end after the child exits. Returns the exit
// code (128 + the signal number for a child ended by a signal; 0xFFFFFFFF when it cannot be
// read). Raises ELaunchFailed when the program cannot be started (nothing written then).
uint32_t RunConsole(const std::string& commandLine, std::istream& input, std::ostream& output, std::ostream& errors);
