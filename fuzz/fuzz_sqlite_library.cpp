// The SQLite library reader over the two databases of a player's library made from the input,
// a text of tab-separated lines: the first names the columns of the item table (a name, then
// optionally a blank and a declared type), each further line is a row of it, and the lines
// after a line "--" are rows (item_pid, location) of the location table. A value is NULL for
// "NULL", a blob for "x:" and what follows, a number when it reads as one, text otherwise.
// Whatever the tables hold, a load either fails with the reader's exception or gives one song
// per row with a location on the player; text titles and whole-number ids come back as stored.
#include <sqlite3.h>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "foundation/encoding.h"
#include "fuzz/fuzz_files.h"
#include "player/song_records.h"
#include "player/sqlite_access.h"

namespace {

using Value = std::variant<std::monostate, int64_t, double, std::string, std::vector<uint8_t>>;

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

Value ValueOf(std::string_view field) {
    if (field == "NULL") return std::monostate{};
    if (field.substr(0, 2) == "x:") return std::vector<uint8_t>(field.begin() + 2, field.end());
    const char* last = field.data() + field.size();
    int64_t whole = 0;
    if (auto [end, ec] = std::from_chars(field.data(), last, whole);
        ec == std::errc() && end == last && !field.empty()) {
        return whole;
    }
    double real = 0;
    if (auto [end, ec] = std::from_chars(field.data(), last, real);
        ec == std::errc() && end == last && !field.empty()) {
        return real;
    }
    return std::string(field);
}

// Only letters, digits and "_" of a name or type reach the SQL text.
std::string Word(std::string_view text) {
    std::string out;
    for (char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') out += c;
    }
    return out;
}

struct Column {
    std::string Name;
    std::string Type;
};

struct Library {
    std::vector<Column> Columns;
    std::vector<std::vector<Value>> Items;      // one value per column
    std::vector<std::vector<Value>> Locations;  // item_pid, location
};

Library Parse(std::string_view text) {
    constexpr size_t kMaxColumns = 24, kMaxRows = 64;
    Library library;
    const std::vector<std::string_view> lines = Split(text, '\n');
    for (std::string_view header : Split(lines[0], '\t')) {
        if (library.Columns.size() == kMaxColumns) break;
        const size_t blank = header.find(' ');
        Column column{Word(header.substr(0, blank)), blank == std::string_view::npos ? "" : Word(header.substr(blank))};
        if (column.Name.empty()) column.Name = "c" + std::to_string(library.Columns.size());
        library.Columns.push_back(column);
    }
    bool locations = false;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i] == "--") {
            locations = true;
            continue;
        }
        std::vector<std::vector<Value>>& rows = locations ? library.Locations : library.Items;
        if (rows.size() == kMaxRows) continue;
        const size_t width = locations ? 2 : library.Columns.size();
        std::vector<Value> row(width);
        const std::vector<std::string_view> fields = Split(lines[i], '\t');
        for (size_t c = 0; c < width && c < fields.size(); ++c) row[c] = ValueOf(fields[c]);
        rows.push_back(std::move(row));
    }
    return library;
}

void Bind(sqlite3_stmt* statement, int index, const Value& value) {
    if (const auto* whole = std::get_if<int64_t>(&value)) {
        sqlite3_bind_int64(statement, index, *whole);
    } else if (const auto* real = std::get_if<double>(&value)) {
        sqlite3_bind_double(statement, index, *real);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
    } else if (const auto* blob = std::get_if<std::vector<uint8_t>>(&value)) {
        sqlite3_bind_blob(statement, index, blob->data(), static_cast<int>(blob->size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_null(statement, index);
    }
}

// Writes one table; false when SQLite refuses it (two columns of one name, say).
bool WriteTable(const std::string& file, const std::string& create, const std::string& insert,
                const std::vector<std::vector<Value>>& rows) {
    std::filesystem::remove(file);
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_exec(db, ("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN; " + create).c_str(), nullptr,
                            nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* statement = nullptr;
    ok = ok && sqlite3_prepare_v2(db, insert.c_str(), -1, &statement, nullptr) == SQLITE_OK;
    for (size_t r = 0; ok && r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) Bind(statement, static_cast<int>(c + 1), rows[r][c]);
        ok = sqlite3_step(statement) == SQLITE_DONE && sqlite3_reset(statement) == SQLITE_OK;
    }
    sqlite3_finalize(statement);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

std::optional<size_t> ColumnNamed(const Library& library, const std::string& name) {
    for (size_t c = 0; c < library.Columns.size(); ++c) {
        if (encoding::AsciiLower(library.Columns[c].Name) == name) return c;
    }
    return std::nullopt;
}

// A column without a declared type keeps each value as stored; when its first row holds a
// value of the kind, the reader takes every row's value of that kind as it is.
template <class T>
const T* AsStored(const Library& library, std::optional<size_t> column, size_t row) {
    if (!column || !library.Columns[*column].Type.empty()) return nullptr;
    if (!std::holds_alternative<T>(library.Items[0][*column])) return nullptr;
    return std::get_if<T>(&library.Items[row][*column]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Library library = Parse(fuzz::AsText(data, size));
    const std::string folder = fuzz::WorkFolder() + "/iTunes Library.itlp";
    std::filesystem::create_directories(folder);
    std::string create = "CREATE TABLE item(", insert = "INSERT INTO item VALUES(";
    for (size_t c = 0; c < library.Columns.size(); ++c) {
        create += (c ? ", \"" : "\"") + library.Columns[c].Name + "\" " + library.Columns[c].Type;
        insert += c ? ", ?" : "?";
    }
    if (!WriteTable(folder + "/Library.itdb", create + ")", insert + ")", library.Items) ||
        !WriteTable(folder + "/Locations.itdb", "CREATE TABLE location(item_pid INTEGER, location TEXT)",
                    "INSERT INTO location VALUES(?, ?)", library.Locations)) {
        return 0;
    }

    TITunesDBLoader loader;
    try {
        loader.LoadFromSQLite(folder);
    } catch (const ESQLiteException&) {
        return 0;
    }
    if (loader.Songs.GetCount() != static_cast<int32_t>(library.Items.size())) __builtin_trap();
    const std::optional<size_t> title = ColumnNamed(library, "title"), pid = ColumnNamed(library, "pid");
    for (int32_t i = 0; i < loader.Songs.GetCount(); ++i) {
        const TITBSongItem* song = loader.Songs.GetItem(i);
        if (song->Location.rfind("/iPod_Control/Music/", 0) != 0) __builtin_trap();
        const size_t row = static_cast<size_t>(i);
        if (const auto* text = AsStored<std::string>(library, title, row); text && song->Title != *text)
            __builtin_trap();
        if (const auto* id = AsStored<int64_t>(library, pid, row); id && song->DatabaseId != *id) {
            __builtin_trap();
        }
    }
    return 0;
}
