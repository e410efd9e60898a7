#include "foundation/sqlite_db.h"

#include <sqlite3.h>

TSqliteConnection::TSqliteConnection(const std::string& FileName, int Flags, TSqliteFailure OnFailure)
    : FOnFailure(std::move(OnFailure)) {
    const int rc = sqlite3_open_v2(FileName.c_str(), &FDb, Flags, nullptr);
    if (rc != SQLITE_OK) {
        // The handle (when there is one) holds the reason until it is closed.
        struct Closer {
            sqlite3*& db;
            ~Closer() {
                sqlite3_close(db);
                db = nullptr;
            }
        } closer{FDb};
        Fail(TSqliteStage::Open, rc, FileName);
    }
}

TSqliteConnection::~TSqliteConnection() { Close(); }

void TSqliteConnection::Close() {
    FCache.clear();
    if (FDb) {
        // A statement still held elsewhere keeps the file open until it is finalised.
        sqlite3_close_v2(FDb);
        FDb = nullptr;
    }
}

void TSqliteConnection::Fail(TSqliteStage Stage, int Code, const std::string& Text) const {
    if (FOnFailure) FOnFailure(FDb, Stage, Code, Text);
    throw ESqliteError("SQLite error " + std::to_string(Code) + ": " + Text);
}

void TSqliteConnection::Exec(const std::string& Sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(FDb, Sql.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK) Fail(TSqliteStage::Exec, rc, Sql);
}

TSqliteStatement& TSqliteConnection::Cached(const std::string& Sql) {
    auto it = FCache.find(Sql);
    if (it == FCache.end()) {
        it = FCache.emplace(Sql, std::make_unique<TSqliteStatement>(*this, Sql)).first;
    } else {
        it->second->Reset();
    }
    return *it->second;
}

int64_t TSqliteConnection::LastInsertId() const { return sqlite3_last_insert_rowid(FDb); }

int TSqliteConnection::Changes() const { return sqlite3_changes(FDb); }

TSqliteStatement::TSqliteStatement(TSqliteConnection& Connection, const std::string& Sql)
    : FConnection(Connection), FSql(Sql) {
    const int rc = sqlite3_prepare_v2(Connection.Handle(), Sql.c_str(), -1, &FStmt, nullptr);
    if (rc != SQLITE_OK || FStmt == nullptr) {
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        Connection.Fail(TSqliteStage::Prepare, rc, Sql);
    }
}

TSqliteStatement::~TSqliteStatement() { sqlite3_finalize(FStmt); }

TSqliteStatement& TSqliteStatement::Bind(int Index, int64_t Value) {
    sqlite3_bind_int64(FStmt, Index, Value);
    return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int Index, const std::string& Value) {
    sqlite3_bind_text(FStmt, Index, Value.data(), static_cast<int>(Value.size()), SQLITE_TRANSIENT);
    return *this;
}

int TSqliteStatement::StepCode() { return sqlite3_step(FStmt); }

bool TSqliteStatement::Step() {
    const int rc = StepCode();
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(FStmt);
    FConnection.Fail(TSqliteStage::Step, rc, FSql);
}

void TSqliteStatement::Run() {
    while (Step()) {
    }
}

void TSqliteStatement::Reset() {
    sqlite3_reset(FStmt);
    sqlite3_clear_bindings(FStmt);
}

int TSqliteStatement::ColumnCount() const { return sqlite3_column_count(FStmt); }

std::string TSqliteStatement::ColumnName(int Column) const {
    const char* name = sqlite3_column_name(FStmt, Column);
    return name ? name : "";
}

const char* TSqliteStatement::DeclaredType(int Column) const { return sqlite3_column_decltype(FStmt, Column); }

int TSqliteStatement::ValueType(int Column) const { return sqlite3_column_type(FStmt, Column); }

int64_t TSqliteStatement::Int(int Column) const { return sqlite3_column_int64(FStmt, Column); }

double TSqliteStatement::Float(int Column) const { return sqlite3_column_double(FStmt, Column); }

std::string TSqliteStatement::Text(int Column) const {
    const unsigned char* text = sqlite3_column_text(FStmt, Column);
    const int bytes = sqlite3_column_bytes(FStmt, Column);
    if (text == nullptr || bytes <= 0) return {};
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes));
}

std::span<const uint8_t> TSqliteStatement::Blob(int Column) const {
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(FStmt, Column));
    const int size = sqlite3_column_bytes(FStmt, Column);
    if (bytes == nullptr || size <= 0) return {};
    return {bytes, static_cast<size_t>(size)};
}
