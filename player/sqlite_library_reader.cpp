// The SQLite music library of newer players: one song per row of the "item" table, its file
// location from the "location" table of a second database. Both are opened read-only.
#include <charconv>
#include <string>

#include "foundation/encoding.h"
#include "foundation/paths.h"
#include "player/song_records.h"
#include "player/sqlite_access.h"

namespace {

// Numbers of the library are often NULL, empty or stored as text with a decimal part
// ("2038.0"); such values read as 0 or as their whole part instead of ending the load.
int32_t WholeNumber(const std::string& text) {
    const std::string trimmed = encoding::Trim(text);
    const char* first = trimmed.data();
    const char* last = first + trimmed.size();
    int64_t value = 0;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end == first) return 0;
    if (end != last) {
        if (*end != '.') return 0;
        for (const char* p = end + 1; p != last; ++p) {
            if (*p < '0' || *p > '9') return 0;
        }
    }
    if (value < INT32_MIN || value > INT32_MAX) return 0;
    return static_cast<int32_t>(value);
}

// The database file of the library folder. SQLite would open a named pipe and wait on it for
// ever, or follow a link out of the player: anything but a regular file is a missing database.
std::string DatabaseFile(const std::string& folder, const std::string& name) {
    const std::string path = FindPlayerPath(folder, name);
    if (PathKindOf(path) != TPathKind::File) {
        throw ESQLiteException("Failed to open database \"" + path + "\" : unable to open database file");
    }
    return path;
}

}  // namespace

void TITunesDBLoader::LoadFromSQLite(const std::string& Folder) {
    // Both are opened before anything is read; names are matched without regard to case, as
    // on the player's own file system.
    TSQLiteDatabase library(DatabaseFile(Folder, "Library.itdb"));
    TSQLiteDatabase locations(DatabaseFile(Folder, "Locations.itdb"));

    std::unique_ptr<TSQLiteTable> items = library.QueryTable("SELECT * FROM item");
    if (items->RowCount() == 0) return;  // the column names are never asked of an empty result

    const int32_t artist = items->ColumnIndex("artist");
    const int32_t album = items->ColumnIndex("album");
    const int32_t title = items->ColumnIndex("title");
    const int32_t pid = items->ColumnIndex("pid");
    const int32_t isMovie = items->ColumnIndex("is_movie");
    const int32_t isMusicVideo = items->ColumnIndex("is_music_video");
    const int32_t isTvShow = items->ColumnIndex("is_tv_show");
    const int32_t trackNumber = items->ColumnIndex("track_number");
    const int32_t trackCount = items->ColumnIndex("track_count");
    const int32_t discNumber = items->ColumnIndex("disc_number");
    const int32_t discCount = items->ColumnIndex("disc_count");
    const int32_t totalTime = items->ColumnIndex("total_time_ms");

    while (!items->AtEnd()) {
        TITBSongItem* song = Songs.Add();
        song->Artist = items->ValueAsText(artist);
        song->Album = items->ValueAsText(album);
        song->Title = items->ValueAsText(title);
        const int64_t id = items->ValueAsInt64(pid);
        song->IsVideo =
            items->ValueAsInt64(isMovie) + items->ValueAsInt64(isMusicVideo) + items->ValueAsInt64(isTvShow) > 0;
        song->TrackNumber = WholeNumber(items->ValueAsText(trackNumber));
        song->TrackCount = WholeNumber(items->ValueAsText(trackCount));
        song->DiscNumber = WholeNumber(items->ValueAsText(discNumber));
        song->DiscCount = WholeNumber(items->ValueAsText(discCount));
        song->Length = WholeNumber(items->ValueAsText(totalTime));
        song->DatabaseId = id;
        song->Location = "/iPod_Control/Music/" +
                         locations.QueryText("SELECT location FROM location WHERE item_pid = " + std::to_string(id));
        items->MoveNext();
    }
}
