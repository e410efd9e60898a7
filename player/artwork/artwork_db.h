// The player's artwork database ("iPod_Control/Artwork/ArtworkDB") and photo database
// ("Photos/Photo DataBase"): one chunked file each, read into a list of image entries (each
// with its thumbnails) and a list of albums. The pictures lie in thumbnail files beside the
// database and are decoded only when asked for (TArtImageObject::LoadBitmap).
// Reading a damaged file never raises: what can be read is kept, and the two faults the user
// must hear of go to OnShowMessage as plain message texts. Sizes are in bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/int_list.h"
#include "foundation/progress_event.h"
#include "player/artwork/decoded_pictures.h"
#include "player/artwork/thumbnail.h"

// The module's exception; declared for callers, raised by nothing here.
class TArtDBException : public ETolvError {
public:
    using ETolvError::ETolvError;
};

// The thumbnails of one image entry.
class TArtImageObjectList {
public:
    // Creates a thumbnail that opens its file through OnOpenFile, appends and returns it.
    TArtImageObject* Add();
    void Clear() { items_.clear(); }
    int32_t GetCount() const { return static_cast<int32_t>(items_.size()); }
    // nullptr for an index outside the list.
    TArtImageObject* GetItem(int32_t Index) const;
    // Width -1: the narrowest thumbnail; 0: the widest; otherwise the widest whose Width is
    // at most Width (and above 1). The first of equal widths wins; thumbnails of 691200 bytes
    // are never chosen; nullptr when none fits.
    TArtImageObject* FindByWidth(int32_t Width) const;

    TOpenFileEvent OnOpenFile;

private:
    std::vector<std::unique_ptr<TArtImageObject>> items_;
};

// One image entry: a picture with its thumbnails (and, in a photo database, its full-size file).
class TArtItem {
public:
    // Images.FindByWidth.
    TArtImageObject* GetImageByWidth(int32_t Width) const { return Images.FindByWidth(Width); }

    std::string PhotoName;  // full-size photo file relative to the folder ("/" between parts); empty for artwork
    int32_t FullSize = 0;   // byte size of that file
    TOpenFileEvent OnOpenFile;
    TArtImageObjectList Images;
    uint32_t ImageId = 0;
    uint64_t SongId = 0;  // the song's DatabaseId (artwork database)
};

// The image entries in file order.
class TArtItemList {
public:
    // Creates an entry whose thumbnails open their files through OnOpenFile; appends it.
    TArtItem* Add();
    void Clear() { items_.clear(); }
    int32_t GetCount() const { return static_cast<int32_t>(items_.size()); }
    // nullptr for an index outside the list.
    TArtItem* GetItem(int32_t Index) const;
    // The LAST entry with this image id; nullptr when none.
    TArtItem* FindByID(uint32_t ImageId) const;
    // Replaces Strings by every entry's image id as decimal text, in list order.
    void GetIDList(std::vector<std::string>& Strings) const;

    TOpenFileEvent OnOpenFile;

private:
    std::vector<std::unique_ptr<TArtItem>> items_;
};

// The albums of a photo database: each a TIntList whose FName is the album title, whose values
// are the image ids of its pictures in file order and whose FKind is the album's kind byte.
class TAlbumManager {
public:
    // Appends an empty album and returns it.
    TIntList* AddAlbum();
    void Clear() { items_.clear(); }
    int32_t GetCount() const { return static_cast<int32_t>(items_.size()); }
    // nullptr for an index outside the list.
    TIntList* GetItem(int32_t Index) const;
    // Calls AddItem once per album, in album order: the caption is the album title (every
    // character kept), the image index its kind. The list view is not cleared first.
    void FillListView(const std::function<void(const std::string& Caption, int32_t ImageIndex)>& AddItem) const;
    // Every album titled exactly Name writes its image ids into Strings, replacing them (so of
    // two albums of one name the later one's ids remain). An empty Name does nothing.
    void GetAlbumImageIDs(const std::string& Name, std::vector<std::string>& Strings) const;
    // The same as GetAlbumImageIDs.
    void ListAlbumImageIDs(const std::string& Name, std::vector<std::string>& Strings) const;

private:
    std::vector<std::unique_ptr<TIntList>> items_;
};

// One artwork or photo database as read from its file.
class TArtworkDBLoader {
public:
    // The two plain messages a damaged file raises to the user.
    static constexpr const char* kMsgTooSmall = "ファイルが不正です";
    static constexpr const char* kMsgNotArtworkDB = "ArtwokDBではないファイルが読み込まれました";

    TArtworkDBLoader();
    TArtworkDBLoader(const TArtworkDBLoader&) = delete;
    TArtworkDBLoader& operator=(const TArtworkDBLoader&) = delete;

    // Empties the loader, reads the whole file into memory, sets Folder to its folder (ending
    // with "/") and parses it. The caller tests that the file exists; a file that cannot be
    // read raises EFileError (the loader then stays empty).
    void LoadFromFile(const std::string& FileName);
    // Empties the loader and reads a database held in memory. Never raises: a file under 101
    // bytes or not beginning with "mhfd" gives a message and nothing loaded; otherwise what
    // can be read is kept.
    void ParseStream(std::span<const uint8_t> Data);
    // Empties Items and Albums (and forgets their decoded pictures).
    void Clear();
    // The entry at Index; nullptr outside the list.
    TArtItem* GetItem(int32_t Index) const { return Items.GetItem(Index); }
    // The FIRST entry, in list order, whose SongId equals SongId; nullptr when none.
    TArtItem* FindBySongID(uint64_t SongId) const;
    // The thumbnail files' handler: opens Folder + FileName for reading; nullptr when there is
    // no such file (no message). A name that differs only in letter case from the file on
    // the player is found as well.
    std::unique_ptr<std::istream> OpenThumbnailFile(const std::string& FileName) const;

    std::string Folder;             // folder of the file last loaded, ending with "/"
    TTolvProgressEvent OnProgress;  // the owner's; reading reports no progress
    // Shows a plain message box with the text; set by the window (unset: nobody is told).
    std::function<void(const std::string& Msg)> OnShowMessage;
    TArtItemList Items;
    TAlbumManager Albums;
    // The pictures of Items that the windows keep decoded for drawing (decode through it);
    // decoding changes nothing that was read, so a reader of the loader may decode too.
    mutable TDecodedPictures Pictures;

private:
    void ShowMessage(const std::string& text) const;
};
