// A thin object layer over the foundation's SQLite wrapper for reading the player's SQLite
// library. Databases are opened read-only: the program never writes the player's files. Every
// failure raises ESQLiteException with an English message that includes SQLite's own text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "foundation/errors.h"
#include "foundation/sqlite_db.h"

class ESQLiteException : public ETolvError {
public:
    using ETolvError::ETolvError;
};

// Storage-class codes of SQLite, used as column type codes.
enum TSQLiteTypeCode : int { kSQLiteInteger = 1, kSQLiteFloat = 2, kSQLiteText = 3, kSQLiteBlob = 4, kSQLiteNull = 5 };

// The whole result of one query, held in memory and detached from its statement.
class TSQLiteTable {
public:
    int32_t ColumnCount() const { return static_cast<int32_t>(columns_.size()); }
    int32_t RowCount() const { return rowCount_; }
    int32_t Row() const { return row_; }
    bool AtEnd() const { return row_ >= rowCount_; }
    bool MoveNext();
    // The column's position; names match without regard to ASCII case.
    int32_t ColumnIndex(const std::string& Name) const;
    // ESQLiteException for an index outside the columns.
    const std::string& ColumnName(int32_t index) const;
    int ColumnType(int32_t index) const;

    // Values of the current row. NULL reads as empty text, 0, or no blob.
    std::string ValueAsText(int32_t index) const;
    int64_t ValueAsInt64(int32_t index) const;
    double ValueAsFloat(int32_t index) const;
    const std::vector<uint8_t>* ValueAsBlob(int32_t index) const;

private:
    friend class TSQLiteDatabase;
    using Value = std::variant<std::monostate, int64_t, double, std::string, std::vector<uint8_t>>;

    const Value& Current(int32_t index) const;
    size_t CheckedColumn(int32_t index) const;

    std::vector<std::string> columns_;  // upper-cased
    std::vector<int> types_;
    std::vector<Value> values_;  // row after row
    int32_t rowCount_ = 0;
    int32_t row_ = 0;
};

class TSQLiteDatabase;

// A forward-only cursor over a prepared statement; it stands on the first row once made.
class TSQLiteUniTable {
public:
    TSQLiteUniTable(TSQLiteDatabase& Database, const std::string& Sql);
    ~TSQLiteUniTable();
    TSQLiteUniTable(const TSQLiteUniTable&) = delete;
    TSQLiteUniTable& operator=(const TSQLiteUniTable&) = delete;

    bool Next();
    bool AtEnd() const { return atEnd_; }
    int32_t ColumnCount() const { return static_cast<int32_t>(columns_.size()); }
    int32_t RowNumber() const { return rowNumber_; }
    std::string ValueAsText(int32_t index) const;

private:
    std::unique_ptr<TSqliteStatement> statement_;
    std::vector<std::string> columns_;
    int32_t rowNumber_ = 0;
    bool atEnd_ = true;
};

// One open, read-only connection.
class TSQLiteDatabase {
public:
    explicit TSQLiteDatabase(const std::string& FileName);
    ~TSQLiteDatabase();
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    std::unique_ptr<TSQLiteTable> QueryTable(const std::string& Sql);
    // The first column of the first row as text; empty when there is no row.
    std::string QueryText(const std::string& Sql);

    TSqliteConnection& Connection() { return connection_; }

private:
    TSqliteConnection connection_;
};

// The English text of an SQLite result code.
std::string SQLiteCodeText(int Code);
