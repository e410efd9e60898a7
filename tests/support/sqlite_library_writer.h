// Writes the two SQLite databases of a player's music library ("Library.itdb" with the table
// item, "Locations.itdb" with the table location) for tests and the sample player. Numbers are
// given as SQL literals so a test can store NULL, '' or '2038.0' where players do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SqlLibraryItem {
    int64_t Pid = 0;
    std::string Title, Artist, Album;
    int IsMovie = 0, IsMusicVideo = 0, IsTvShow = 0;
    // SQL literals: "3", "NULL", "''", "'2038.0'".
    std::string TrackNumber = "0", TrackCount = "0", DiscNumber = "0", DiscCount = "0", TotalTimeMs = "0";
    std::optional<std::string> Location;  // no row in the location table when absent
};

struct SqlLibraryOptions {
    bool UpperCaseColumns = false;       // column names written as "TITLE", "PID", ...
    std::string NumberType = "INTEGER";  // declared type of the track and disc columns
    std::string TimeType = "REAL";       // declared type of total_time_ms
    bool WriteLibrary = true;
    bool WriteLocations = true;
};

// Writes folder + "/Library.itdb" and folder + "/Locations.itdb" (the folder is created).
void WriteSqliteLibrary(const std::string& folder, const std::vector<SqlLibraryItem>& items,
                        const SqlLibraryOptions& options = {});
// Runs SQL on a database file (creating it); throws std::runtime_error with SQLite's message.
void ExecSql(const std::string& file, const std::string& sql);
