#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>

#include "player/song_records.h"
#include "player/sqlite_access.h"
#include "tests/support/sqlite_library_writer.h"
#include "tests/support/temp_dir.h"

// ---- access classes ----

TEST(SQLiteAccess, TableReadsValuesByTheirColumnTypes) {
    TempDir dir;
    const std::string file = dir / "t.db";
    ExecSql(file,
            "CREATE TABLE t (i INTEGER, f REAL, s TEXT, b BLOB, n NUMERIC, other VARCHAR(10));"
            "INSERT INTO t VALUES (42, 2.5, 'テキスト', x'0102', 7, 'x');"
            "INSERT INTO t VALUES (NULL, NULL, NULL, x'', NULL, NULL);"
            "INSERT INTO t VALUES (-9000000000, 2038.0, '', x'41', 1.25, 'y');");
    TSQLiteDatabase db(file);
    auto table = db.QueryTable("SELECT * FROM t");
    ASSERT_EQ(table->RowCount(), 3);
    EXPECT_EQ(table->ColumnCount(), 6);
    EXPECT_EQ(table->ColumnType(0), kSQLiteInteger);
    EXPECT_EQ(table->ColumnType(1), kSQLiteFloat);
    EXPECT_EQ(table->ColumnType(2), kSQLiteText);
    EXPECT_EQ(table->ColumnType(3), kSQLiteBlob);
    EXPECT_EQ(table->ColumnType(4), kSQLiteFloat);
    EXPECT_EQ(table->ColumnType(5), kSQLiteText);  // any other declared type is text

    EXPECT_EQ(table->ValueAsInt64(0), 42);
    EXPECT_EQ(table->ValueAsText(0), "42");
    EXPECT_DOUBLE_EQ(table->ValueAsFloat(1), 2.5);
    EXPECT_EQ(table->ValueAsText(1), "2.5");
    EXPECT_EQ(table->ValueAsText(2), "テキスト");
    ASSERT_NE(table->ValueAsBlob(3), nullptr);
    EXPECT_EQ(table->ValueAsBlob(3)->size(), 2u);
    EXPECT_THROW(table->ValueAsInt64(2), ESQLiteException);
    EXPECT_THROW(table->ValueAsBlob(0), ESQLiteException);

    ASSERT_TRUE(table->MoveNext());
    // NULL reads as 0, empty text or no blob whatever the column's type; an empty blob too.
    EXPECT_EQ(table->ValueAsInt64(0), 0);
    EXPECT_EQ(table->ValueAsText(0), "");
    EXPECT_EQ(table->ValueAsInt64(2), 0);
    EXPECT_EQ(table->ValueAsBlob(3), nullptr);
    EXPECT_DOUBLE_EQ(table->ValueAsFloat(4), 0);

    ASSERT_TRUE(table->MoveNext());
    EXPECT_EQ(table->ValueAsInt64(0), -9000000000LL);
    EXPECT_EQ(table->ValueAsText(1), "2038");
    EXPECT_EQ(table->ValueAsInt64(4), 1);  // a float read as an integer is truncated
    EXPECT_TRUE(table->MoveNext());
    EXPECT_TRUE(table->AtEnd());
    EXPECT_FALSE(table->MoveNext());
    EXPECT_THROW(table->ValueAsText(0), ESQLiteException);
}

TEST(SQLiteAccess, ColumnNamesMatchWithoutCaseAndReportMissingOnes) {
    TempDir dir;
    const std::string file = dir / "t.db";
    ExecSql(file, "CREATE TABLE item (title TEXT); CREATE TABLE empty (title TEXT); INSERT INTO item VALUES ('a');");
    TSQLiteDatabase db(file);
    auto table = db.QueryTable("SELECT * FROM item");
    EXPECT_EQ(table->ColumnIndex("Title"), 0);
    EXPECT_EQ(table->ColumnName(0), "TITLE");
    // A column position outside the result raises the class's own error, as a value read does.
    EXPECT_THROW(table->ColumnName(1), ESQLiteException);
    EXPECT_THROW(table->ColumnType(-1), ESQLiteException);
    try {
        table->ColumnIndex("artist");
        FAIL();
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(e.Message(), "Field not found in dataset: artist");
    }
    auto empty = db.QueryTable("SELECT * FROM empty");
    EXPECT_EQ(empty->RowCount(), 0);
    EXPECT_TRUE(empty->AtEnd());
    try {
        empty->ColumnIndex("title");
        FAIL();
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(e.Message(), "Field title Not found. Empty dataset");
    }
    EXPECT_EQ(db.QueryText("SELECT title FROM empty"), "");
    EXPECT_EQ(db.QueryText("SELECT title FROM item"), "a");
}

TEST(SQLiteAccess, FailuresCarrySQLitesMessage) {
    TempDir dir;
    try {
        TSQLiteDatabase missing(dir / "missing.db");
        FAIL();
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(e.Message(),
                  "Failed to open database \"" + (dir / "missing.db") + "\" : unable to open database file");
    }
    // Opening read-only never creates the file.
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.db"));

    const std::string file = dir / "t.db";
    ExecSql(file, "CREATE TABLE t (a INTEGER);");
    TSQLiteDatabase db(file);
    try {
        db.QueryTable("SELECT * FROM missing_table");
        FAIL();
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(e.Message(),
                  "Error executing SQL.\rError [1]: SQL error or missing database.\r"
                  "\"SELECT * FROM missing_table\": no such table: missing_table");
    }
    EXPECT_THROW(db.QueryText("SELEC"), ESQLiteException);

    // Not a database at all.
    const std::string notDb = dir.Write("junk.db", std::string(4096, 'x'));
    TSQLiteDatabase opened(notDb);  // SQLite reads the header only on the first query
    EXPECT_THROW(opened.QueryTable("SELECT * FROM item"), ESQLiteException);
}

TEST(SQLiteAccess, CodeTexts) {
    EXPECT_EQ(SQLiteCodeText(0), "Successful result");
    EXPECT_EQ(SQLiteCodeText(19), "Abort due to contraint violation");
    EXPECT_EQ(SQLiteCodeText(26), "File opened that is not a database file");
    EXPECT_EQ(SQLiteCodeText(101), "sqlite3_step() has finished executing");
    EXPECT_EQ(SQLiteCodeText(27), "Unknown SQLite Error Code \"27\"");
}

// ---- library reader ----

namespace {

SqlLibraryItem Item(int64_t pid, const std::string& title) {
    SqlLibraryItem item;
    item.Pid = pid;
    item.Title = title;
    item.Artist = "Artist " + title;
    item.Album = "Album " + title;
    item.TrackNumber = "3";
    item.TrackCount = "10";
    item.DiscNumber = "1";
    item.DiscCount = "2";
    item.TotalTimeMs = "2038";
    item.Location = "F00/" + title + ".mp3";
    return item;
}

}  // namespace

TEST(SQLiteLibraryReader, ReadsSongsWithLocationsAndVideoFlags) {
    TempDir dir;
    const std::string folder = dir / "iTunes Library.itlp";
    std::vector<SqlLibraryItem> items = {Item(1, "曲"), Item(2, "tv"), Item((int64_t{1} << 40) + 5, "big")};
    items[1].IsTvShow = 1;
    items[2].Location.reset();
    WriteSqliteLibrary(folder, items);
    TITunesDBLoader loader;
    loader.LoadFromSQLite(folder);
    ASSERT_EQ(loader.Songs.GetCount(), 3);
    const TITBSongItem& s = *loader.Songs.GetItem(0);
    EXPECT_EQ(s.Title, "曲");
    EXPECT_EQ(s.Artist, "Artist 曲");
    EXPECT_EQ(s.Album, "Album 曲");
    EXPECT_EQ(s.TrackNumber, 3);
    EXPECT_EQ(s.TrackCount, 10);
    EXPECT_EQ(s.DiscNumber, 1);
    EXPECT_EQ(s.DiscCount, 2);
    EXPECT_EQ(s.Length, 2038);
    EXPECT_EQ(s.DatabaseId, 1);
    EXPECT_EQ(s.Location, "/iPod_Control/Music/F00/曲.mp3");
    EXPECT_FALSE(s.IsVideo);
    EXPECT_EQ(s.Year, 2000);  // not read from this source
    EXPECT_TRUE(loader.Songs.GetItem(1)->IsVideo);
    EXPECT_EQ(loader.Songs.GetItem(2)->DatabaseId, (int64_t{1} << 40) + 5);
    EXPECT_EQ(loader.Songs.GetItem(2)->Location, "/iPod_Control/Music/");
    EXPECT_EQ(loader.TotalSize, 0);
}

TEST(SQLiteLibraryReader, OddNumbersReadAsZeroOrTheirWholePart) {
    TempDir dir;
    const std::string folder = dir / "lib";
    std::vector<SqlLibraryItem> items;
    const char* values[] = {"NULL", "''", "'abc'", "'2038.0'", "'2038.75'", "'12abc'", "' 7 '", "'-4'", "2038.9"};
    for (size_t i = 0; i < std::size(values); ++i) {
        SqlLibraryItem item = Item(static_cast<int64_t>(i + 1), "s");
        item.TrackNumber = item.TrackCount = item.DiscNumber = item.DiscCount = item.TotalTimeMs = values[i];
        items.push_back(item);
    }
    SqlLibraryOptions options;
    options.NumberType = "TEXT";
    options.TimeType = "TEXT";
    WriteSqliteLibrary(folder, items, options);
    TITunesDBLoader loader;
    ASSERT_NO_THROW(loader.LoadFromSQLite(folder));
    ASSERT_EQ(loader.Songs.GetCount(), static_cast<int32_t>(std::size(values)));
    const int32_t expected[] = {0, 0, 0, 2038, 2038, 0, 7, -4, 2038};
    for (size_t i = 0; i < std::size(values); ++i) {
        const TITBSongItem& s = *loader.Songs.GetItem(static_cast<int32_t>(i));
        EXPECT_EQ(s.Length, expected[i]) << values[i];
        EXPECT_EQ(s.TrackNumber, expected[i]) << values[i];
        EXPECT_EQ(s.DiscCount, expected[i]) << values[i];
    }

    // The same in the declared types players use (REAL time, INTEGER numbers).
    TempDir other;
    WriteSqliteLibrary(other / "lib", items);
    TITunesDBLoader typed;
    ASSERT_NO_THROW(typed.LoadFromSQLite(other / "lib"));
    EXPECT_EQ(typed.Songs.GetItem(3)->Length, 2038);
    EXPECT_EQ(typed.Songs.GetItem(0)->Length, 0);
}

TEST(SQLiteLibraryReader, UpperCaseColumnsAndEmptyTable) {
    TempDir dir;
    SqlLibraryOptions upper;
    upper.UpperCaseColumns = true;
    WriteSqliteLibrary(dir / "a", {Item(1, "x")}, upper);
    TITunesDBLoader loader;
    loader.LoadFromSQLite(dir / "a");
    ASSERT_EQ(loader.Songs.GetCount(), 1);
    EXPECT_EQ(loader.Songs.GetItem(0)->Title, "x");

    WriteSqliteLibrary(dir / "b", {});
    TITunesDBLoader empty;
    EXPECT_NO_THROW(empty.LoadFromSQLite(dir / "b"));
    EXPECT_EQ(empty.Songs.GetCount(), 0);
}

TEST(SQLiteLibraryReader, MissingDatabasesRaiseAndAreNeverCreated) {
    TempDir dir;
    SqlLibraryOptions noLocations;
    noLocations.WriteLocations = false;
    WriteSqliteLibrary(dir / "a", {Item(1, "x")}, noLocations);
    TITunesDBLoader loader;
    EXPECT_THROW(loader.LoadFromSQLite(dir / "a"), ESQLiteException);
    EXPECT_FALSE(std::filesystem::exists(dir / "a/Locations.itdb"));
    EXPECT_EQ(loader.Songs.GetCount(), 0);

    SqlLibraryOptions noLibrary;
    noLibrary.WriteLibrary = false;
    WriteSqliteLibrary(dir / "b", {Item(1, "x")}, noLibrary);
    EXPECT_THROW(loader.LoadFromSQLite(dir / "b"), ESQLiteException);
    EXPECT_FALSE(std::filesystem::exists(dir / "b/Library.itdb"));
}

TEST(SQLiteLibraryReader, ReadOnlyFilesAreReadAndNotChanged) {
    TempDir dir;
    WriteSqliteLibrary(dir / "lib", {Item(1, "x"), Item(2, "y")});
    const std::string library = dir / "lib/Library.itdb";
    const std::string before = ReadFileText(library);
    chmod(library.c_str(), 0444);
    chmod((dir / "lib/Locations.itdb").c_str(), 0444);
    chmod((dir / "lib").c_str(), 0555);
    TITunesDBLoader loader;
    loader.LoadFromSQLite(dir / "lib");
    EXPECT_EQ(loader.Songs.GetCount(), 2);
    EXPECT_EQ(ReadFileText(library), before);
    chmod((dir / "lib").c_str(), 0755);
}

TEST(SQLiteLibraryReader, LockedDatabaseRaisesWithSQLitesMessage) {
    TempDir dir;
    WriteSqliteLibrary(dir / "lib", {Item(1, "x")});
    // Another connection holds an exclusive lock, as a program writing the library would.
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "lib/Library.itdb").c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE; INSERT INTO item (pid) VALUES (99);", nullptr, nullptr, nullptr),
              SQLITE_OK);
    TITunesDBLoader loader;
    try {
        loader.LoadFromSQLite(dir / "lib");
        ADD_FAILURE() << "a locked library was read";
    } catch (const ESQLiteException& e) {
        EXPECT_NE(e.Message().find("database is locked"), std::string::npos) << e.Message();
    }
    sqlite3_exec(writer, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    loader.LoadFromSQLite(dir / "lib");
    EXPECT_EQ(loader.Songs.GetCount(), 1);
}
