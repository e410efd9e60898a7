#include "harrowin_work/player_access.h"

namespace harrowin {

TMPlayerChecker& CheckerOf(TTolvIPOD& player) { return *player.Checker; }
TITunesDBLoader& MusicOf(TTolvIPOD& player) { return *player.Music; }
void SetPlayerProgress(TTolvIPOD& player, TTolvProgressEvent handler) { player.OnProgress = std::move(handler); }
void ResetPlayer(TTolvIPOD& player) {
    player.Music->Clear();
    player.Artwork->Clear();
    player.Photos->Clear();
    player.Checker->Reset();
}

void SetFixedDrive(TTolvIPOD& player, const std::string& drive) { player.FixedDrive = drive; }
bool LoadPlayer(TTolvIPOD& player) { return player.Load(); }
int32_t SongCountOf(TTolvIPOD& player) { return MusicOf(player).Songs.GetCount(); }
int32_t VideoCountOf(TTolvIPOD& player) { return MusicOf(player).Songs.GetVideoCount(); }

}  // namespace harrowin
