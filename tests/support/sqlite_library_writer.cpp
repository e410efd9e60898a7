#include "tests/support/sqlite_library_writer.h"

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>

#include "foundation/encoding.h"

namespace {

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

}  // namespace

void ExecSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "no memory";
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + file + ": " + message);
    }
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown";
        sqlite3_free(error);
        sqlite3_close(db);
        throw std::runtime_error("SQL failed on " + file + ": " + message);
    }
    sqlite3_close(db);
}

void WriteSqliteLibrary(const std::string& folder, const std::vector<SqlLibraryItem>& items,
                        const SqlLibraryOptions& options) {
    std::filesystem::create_directories(folder);
    auto name = [&](const std::string& column) {
        return options.UpperCaseColumns ? encoding::AsciiUpper(column) : column;
    };
    if (options.WriteLibrary) {
        std::string sql = "BEGIN; CREATE TABLE item (" + name("pid") + " INTEGER PRIMARY KEY, " + name("title") +
                          " TEXT, " + name("artist") + " TEXT, " + name("album") + " TEXT, " + name("is_movie") +
                          " INTEGER, " + name("is_music_video") + " INTEGER, " + name("is_tv_show") + " INTEGER, " +
                          name("track_number") + " " + options.NumberType + ", " + name("track_count") + " " +
                          options.NumberType + ", " + name("disc_number") + " " + options.NumberType + ", " +
                          name("disc_count") + " " + options.NumberType + ", " + name("total_time_ms") + " " +
                          options.TimeType + ", " + name("year") + " INTEGER);";
        for (const SqlLibraryItem& item : items) {
            sql += "INSERT INTO item VALUES (" + std::to_string(item.Pid) + ", " + Quote(item.Title) + ", " +
                   Quote(item.Artist) + ", " + Quote(item.Album) + ", " + std::to_string(item.IsMovie) + ", " +
                   std::to_string(item.IsMusicVideo) + ", " + std::to_string(item.IsTvShow) + ", " + item.TrackNumber +
                   ", " + item.TrackCount + ", " + item.DiscNumber + ", " + item.DiscCount + ", " + item.TotalTimeMs +
                   ", 2001);";
        }
        ExecSql(folder + "/Library.itdb", sql + "COMMIT;");
    }
    if (options.WriteLocations) {
        std::string sql = "BEGIN; CREATE TABLE location (item_pid INTEGER, location TEXT);";
        for (const SqlLibraryItem& item : items) {
            if (!item.Location) continue;
            sql += "INSERT INTO location VALUES (" + std::to_string(item.Pid) + ", " + Quote(*item.Location) + ");";
        }
        ExecSql(folder + "/Locations.itdb", sql + "COMMIT;");
    }
}
