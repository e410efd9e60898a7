// The desktop user's media library that the podcast program hands its episodes to: tracks (a
// file with its texts) and play lists of tracks, kept in an SQLite file in the program folder.
// The objects are small handles onto rows of that file and offer the members the hand-over
// calls; collections are indexed from 1. UpdateiPod writes every play list as an .m3u8 file
// beside the library file so other music players can use them. Lookups by a track's location
// and a play list's tracks go through indexes; the writes of one hand-over can be kept in one
// transaction (BeginWork .. CommitWork), so that thousands of tracks take seconds, not minutes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/errors.h"

class EMediaLibraryError : public ETolvError {
public:
    using ETolvError::ETolvError;
};

struct TMediaStore;  // the open SQLite file, shared by every handle of one library

// One track of the library. A handle whose track was deleted raises EMediaLibraryError.
class TMediaTrack {
public:
    TMediaTrack(std::shared_ptr<TMediaStore> store, int64_t id) : FStore(std::move(store)), FId(id) {}
    std::string Location() const;
    std::string Name() const;
    std::string Artist() const;
    std::string Genre() const;
    std::string Album() const;
    void SetName(const std::string& value);
    void SetArtist(const std::string& value);
    void SetGenre(const std::string& value);
    void SetAlbum(const std::string& value);
    // Removes the track from the library and from every play list (the file stays).
    void Delete();
    int64_t Id() const { return FId; }

private:
    std::string Text(const char* column) const;
    void SetText(const char* column, const std::string& value);
    std::shared_ptr<TMediaStore> FStore;
    int64_t FId;
};

// A user play list: an ordered list of tracks under a name.
class TMediaPlaylist {
public:
    TMediaPlaylist(std::shared_ptr<TMediaStore> store, int64_t id) : FStore(std::move(store)), FId(id) {}
    std::string Name() const;
    void AddTrack(const TMediaTrack& track);
    // Removes the play list from the source (its tracks stay in the library).
    void Delete();
    // The play list's tracks in order (for the .m3u8 files and for tests).
    std::vector<TMediaTrack> Tracks() const;
    int64_t Id() const { return FId; }

private:
    std::shared_ptr<TMediaStore> FStore;
    int64_t FId;
};

// All tracks of the library, in the order they were added; Item(i) for 1 <= i <= Count.
// The collection reads the library when asked, so it follows additions and deletions.
class TMediaTrackCollection {
public:
    explicit TMediaTrackCollection(std::shared_ptr<TMediaStore> store) : FStore(std::move(store)) {}
    int32_t Count() const;
    // EMediaLibraryError when i is outside 1 .. Count.
    TMediaTrack Item(int32_t i) const;
    // Item(1) .. Item(Count), read at once.
    std::vector<TMediaTrack> All() const;

private:
    std::shared_ptr<TMediaStore> FStore;
};

// All play lists of the source, in the order they were created.
class TMediaPlaylistCollection {
public:
    explicit TMediaPlaylistCollection(std::shared_ptr<TMediaStore> store) : FStore(std::move(store)) {}
    int32_t Count() const;
    TMediaPlaylist Item(int32_t i) const;
    // Item(1) .. Item(Count), read at once.
    std::vector<TMediaPlaylist> All() const;

private:
    std::shared_ptr<TMediaStore> FStore;
};

// The library's main play list: every track.
class TMediaLibraryPlaylist {
public:
    explicit TMediaLibraryPlaylist(std::shared_ptr<TMediaStore> store) : FStore(std::move(store)) {}
    TMediaTrackCollection Tracks() const { return TMediaTrackCollection(FStore); }
    // Adds the file as a track named after the file (without its extension); a file already in
    // the library is not added twice. The file must exist.
    void AddFile(const std::string& path);

private:
    std::shared_ptr<TMediaStore> FStore;
};

class TMediaSource {
public:
    explicit TMediaSource(std::shared_ptr<TMediaStore> store) : FStore(std::move(store)) {}
    TMediaPlaylistCollection PlayLists() const { return TMediaPlaylistCollection(FStore); }

private:
    std::shared_ptr<TMediaStore> FStore;
};

// The application object. Opening creates the library file (and its folder) when missing;
// EMediaLibraryError when it cannot be opened.
class TMediaLibrary {
public:
    // The library file of the podcast program: "MediaLibrary.sqlite" in its program folder.
    static std::string DefaultFileName();

    explicit TMediaLibrary(const std::string& FileName = DefaultFileName());
    ~TMediaLibrary();

    TMediaLibraryPlaylist LibraryPlaylist() const { return TMediaLibraryPlaylist(FStore); }
    TMediaSource LibrarySource() const { return TMediaSource(FStore); }
    TMediaPlaylist CreatePlaylist(const std::string& name);
    // Writes every play list as "<name>.m3u8" beside the library file (characters that cannot
    // stand in a file name replaced by blanks, a long name cut to the file system's limit, a
    // name that another list's file has already taken numbered "(2)", ...), replacing the files
    // of the last run through the foundation's safe writer, and removes the files it wrote for
    // play lists that are gone. Each track is "#EXTINF:-1,<artist> - <name>" (the name alone
    // without an artist) and its location, with control characters in them as blanks. A file
    // that cannot be written does not stop the others; afterwards one EMediaLibraryError names
    // every such file once. Only what is committed is written: EMediaLibraryError while a
    // transaction is open.
    void UpdateiPod();
    // The writes from BeginWork to CommitWork are one transaction (Quit commits one still
    // open; a library closed by its destructor rolls it back). Without it every write is its
    // own. A commit that fails (another program holds the file) rolls the writes back and
    // raises EMediaLibraryError, as does one whose writes SQLite already undid.
    void BeginWork();
    void CommitWork();
    // Undoes the writes since BeginWork; nothing when no transaction is open.
    void RollbackWork();
    // Closes the library; every later call through any handle raises EMediaLibraryError.
    void Quit();

    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    std::shared_ptr<TMediaStore> FStore;
};
