// The base of every exception the system raises: it carries the message shown to the user.
// Each module derives its own class (EIPODError, TITBException, ESQLiteException, ...).
#pragma once

#include <stdexcept>
#include <string>

class ETolvError : public std::runtime_error {
public:
    explicit ETolvError(const std::string& message) : std::runtime_error(message) {}
    // The message as the user sees it (UTF-8).
    std::string Message() const { return what(); }
};

// A file that cannot be opened, read or written; the message names the file.
class EFileError : public ETolvError {
public:
    using ETolvError::ETolvError;
};

// A date or time text that does not form a valid date or time.
class EConvertError : public ETolvError {
public:
    using ETolvError::ETolvError;
};
