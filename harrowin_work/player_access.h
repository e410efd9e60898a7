// The few ways the windows reach into the player object, in one place.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/progress_event.h"
#include "player/player_checker.h"
#include "player/song_records.h"

#include "player/player.h"

namespace harrowin {

TMPlayerChecker& CheckerOf(TTolvIPOD& player);
TITunesDBLoader& MusicOf(TTolvIPOD& player);
void SetPlayerProgress(TTolvIPOD& player, TTolvProgressEvent handler);
void SetFixedDrive(TTolvIPOD& player, const std::string& drive);
bool LoadPlayer(TTolvIPOD& player);
// Clears the music database, the artwork and photo databases and resets the checker.
void ResetPlayer(TTolvIPOD& player);
int32_t SongCountOf(TTolvIPOD& player);
int32_t VideoCountOf(TTolvIPOD& player);

}  // namespace harrowin
