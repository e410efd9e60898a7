// The few ways the windows reach into the player object, in one place.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/progress_event.h"
#include "player/player_checker.h"
#include "player/song_records.h"

#if __has_include("player/player.h")
#include "player/player.h"
#define HARROWIN_HAVE_PLAYER 1
#else
// Until the player object lands: a player that is never found.
class TTolvIPOD {
public:
    std::string FixedDrive;
    TTolvProgressEvent OnProgress;
    TITunesDBLoader Music;
    TMPlayerChecker Checker;
    bool Load() { return false; }
};
#endif

TMPlayerChecker& CheckerOf(TTolvIPOD& player);
TITunesDBLoader& MusicOf(TTolvIPOD& player);
void SetPlayerProgress(TTolvIPOD& player, TTolvProgressEvent handler);
void SetFixedDrive(TTolvIPOD& player, const std::string& drive);
bool LoadPlayer(TTolvIPOD& player);
// Clears the music database, the artwork and photo databases and resets the checker.
void ResetPlayer(TTolvIPOD& player);
int32_t SongCountOf(TTolvIPOD& player);
int32_t VideoCountOf(TTolvIPOD& player);
