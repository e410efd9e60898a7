#include "platform/media_library.h"

#include <linux/magic.h>
#include <sqlite3.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>

#include "foundation/encoding.h"
#include "foundation/file_write.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "foundation/program_folder.h"
#include "foundation/sqlite_db.h"

namespace fs = std::filesystem;

struct TMediaStore {
    std::unique_ptr<TSqliteConnection> Db;
    bool InWork = false;  // a transaction of BeginWork is open
};

namespace {

TSqliteConnection& Open(const std::shared_ptr<TMediaStore>& store) {
    if (!store || !store->Db || !store->Db->IsOpen()) throw EMediaLibraryError("メディアライブラリは閉じられています");
    return *store->Db;
}

// The user reads these reasons in a message box: SQLite's own texts are English, so the
// reason is told from its result code (and the system's error behind a failed file access).
std::string Reason(sqlite3* db, int result) {
    if (!db) return SysErrorText(ENOMEM);
    const int code = (result != SQLITE_OK ? result : sqlite3_errcode(db)) & 0xFF;
    switch (code) {
        case SQLITE_FULL: return SysErrorText(ENOSPC);
        case SQLITE_NOMEM: return SysErrorText(ENOMEM);
        case SQLITE_READONLY: return "メディアライブラリのファイルに書き込めません (読み取り専用です)";
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return "メディアライブラリは他のプログラムが使用中です";
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return "メディアライブラリのファイルが壊れています";
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
        case SQLITE_PERM:
            if (const int err = sqlite3_system_errno(db)) return SysErrorText(err);
            return code == SQLITE_CANTOPEN ? "メディアライブラリのファイルを開けません" : SysErrorText(EIO);
        default: return "メディアライブラリの処理に失敗しました (コード " + std::to_string(result) + ")";
    }
}

void Failure(sqlite3* db, TSqliteStage stage, int code, const std::string& text) {
    if (stage == TSqliteStage::Open)
        throw EMediaLibraryError("メディアライブラリ " + text + " を開けません: " + Reason(db, code));
    throw EMediaLibraryError("メディアライブラリを操作できません: " + Reason(db, code));
}

[[noreturn]] void Deleted(const char* what) {
    throw EMediaLibraryError(std::string("メディアライブラリ: ") + what + "は削除されています");
}

int64_t IdAt(const std::shared_ptr<TMediaStore>& store, const char* table, int32_t i) {
    TSqliteConnection& db = Open(store);
    if (i >= 1) {
        TSqliteStatement& s = db.Cached(std::string("SELECT id FROM ") + table + " ORDER BY id LIMIT 1 OFFSET ?");
        s.Bind(1, static_cast<int64_t>(i - 1));
        if (s.Step()) {
            const int64_t id = s.Int(0);
            s.Reset();
            return id;
        }
    }
    throw EMediaLibraryError("メディアライブラリ: 番号 " + std::to_string(i) + " は範囲外です");
}

int32_t CountOf(const std::shared_ptr<TMediaStore>& store, const char* table) {
    TSqliteStatement& s = Open(store).Cached(std::string("SELECT COUNT(*) FROM ") + table);
    s.Step();
    const auto count = static_cast<int32_t>(s.Int(0));
    s.Reset();
    return count;
}

std::vector<int64_t> AllIds(const std::shared_ptr<TMediaStore>& store, const char* table) {
    TSqliteStatement s(Open(store), std::string("SELECT id FROM ") + table + " ORDER BY id");
    std::vector<int64_t> ids;
    while (s.Step()) ids.push_back(s.Int(0));
    return ids;
}

// Whether the folder's file system keeps a file that is written in place and then grows, as
// every transaction of the library does to its file (the first page rewritten, pages added).
// Kernel file systems do; some FUSE drivers do not (fusefat chains the added clusters after
// the one written last, and the file reads back short or not at all), and a library kept there
// would be damaged by its first transactions. Tried on a temporary of the safe writer, so that
// nothing stays behind.
bool KeepsFilesWrittenInPlace(const std::string& fileName) {
    struct statfs info {};
    if (::statfs(ContainingFolder(fileName).c_str(), &info) != 0 || info.f_type != FUSE_SUPER_MAGIC) return true;
    try {
        TPendingFile probe(fileName, TFolderLink::Follow);
        constexpr size_t kBlock = 1024;
        std::string expected(kBlock, 'a');
        if (::pwrite(probe.Fd(), expected.data(), kBlock, 0) != static_cast<ssize_t>(kBlock)) return false;
        for (char round = 'b'; round < 'f'; ++round) {
            const std::string header(16, round), block(kBlock, round);
            expected.replace(0, header.size(), header);
            if (::pwrite(probe.Fd(), header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()) ||
                ::pwrite(probe.Fd(), block.data(), kBlock, static_cast<off_t>(expected.size())) !=
                    static_cast<ssize_t>(kBlock))
                return false;
            expected += block;
        }
        std::string back(expected.size() + 1, '\0');
        return ::pread(probe.Fd(), back.data(), back.size(), 0) == static_cast<ssize_t>(expected.size()) &&
               back.compare(0, expected.size(), expected) == 0;
    } catch (const EFileError&) {
        return true;  // the folder cannot be written at all: SQLite says so in its own words
    }
}

}  // namespace

// ---- tracks
// A statement that read one row is reset at once: one left standing on a row would keep the
// file's read lock and hold off every other program writing the library.

std::string TMediaTrack::Text(const char* column) const {
    TSqliteStatement& s = Open(FStore).Cached(std::string("SELECT ") + column + " FROM tracks WHERE id = ?");
    s.Bind(1, FId);
    if (!s.Step()) Deleted("トラック");
    std::string text = s.Text(0);
    s.Reset();
    return text;
}

void TMediaTrack::SetText(const char* column, const std::string& value) {
    TSqliteConnection& db = Open(FStore);
    db.Cached(std::string("UPDATE tracks SET ") + column + " = ? WHERE id = ?").Bind(1, value).Bind(2, FId).Run();
    if (db.Changes() == 0) Deleted("トラック");
}

std::string TMediaTrack::Location() const { return Text("location"); }
std::string TMediaTrack::Name() const { return Text("name"); }
std::string TMediaTrack::Artist() const { return Text("artist"); }
std::string TMediaTrack::Genre() const { return Text("genre"); }
std::string TMediaTrack::Album() const { return Text("album"); }
void TMediaTrack::SetName(const std::string& value) { SetText("name", value); }
void TMediaTrack::SetArtist(const std::string& value) { SetText("artist", value); }
void TMediaTrack::SetGenre(const std::string& value) { SetText("genre", value); }
void TMediaTrack::SetAlbum(const std::string& value) { SetText("album", value); }

void TMediaTrack::Delete() {
    TSqliteConnection& db = Open(FStore);
    db.Cached("DELETE FROM playlist_tracks WHERE track_id = ?").Bind(1, FId).Run();
    db.Cached("DELETE FROM tracks WHERE id = ?").Bind(1, FId).Run();
}

// ---- play lists

std::string TMediaPlaylist::Name() const {
    TSqliteStatement& s = Open(FStore).Cached("SELECT name FROM playlists WHERE id = ?");
    s.Bind(1, FId);
    if (!s.Step()) Deleted("プレイリスト");
    std::string name = s.Text(0);
    s.Reset();
    return name;
}

void TMediaPlaylist::AddTrack(const TMediaTrack& track) {
    TSqliteConnection& db = Open(FStore);
    Name();  // raises for a deleted play list
    TSqliteStatement& check = db.Cached("SELECT 1 FROM tracks WHERE id = ?");
    check.Bind(1, track.Id());
    if (!check.Step()) Deleted("トラック");
    check.Reset();
    db.Cached(
          "INSERT INTO playlist_tracks(playlist_id, position, track_id) VALUES(?, "
          "(SELECT COALESCE(MAX(position), 0) + 1 FROM playlist_tracks WHERE playlist_id = ?), ?)")
        .Bind(1, FId)
        .Bind(2, FId)
        .Bind(3, track.Id())
        .Run();
}

void TMediaPlaylist::Delete() {
    TSqliteConnection& db = Open(FStore);
    db.Cached("DELETE FROM playlist_tracks WHERE playlist_id = ?").Bind(1, FId).Run();
    db.Cached("DELETE FROM playlists WHERE id = ?").Bind(1, FId).Run();
}

std::vector<TMediaTrack> TMediaPlaylist::Tracks() const {
    TSqliteStatement s(Open(FStore), "SELECT track_id FROM playlist_tracks WHERE playlist_id = ? ORDER BY position");
    s.Bind(1, FId);
    std::vector<TMediaTrack> result;
    while (s.Step()) result.emplace_back(FStore, s.Int(0));
    return result;
}

// ---- collections

int32_t TMediaTrackCollection::Count() const { return CountOf(FStore, "tracks"); }
TMediaTrack TMediaTrackCollection::Item(int32_t i) const { return TMediaTrack(FStore, IdAt(FStore, "tracks", i)); }
std::vector<TMediaTrack> TMediaTrackCollection::All() const {
    std::vector<TMediaTrack> tracks;
    for (const int64_t id : AllIds(FStore, "tracks")) tracks.emplace_back(FStore, id);
    return tracks;
}

int32_t TMediaPlaylistCollection::Count() const { return CountOf(FStore, "playlists"); }
TMediaPlaylist TMediaPlaylistCollection::Item(int32_t i) const {
    return TMediaPlaylist(FStore, IdAt(FStore, "playlists", i));
}
std::vector<TMediaPlaylist> TMediaPlaylistCollection::All() const {
    std::vector<TMediaPlaylist> lists;
    for (const int64_t id : AllIds(FStore, "playlists")) lists.emplace_back(FStore, id);
    return lists;
}

void TMediaLibraryPlaylist::AddFile(const std::string& path) {
    TSqliteConnection& db = Open(FStore);
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(path), ec))
        throw EMediaLibraryError("メディアライブラリ: ファイル " + path + " が見つかりません");
    TSqliteStatement& known = db.Cached("SELECT 1 FROM tracks WHERE location = ?");
    known.Bind(1, path);
    const bool there = known.Step();
    known.Reset();
    if (there) return;
    db.Cached("INSERT INTO tracks(location, name, artist, genre, album) VALUES(?, ?, '', '', '')")
        .Bind(1, path)
        .Bind(2, fs::path(path).stem().string())
        .Run();
}

// ---- the application object

std::string TMediaLibrary::DefaultFileName() {
    return ProgramFolder(TProgramKind::HarrowinCast) + "/MediaLibrary.sqlite";
}

TMediaLibrary::TMediaLibrary(const std::string& FileName)
    : FFileName(FileName), FStore(std::make_shared<TMediaStore>()) {
    std::error_code ec;
    const fs::path parent = fs::path(FileName).parent_path();
    if (!parent.empty()) fs::create_directories(parent, ec);
    if (!KeepsFilesWrittenInPlace(FileName))
        throw EMediaLibraryError("メディアライブラリ " + FileName +
                                 " を開けません: このフォルダーのファイルシステムは書き換えたファイルの内容を"
                                 "正しく保てないため、メディアライブラリを置けません。");
    FStore->Db = std::make_unique<TSqliteConnection>(FileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, Failure);
    sqlite3_busy_timeout(FStore->Db->Handle(), 5000);
    // playlist_files: the .m3u8 files UpdateiPod wrote, so that those of lists that are gone
    // can be removed without touching any other file of the folder.
    const char* schema =
        "CREATE TABLE IF NOT EXISTS tracks(id INTEGER PRIMARY KEY AUTOINCREMENT, location TEXT NOT NULL, "
        "name TEXT NOT NULL, artist TEXT NOT NULL, genre TEXT NOT NULL, album TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS playlists(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS playlist_tracks(playlist_id INTEGER NOT NULL, position INTEGER NOT NULL, "
        "track_id INTEGER NOT NULL);"
        "CREATE TABLE IF NOT EXISTS playlist_files(name TEXT PRIMARY KEY);"
        "CREATE INDEX IF NOT EXISTS tracks_by_location ON tracks(location);"
        "CREATE INDEX IF NOT EXISTS playlist_tracks_by_list ON playlist_tracks(playlist_id, position);"
        "CREATE INDEX IF NOT EXISTS playlist_tracks_by_track ON playlist_tracks(track_id);";
    try {
        FStore->Db->Exec(schema);
    } catch (const EMediaLibraryError&) {
        throw EMediaLibraryError("メディアライブラリ " + FileName +
                                 " を開けません: " + Reason(FStore->Db->Handle(), SQLITE_OK));
    }
}

TMediaLibrary::~TMediaLibrary() {
    // A library given up halfway (by an exception) keeps none of its unfinished writes.
    try {
        RollbackWork();
    } catch (...) {
        // Closing cannot report; SQLite rolls back what is left open.
    }
    try {
        Quit();
    } catch (...) {
    }
}

TMediaPlaylist TMediaLibrary::CreatePlaylist(const std::string& name) {
    TSqliteConnection& db = Open(FStore);
    db.Cached("INSERT INTO playlists(name) VALUES(?)").Bind(1, name).Run();
    return TMediaPlaylist(FStore, db.LastInsertId());
}

void TMediaLibrary::BeginWork() {
    TSqliteConnection& db = Open(FStore);
    if (FStore->InWork) return;
    db.Exec("BEGIN IMMEDIATE");
    FStore->InWork = true;
}

void TMediaLibrary::CommitWork() {
    TSqliteConnection& db = Open(FStore);
    if (!FStore->InWork) return;
    // After some failed writes (a full disk) SQLite has rolled the transaction back itself:
    // what was written since is not what BeginWork started.
    if (sqlite3_get_autocommit(db.Handle())) {
        FStore->InWork = false;
        throw EMediaLibraryError("メディアライブラリへの変更は取り消されました");
    }
    try {
        db.Exec("COMMIT");
    } catch (const EMediaLibraryError&) {
        // A commit that waited in vain for a reader leaves the transaction open: nothing of it
        // may stay for a later write to commit.
        RollbackWork();
        throw;
    }
    FStore->InWork = false;
}

void TMediaLibrary::RollbackWork() {
    TSqliteConnection& db = Open(FStore);
    if (!FStore->InWork) return;
    FStore->InWork = false;
    if (!sqlite3_get_autocommit(db.Handle())) db.Exec("ROLLBACK");
}

namespace {

// The two lines of one track: "#EXTINF:-1,<artist> - <name>" (the name alone without an artist)
// and the location. The texts come from feeds: a line break in one would add an entry of its
// own to the list, so control characters become blanks.
std::string PlaylistEntry(const std::string& Artist, const std::string& Name, const std::string& Location) {
    const std::string artist = ControlCharsToBlanks(Artist);
    const std::string name = ControlCharsToBlanks(Name);
    const std::string title = encoding::Trim(artist).empty() ? name : artist + " - " + name;
    return "#EXTINF:-1," + title + "\r\n" + ControlCharsToBlanks(Location) + "\r\n";
}

constexpr const char* kPlaylistExtension = ".m3u8";

}  // namespace

void TMediaLibrary::UpdateiPod() {
    TSqliteConnection& db = Open(FStore);
    // Other players read the files: they never show what a failed commit would undo.
    if (FStore->InWork) throw EMediaLibraryError("メディアライブラリへの変更が確定していません");
    const std::string folder = WithTrailingSlash(fs::path(FFileName).parent_path().string());
    // File names are told apart without case as well, so that the folder can be copied to a
    // file system that ignores it.
    std::set<std::string> taken, assigned;
    std::string failures;
    TSqliteStatement entries(
        db,
        "SELECT t.artist, t.name, t.location FROM playlist_tracks p JOIN tracks t ON t.id = p.track_id "
        "WHERE p.playlist_id = ? ORDER BY p.position");
    TSqliteStatement lists(db, "SELECT id, name FROM playlists ORDER BY id");
    while (lists.Step()) {
        // A play list name is the user's or a feed's text: it stays one plain name inside the
        // folder, within the file system's limit.
        const std::string stem = FreeEntryName(
            EntryNameWithoutReservedChars(lists.Text(1), "Playlist"),
            kMaxEntryNameBytes - std::char_traits<char>::length(kPlaylistExtension), kHighestEntryNumber,
            TNameFit::Marked, [&taken](const std::string& n) { return taken.count(encoding::AsciiLower(n)) > 0; });
        if (stem.empty()) continue;
        taken.insert(encoding::AsciiLower(stem));
        const std::string name = stem + kPlaylistExtension;
        assigned.insert(name);
        std::string text = "#EXTM3U\r\n";
        entries.Reset();
        entries.Bind(1, lists.Int(0));
        while (entries.Step()) text += PlaylistEntry(entries.Text(0), entries.Text(1), entries.Text(2));
        try {
            // The folder is the program folder, which the user may have made a link.
            WriteWholeFile(folder + name, text, TFolderLink::Follow);
            db.Cached("INSERT OR IGNORE INTO playlist_files(name) VALUES(?)").Bind(1, name).Run();
        } catch (const EFileError& e) {
            failures += (failures.empty() ? "" : "\n") + e.Message();
        }
    }
    // The files this library wrote for play lists that are gone. Only a regular file is
    // removed: whatever else stands at such a name now is not the library's.
    std::vector<std::string> stale;
    {
        TSqliteStatement written(db, "SELECT name FROM playlist_files");
        while (written.Step()) {
            if (!assigned.count(written.Text(0))) stale.push_back(written.Text(0));
        }
    }
    for (const std::string& name : stale) {
        if (name.find('/') == std::string::npos && PathKindOf(folder + name) == TPathKind::File)
            DeleteFileForced(folder + name);
        db.Cached("DELETE FROM playlist_files WHERE name = ?").Bind(1, name).Run();
    }
    if (!failures.empty()) throw EMediaLibraryError(failures);
}

void TMediaLibrary::Quit() {
    if (!FStore->Db || !FStore->Db->IsOpen()) return;
    // Closed whatever the commit gives; a failed commit is reported after.
    struct Closer {
        TSqliteConnection& db;
        ~Closer() { db.Close(); }
    } closer{*FStore->Db};
    CommitWork();
}
