// Harrowin's settings over "Tessmar.INI" in the program folder: every setting as a typed field,
// grouped by its section and named after its key. Read whole at creation, written whole by
// Close() (or the destructor). Positions and sizes are in pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ini_file.h"

namespace harrowin {

// The screen and main-window sizes that the position defaults centre on.
struct TScreenMetrics {
    int32_t ScreenW = 1024, ScreenH = 768;
    int32_t MainW = 600, MainH = 440;
};

// One row of the news-site list view.
struct TSiteRow {
    std::string Name;
    std::string Address;
    std::string LastUpdate;
    bool Checked = true;
};

class TTolvIPodINI {
public:
    struct TPositions {
        int32_t Main_X = 0, Main_Y = 0;
        int32_t TView_X = 0, TView_Y = 0, TView_W = 400, TView_H = 330;
        int32_t PView_X = 0, PView_Y = 0, PView_W = 640, PView_H = 400;
    };
    struct TSongCopy {
        bool MakeFolder_Artist = true;
        bool MakeFolder_Album = false;
        int32_t MakingNameType = 0;  // a TCopyNameType number, kept as the file stores it
        std::string Folder;
        bool AddTrackNo = false;
        bool MakeLibraryData = true;
    };
    struct TVideoCopy {
        std::string VideoFolder;
        bool MakeArtistFolder = true;
        bool MakeAlbumFolder = false;
        int32_t MakeType = 0;  // a TCopyNameType number, kept as the file stores it
        bool MakeImportFile = false;
    };
    struct TTextDivide {
        bool MakePageNo = true;
        bool MakeLink = true;
        bool MakeDelRuby = false;
        int32_t MakeDivMode = 0;
        int32_t MakeWordSize = 4050;
        bool MakeFolder = true;
        bool AddEncoded = true;
        bool AddTitle = true;
        bool EveryDisplay = true;
    };
    struct TSongFind {
        int32_t Type = 2;
        std::string Text;
        int32_t PageIndex = 0;
    };
    struct TCopyright {
        bool Copyright = false;
    };
    struct TInternet {
        bool AutoDownLoad = false;
        std::string SaveFolder = "RSS News";
        bool AddRSSDate = false;
        bool AddRSSURL = false;
    };
    struct TRecognize {
        bool MakeFolder = false;  // the drive lock
        std::string DriveLockPath;
    };
    struct TPhotoCopy {
        std::string Folder;
        int32_t Type = 0;
    };
    struct TPhotos {
        int32_t Type = 0, PosX = 0, PosY = 0;
    };

    // Reads FileName when it exists; then every field is its stored value or its default. A
    // file that is there but could not be read is kept as it is (Close refuses to replace it)
    // and counts as a start after the terms were accepted: only an accepted start writes one.
    explicit TTolvIPodINI(const std::string& FileName, TScreenMetrics Metrics = {});
    // Writes the file unless Close() already did; a failure to write is swallowed here (the
    // main window calls Close() itself to report it).
    ~TTolvIPodINI();
    TTolvIPodINI(const TTolvIPodINI&) = delete;
    TTolvIPodINI& operator=(const TTolvIPodINI&) = delete;

    void SetDefaults();
    void SetDefaultSites();
    void LoadSettings();
    // Clears the in-memory file and writes every key in file order (not yet to disk).
    void SaveSettings();
    // SaveSettings and writes the file; throws EFileError when it cannot be written.
    void Close();
    // Leaves the file as it is: nothing is written at destruction.
    void Discard() { FClosed = true; }

    // The stored site records (one text line each).
    const std::vector<std::string>& Sites() const { return FSites; }
    void SetSites(std::vector<std::string> sites) { FSites = std::move(sites); }
    // The rows FillSiteList puts into the list view; empty when no site is stored (the view
    // is then left as it is).
    std::vector<TSiteRow> SiteRows() const;
    // The list view's rows back into the stored records; an empty list leaves them untouched.
    void StoreSiteRows(const std::vector<TSiteRow>& rows);

    const std::string& FileName() const { return FIni->FileName(); }
    // Empty when the file was read or is missing; else why it was not read (see TIniFile).
    const std::string& ReadFailure() const { return FIni->ReadFailure(); }
    // The in-memory file as it stands (after SaveSettings: what goes to disk).
    const TIniFile& Ini() const { return *FIni; }

    TPositions Positions;
    TSongCopy SongCopy;
    TVideoCopy VideoCopy;
    TTextDivide TextDivide;
    TSongFind SongFind;
    TCopyright Copyright;
    TInternet Internet;
    TRecognize Recognize;
    TPhotoCopy PhotoCopy;
    TPhotos Photos;

private:
    void LoadSiteList();
    void SaveSiteList();

    std::unique_ptr<TIniFile> FIni;
    std::vector<std::string> FSites;
    TScreenMetrics FMetrics;
    bool FClosed = false;
};

// "%s;%s;%s;%d;" of one row: the stored form of a site.
std::string SiteRecord(const TSiteRow& row);

}  // namespace harrowin
