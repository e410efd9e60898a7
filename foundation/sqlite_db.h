// The one wrapper of the SQLite C interface: a connection and its prepared statements, each
// closed or finalised by its owner whichever way the owner goes. What a failure means to the
// user is the caller's: every failing call goes to the connection's failure function, which
// raises the caller's own exception (the player reader's English texts, the media library's
// Japanese reasons) while the connection still holds SQLite's code and text.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "foundation/errors.h"

struct sqlite3;
struct sqlite3_stmt;

// Raised only when a failure function returns instead of raising its own exception.
class ESqliteError : public ETolvError {
public:
    using ETolvError::ETolvError;
};

// The call that failed.
enum class TSqliteStage {
    Open,     // Text: the file name; Db may be null (no memory) or a handle holding the reason
    Prepare,  // Text: the SQL
    Step,     // Text: the SQL; the statement was reset, so the connection holds the step's error
    Exec,     // Text: the SQL
};

// Must raise; Db is the connection's handle.
using TSqliteFailure = std::function<void(sqlite3* Db, TSqliteStage Stage, int Code, const std::string& Text)>;

class TSqliteStatement;

class TSqliteConnection {
public:
    // Opens the file with the flags of sqlite3_open_v2 (SQLITE_OPEN_READONLY, ...). A failure
    // goes to OnFailure before the half-opened handle is closed.
    TSqliteConnection(const std::string& FileName, int Flags, TSqliteFailure OnFailure);
    ~TSqliteConnection();
    TSqliteConnection(const TSqliteConnection&) = delete;
    TSqliteConnection& operator=(const TSqliteConnection&) = delete;

    sqlite3* Handle() const { return FDb; }
    bool IsOpen() const { return FDb != nullptr; }
    // Finalises the cached statements and closes the file; later calls find no handle.
    void Close();

    // Runs SQL that gives no rows (several statements may be separated by ";").
    void Exec(const std::string& Sql);
    // A statement prepared once for the connection's life and reset for each use: for the short
    // statements called again and again. Never for one still being stepped by a caller.
    TSqliteStatement& Cached(const std::string& Sql);
    int64_t LastInsertId() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int Changes() const;

    [[noreturn]] void Fail(TSqliteStage Stage, int Code, const std::string& Text) const;

private:
    sqlite3* FDb = nullptr;
    TSqliteFailure FOnFailure;
    std::map<std::string, std::unique_ptr<TSqliteStatement>> FCache;
};

// One prepared statement of a connection, finalised when it goes (before its connection).
class TSqliteStatement {
public:
    TSqliteStatement(TSqliteConnection& Connection, const std::string& Sql);
    ~TSqliteStatement();
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    // Parameters count from 1.
    TSqliteStatement& Bind(int Index, int64_t Value);
    TSqliteStatement& Bind(int Index, const std::string& Value);
    // True while a row is there; false when the statement is done. A failure resets the
    // statement and goes to the connection's failure function.
    bool Step();
    // One step's own result code (SQLITE_ROW, SQLITE_DONE or the failure, nothing reset or
    // raised), for a caller that treats some failures its own way.
    int StepCode();
    // Steps to the end.
    void Run();
    // Back to the start with no parameters bound.
    void Reset();

    int ColumnCount() const;
    std::string ColumnName(int Column) const;
    // The declared type of the column of a table, or null for an expression.
    const char* DeclaredType(int Column) const;
    // The storage class of the value in the current row (SQLITE_INTEGER ... SQLITE_NULL).
    int ValueType(int Column) const;
    int64_t Int(int Column) const;
    double Float(int Column) const;
    // NULL reads as empty text and no bytes.
    std::string Text(int Column) const;
    std::span<const uint8_t> Blob(int Column) const;

    const std::string& Sql() const { return FSql; }

private:
    TSqliteConnection& FConnection;
    std::string FSql;
    sqlite3_stmt* FStmt = nullptr;
};
