#include "player/sqlite_access.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdio>

#include "foundation/encoding.h"

namespace {

int DeclaredTypeCode(const char* declared, int storageClass) {
    if (declared == nullptr) return storageClass;
    const std::string type(declared);
    if (type == "INTEGER" || type == "BOOLEAN") return kSQLiteInteger;
    if (type == "NUMERIC" || type == "FLOAT" || type == "DOUBLE" || type == "REAL") return kSQLiteFloat;
    if (type == "BLOB") return kSQLiteBlob;
    return kSQLiteText;
}

std::string ShortestText(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string SQLiteCodeText(int Code) {
    switch (Code) {
        case 0: return "Successful result";
        case 1: return "SQL error or missing database";
        case 2: return "An internal logic error in SQLite";
        case 3: return "Access permission denied";
        case 4: return "Callback routine requested an abort";
        case 5: return "The database file is locked";
        case 6: return "A table in the database is locked";
        case 7: return "A malloc() failed";
        case 8: return "Attempt to write a readonly database";
        case 9: return "Operation terminated by sqlite3_interrupt()";
        case 10: return "Some kind of disk I/O error occurred";
        case 11: return "The database disk image is malformed";
        case 12: return "(Internal Only) Table or record not found";
        case 13: return "Insertion failed because database is full";
        case 14: return "Unable to open the database file";
        case 15: return "Database lock protocol error";
        case 16: return "Database is empty";
        case 17: return "The database schema changed";
        case 18: return "Too much data for one row of a table";
        case 19: return "Abort due to contraint violation";
        case 20: return "Data type mismatch";
        case 21: return "Library used incorrectly";
        case 22: return "Uses OS features not supported on host";
        case 23: return "Authorization denied";
        case 24: return "Auxiliary database format error";
        case 25: return "2nd parameter to sqlite3_bind out of range";
        case 26: return "File opened that is not a database file";
        case 100: return "sqlite3_step() has another row ready";
        case 101: return "sqlite3_step() has finished executing";
        default: return "Unknown SQLite Error Code \"" + std::to_string(Code) + "\"";
    }
}

// ---- database ----

namespace {

// Raises ESQLiteException: the message, followed by SQLite's code and text when the
// connection holds an error.
[[noreturn]] void RaiseError(sqlite3* db, const std::string& Message, const std::string& Sql) {
    const int code = db != nullptr ? sqlite3_errcode(db) : 0;
    const char* text = db != nullptr ? sqlite3_errmsg(db) : nullptr;
    if (code != SQLITE_OK && text != nullptr) {
        throw ESQLiteException(Message + ".\rError [" + std::to_string(code) + "]: " + SQLiteCodeText(code) + ".\r\"" +
                               Sql + "\": " + text);
    }
    throw ESQLiteException(Message);
}

void Failure(sqlite3* db, TSqliteStage stage, int code, const std::string& text) {
    switch (stage) {
        case TSqliteStage::Open:
            throw ESQLiteException("Failed to open database \"" + text +
                                   "\" : " + (db != nullptr ? sqlite3_errmsg(db) : "unknown error"));
        case TSqliteStage::Prepare:
            // A statement that cannot be prepared without an error of its own (empty SQL).
            if (code == SQLITE_OK) throw ESQLiteException("Could not prepare SQL statement");
            RaiseError(db, "Error executing SQL", text);
        case TSqliteStage::Step:
        case TSqliteStage::Exec: RaiseError(db, "Could not retrieve data", text);
    }
    throw ESQLiteException("Could not retrieve data");
}

}  // namespace

// Read-only and never created: a missing file is an error, not a new empty database.
TSQLiteDatabase::TSQLiteDatabase(const std::string& FileName) : connection_(FileName, SQLITE_OPEN_READONLY, Failure) {}

TSQLiteDatabase::~TSQLiteDatabase() = default;

std::unique_ptr<TSQLiteTable> TSQLiteDatabase::QueryTable(const std::string& Sql) {
    TSqliteStatement statement(connection_, Sql);
    auto table = std::make_unique<TSQLiteTable>();
    const int columns = statement.ColumnCount();
    for (;;) {
        const int rc = statement.StepCode();
        if (rc == SQLITE_DONE) break;
        if (rc == SQLITE_BUSY) throw ESQLiteException("Could not prepare SQL statement");
        if (rc != SQLITE_ROW) {
            statement.Reset();
            RaiseError(connection_.Handle(), "Could not retrieve data", Sql);
        }
        if (table->rowCount_ == 0) {
            for (int c = 0; c < columns; ++c) {
                table->columns_.push_back(encoding::AsciiUpper(statement.ColumnName(c)));
                table->types_.push_back(DeclaredTypeCode(statement.DeclaredType(c), statement.ValueType(c)));
            }
        }
        ++table->rowCount_;
        for (int c = 0; c < columns; ++c) {
            if (statement.ValueType(c) == SQLITE_NULL) {
                table->values_.emplace_back();
                continue;
            }
            switch (table->types_[static_cast<size_t>(c)]) {
                case kSQLiteInteger: table->values_.emplace_back(statement.Int(c)); break;
                case kSQLiteFloat: table->values_.emplace_back(statement.Float(c)); break;
                case kSQLiteBlob: {
                    const std::span<const uint8_t> bytes = statement.Blob(c);
                    if (bytes.empty()) {
                        table->values_.emplace_back();
                    } else {
                        table->values_.emplace_back(std::vector<uint8_t>(bytes.begin(), bytes.end()));
                    }
                    break;
                }
                default: table->values_.emplace_back(statement.Text(c)); break;
            }
        }
    }
    table->row_ = 0;
    return table;
}

std::string TSQLiteDatabase::QueryText(const std::string& Sql) {
    TSQLiteUniTable cursor(*this, Sql);
    if (cursor.AtEnd() || cursor.ColumnCount() == 0) return {};
    return cursor.ValueAsText(0);
}

// ---- table ----

bool TSQLiteTable::MoveNext() {
    if (AtEnd()) return false;
    ++row_;
    return true;
}

int32_t TSQLiteTable::ColumnIndex(const std::string& Name) const {
    if (columns_.empty()) throw ESQLiteException("Field " + Name + " Not found. Empty dataset");
    const std::string upper = encoding::AsciiUpper(Name);
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i] == upper) return static_cast<int32_t>(i);
    }
    throw ESQLiteException("Field not found in dataset: " + Name);
}

size_t TSQLiteTable::CheckedColumn(int32_t index) const {
    if (index < 0 || index >= ColumnCount())
        throw ESQLiteException("Field not found in dataset: " + std::to_string(index));
    return static_cast<size_t>(index);
}

const std::string& TSQLiteTable::ColumnName(int32_t index) const { return columns_[CheckedColumn(index)]; }

int TSQLiteTable::ColumnType(int32_t index) const { return types_[CheckedColumn(index)]; }

const TSQLiteTable::Value& TSQLiteTable::Current(int32_t index) const {
    if (AtEnd()) throw ESQLiteException("Table is at End of File");
    return values_[static_cast<size_t>(row_) * columns_.size() + CheckedColumn(index)];
}

std::string TSQLiteTable::ValueAsText(int32_t index) const {
    const Value& value = Current(index);
    if (const auto* i = std::get_if<int64_t>(&value)) return std::to_string(*i);
    if (const auto* f = std::get_if<double>(&value)) return ShortestText(*f);
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* b = std::get_if<std::vector<uint8_t>>(&value)) return std::string(b->begin(), b->end());
    return {};
}

int64_t TSQLiteTable::ValueAsInt64(int32_t index) const {
    const Value& value = Current(index);
    if (std::holds_alternative<std::monostate>(value)) return 0;
    if (const auto* i = std::get_if<int64_t>(&value)) return *i;
    if (const auto* f = std::get_if<double>(&value)) {
        // Truncated toward zero; values outside the 64-bit range are clamped.
        if (!(*f == *f)) return 0;
        if (*f >= 9.2233720368547758e18) return INT64_MAX;
        if (*f <= -9.2233720368547758e18) return INT64_MIN;
        return static_cast<int64_t>(*f);
    }
    throw ESQLiteException("Not an integer or numeric field");
}

double TSQLiteTable::ValueAsFloat(int32_t index) const {
    const Value& value = Current(index);
    if (std::holds_alternative<std::monostate>(value)) return 0;
    if (const auto* i = std::get_if<int64_t>(&value)) return static_cast<double>(*i);
    if (const auto* f = std::get_if<double>(&value)) return *f;
    throw ESQLiteException("Not an integer or numeric field");
}

const std::vector<uint8_t>* TSQLiteTable::ValueAsBlob(int32_t index) const {
    const Value& value = Current(index);
    if (std::holds_alternative<std::monostate>(value)) return nullptr;
    if (const auto* b = std::get_if<std::vector<uint8_t>>(&value)) return b;
    throw ESQLiteException("Not a Blob field");
}

// ---- cursor ----

TSQLiteUniTable::TSQLiteUniTable(TSQLiteDatabase& Database, const std::string& Sql)
    : statement_(std::make_unique<TSqliteStatement>(Database.Connection(), Sql)) {
    const int columns = statement_->ColumnCount();
    for (int c = 0; c < columns; ++c) columns_.push_back(encoding::AsciiUpper(statement_->ColumnName(c)));
    Next();
}

TSQLiteUniTable::~TSQLiteUniTable() = default;

bool TSQLiteUniTable::Next() {
    atEnd_ = !statement_->Step();
    if (!atEnd_) ++rowNumber_;
    return !atEnd_;
}

std::string TSQLiteUniTable::ValueAsText(int32_t index) const {
    if (atEnd_ || index < 0 || index >= ColumnCount()) return {};
    return statement_->Text(index);
}
