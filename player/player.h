// The player as the desktop program sees it: finds the player among the mounted volumes (or
// tests the one folder fixed in the settings), loads its music and artwork databases, reads its
// lock state, and lists and cleans folders for the organiser pages. Shows no window: questions
// to the user go through OnConfirm, which the window sets.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/progress_event.h"
#include "player/artwork/artwork_db.h"
#include "player/player_checker.h"
#include "player/song_list_export.h"
#include "player/song_records.h"

class EIPODError : public ETolvError {
public:
    using ETolvError::ETolvError;
};

class TTolvIPOD {
public:
    TTolvIPOD();
    // The checker reads its model table from the given file (tests, the sample program).
    explicit TTolvIPOD(const std::string& ModelTableFile);
    ~TTolvIPOD();
    TTolvIPOD(const TTolvIPOD&) = delete;
    TTolvIPOD& operator=(const TTolvIPOD&) = delete;

    std::string FixedDrive;  // folder to test instead of searching; empty means search
    std::string LockText;    // trimmed text of the lock marker file read last
    uint8_t Locked = 0;      // 1 after "_locked" was read, 0 after "_unlocked"
    // Whatever callback is held when the checker or the music loader report is the one called.
    TTolvProgressEvent OnProgress;
    // Asks the user a Yes/No question; true for Yes. Unset means No.
    std::function<bool(const std::string& Question)> OnConfirm;
    // Shows a plain message; the artwork and photo databases tell of a damaged file through
    // it, whichever of them is read. Unset: nobody is told.
    std::function<void(const std::string& Text)> OnShowMessage;

    std::unique_ptr<TITunesDBLoader> Music;
    std::unique_ptr<TArtworkDBLoader> Artwork;
    std::unique_ptr<TArtworkDBLoader> Photos;
    std::unique_ptr<TMPlayerChecker> Checker;
    std::unique_ptr<TITXMakeLibrary> Library;

    // Finds the player and loads it; false when no player was found.
    bool Load();
    // The root (mount point, without a trailing "/") of the first mounted volume that is a
    // player; empty when none is.
    std::string FindPlayer();
    // The fixed folder as the root when it holds a player; empty otherwise.
    std::string CheckDrive();
    void ReadLockState();
    // Appends the full path of every file under the folder, depth first (the safe writer's
    // temporaries left out); always true.
    bool ListFolder(const std::string& Folder, std::vector<std::string>& List);
    // Files and sub-folders directly in the folder.
    int32_t CountFolderEntries(const std::string& Folder);
    // Offers to remove each empty direct sub-folder; EIPODError when a removal fails.
    bool DeleteEmptyFolders(const std::string& Folder);

private:
    void Progress(int32_t position, int32_t max, const std::string& text) const;
};
