#include "platform/media_library.h"

#include <sqlite3.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "foundation/encoding.h"
#include "foundation/names.h"
#include "platform/program_folder.h"

namespace fs = std::filesystem;

struct TMediaStore {
    sqlite3* Db = nullptr;
    ~TMediaStore() {
        if (Db) sqlite3_close(Db);
    }
};

namespace {

sqlite3* Open(const std::shared_ptr<TMediaStore>& store) {
    if (!store || !store->Db) throw EMediaLibraryError("メディアライブラリは閉じられています");
    return store->Db;
}

// The user reads these reasons in a message box: SQLite's own texts are English, so the
// reason is told from its result code (and the system's error behind a failed file access).
std::string Reason(sqlite3* db) {
    if (!db) return SysErrorText(ENOMEM);
    const int code = sqlite3_errcode(db) & 0xFF;
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
        default: return "メディアライブラリの処理に失敗しました (コード " + std::to_string(sqlite3_errcode(db)) + ")";
    }
}

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw EMediaLibraryError(what + ": " + Reason(db));
}

// One prepared statement, finalised when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) : FDb(db) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &FStmt, nullptr) != SQLITE_OK) Fail(db, "メディアライブラリを操作できません");
    }
    ~Statement() { sqlite3_finalize(FStmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int i, int64_t v) {
        sqlite3_bind_int64(FStmt, i, v);
        return *this;
    }
    Statement& Bind(int i, const std::string& v) {
        sqlite3_bind_text(FStmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // True while a row is there.
    bool Step() {
        const int rc = sqlite3_step(FStmt);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        Fail(FDb, "メディアライブラリを操作できません");
    }
    void Run() {
        while (Step()) {
        }
    }
    int64_t Int(int col) const { return sqlite3_column_int64(FStmt, col); }
    std::string Text(int col) const {
        const auto* p = sqlite3_column_text(FStmt, col);
        return p ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(FStmt, col)))
                 : std::string();
    }

private:
    sqlite3* FDb;
    sqlite3_stmt* FStmt = nullptr;
};

int64_t IdAt(const std::shared_ptr<TMediaStore>& store, const char* table, int32_t i) {
    sqlite3* db = Open(store);
    if (i >= 1) {
        Statement s(db, std::string("SELECT id FROM ") + table + " ORDER BY id LIMIT 1 OFFSET ?");
        s.Bind(1, static_cast<int64_t>(i - 1));
        if (s.Step()) return s.Int(0);
    }
    throw EMediaLibraryError("メディアライブラリ: 番号 " + std::to_string(i) + " は範囲外です");
}

int32_t CountOf(const std::shared_ptr<TMediaStore>& store, const char* table) {
    Statement s(Open(store), std::string("SELECT COUNT(*) FROM ") + table);
    s.Step();
    return static_cast<int32_t>(s.Int(0));
}

}  // namespace

// ---- tracks

std::string TMediaTrack::Text(const char* column) const {
    Statement s(Open(FStore), std::string("SELECT ") + column + " FROM tracks WHERE id = ?");
    s.Bind(1, FId);
    if (!s.Step()) throw EMediaLibraryError("メディアライブラリ: トラックは削除されています");
    return s.Text(0);
}

void TMediaTrack::SetText(const char* column, const std::string& value) {
    sqlite3* db = Open(FStore);
    Statement s(db, std::string("UPDATE tracks SET ") + column + " = ? WHERE id = ?");
    s.Bind(1, value).Bind(2, FId).Run();
    if (sqlite3_changes(db) == 0) throw EMediaLibraryError("メディアライブラリ: トラックは削除されています");
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
    sqlite3* db = Open(FStore);
    Statement(db, "DELETE FROM playlist_tracks WHERE track_id = ?").Bind(1, FId).Run();
    Statement(db, "DELETE FROM tracks WHERE id = ?").Bind(1, FId).Run();
}

// ---- play lists

std::string TMediaPlaylist::Name() const {
    Statement s(Open(FStore), "SELECT name FROM playlists WHERE id = ?");
    s.Bind(1, FId);
    if (!s.Step()) throw EMediaLibraryError("メディアライブラリ: プレイリストは削除されています");
    return s.Text(0);
}

void TMediaPlaylist::AddTrack(const TMediaTrack& track) {
    sqlite3* db = Open(FStore);
    Name();  // raises for a deleted play list
    Statement check(db, "SELECT 1 FROM tracks WHERE id = ?");
    check.Bind(1, track.Id());
    if (!check.Step()) throw EMediaLibraryError("メディアライブラリ: トラックは削除されています");
    Statement(db,
              "INSERT INTO playlist_tracks(playlist_id, position, track_id) VALUES(?, "
              "(SELECT COALESCE(MAX(position), 0) + 1 FROM playlist_tracks WHERE playlist_id = ?), ?)")
        .Bind(1, FId)
        .Bind(2, FId)
        .Bind(3, track.Id())
        .Run();
}

void TMediaPlaylist::Delete() {
    sqlite3* db = Open(FStore);
    Statement(db, "DELETE FROM playlist_tracks WHERE playlist_id = ?").Bind(1, FId).Run();
    Statement(db, "DELETE FROM playlists WHERE id = ?").Bind(1, FId).Run();
}

std::vector<TMediaTrack> TMediaPlaylist::Tracks() const {
    Statement s(Open(FStore), "SELECT track_id FROM playlist_tracks WHERE playlist_id = ? ORDER BY position");
    s.Bind(1, FId);
    std::vector<TMediaTrack> result;
    while (s.Step()) result.emplace_back(FStore, s.Int(0));
    return result;
}

// ---- collections

int32_t TMediaTrackCollection::Count() const { return CountOf(FStore, "tracks"); }
TMediaTrack TMediaTrackCollection::Item(int32_t i) const { return TMediaTrack(FStore, IdAt(FStore, "tracks", i)); }
int32_t TMediaPlaylistCollection::Count() const { return CountOf(FStore, "playlists"); }
TMediaPlaylist TMediaPlaylistCollection::Item(int32_t i) const {
    return TMediaPlaylist(FStore, IdAt(FStore, "playlists", i));
}

void TMediaLibraryPlaylist::AddFile(const std::string& path) {
    sqlite3* db = Open(FStore);
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(path), ec))
        throw EMediaLibraryError("メディアライブラリ: ファイル " + path + " が見つかりません");
    Statement known(db, "SELECT 1 FROM tracks WHERE location = ?");
    known.Bind(1, path);
    if (known.Step()) return;
    Statement(db, "INSERT INTO tracks(location, name, artist, genre, album) VALUES(?, ?, '', '', '')")
        .Bind(1, path)
        .Bind(2, fs::path(path).stem().string())
        .Run();
}

// ---- the application object

std::string TMediaLibrary::DefaultFileName() {
    return ProgramFolder(TProgramKind::HarrowinCast) + "/MediaLibrary.sqlite";
}

TMediaLibrary::TMediaLibrary(const std::string& FileName) : FFileName(FileName), FStore(std::make_shared<TMediaStore>()) {
    std::error_code ec;
    const fs::path parent = fs::path(FileName).parent_path();
    if (!parent.empty()) fs::create_directories(parent, ec);
    if (sqlite3_open_v2(FileName.c_str(), &FStore->Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        throw EMediaLibraryError("メディアライブラリ " + FileName + " を開けません: " + Reason(FStore->Db));
    }
    sqlite3_busy_timeout(FStore->Db, 5000);
    const char* schema =
        "CREATE TABLE IF NOT EXISTS tracks(id INTEGER PRIMARY KEY AUTOINCREMENT, location TEXT NOT NULL, "
        "name TEXT NOT NULL, artist TEXT NOT NULL, genre TEXT NOT NULL, album TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS playlists(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS playlist_tracks(playlist_id INTEGER NOT NULL, position INTEGER NOT NULL, "
        "track_id INTEGER NOT NULL);";
    char* err = nullptr;
    if (sqlite3_exec(FStore->Db, schema, nullptr, nullptr, &err) != SQLITE_OK) {
        sqlite3_free(err);
        throw EMediaLibraryError("メディアライブラリ " + FileName + " を開けません: " + Reason(FStore->Db));
    }
}

TMediaLibrary::~TMediaLibrary() = default;

TMediaPlaylist TMediaLibrary::CreatePlaylist(const std::string& name) {
    sqlite3* db = Open(FStore);
    Statement(db, "INSERT INTO playlists(name) VALUES(?)").Bind(1, name).Run();
    return TMediaPlaylist(FStore, sqlite3_last_insert_rowid(db));
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

}  // namespace

void TMediaLibrary::UpdateiPod() {
    sqlite3* db = Open(FStore);
    const fs::path folder = fs::path(FFileName).parent_path();
    Statement lists(db, "SELECT id FROM playlists ORDER BY id");
    while (lists.Step()) {
        TMediaPlaylist list(FStore, lists.Int(0));
        // A play list name is the user's text: it must stay a plain name inside the folder.
        std::string name = ReplaceInvalidFileChars(list.Name());
        if (name.empty() || name == "." || name == "..") name = "Playlist";
        if (name[0] == '.') name[0] = '_';
        std::string text = "#EXTM3U\r\n";
        for (const TMediaTrack& t : list.Tracks()) text += PlaylistEntry(t.Artist(), t.Name(), t.Location());
        const fs::path target = folder / fs::path(name + ".m3u8");
        const fs::path temp = folder / fs::path(name + ".m3u8.new");
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out << text;
            if (!out.flush()) throw EMediaLibraryError("ファイル " + temp.string() + " を書き込めません");
        }
        std::error_code ec;
        fs::rename(temp, target, ec);
        if (ec) throw EMediaLibraryError("ファイル " + target.string() + " を書き込めません: " + SysErrorText(ec.value()));
    }
}

void TMediaLibrary::Quit() {
    if (FStore->Db) {
        sqlite3_close(FStore->Db);
        FStore->Db = nullptr;
    }
}
