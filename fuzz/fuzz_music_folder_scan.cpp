// Arbitrary bytes as the one song of a player's music folder, once as an MP3 file and once as a
// WMA file: the scan reads each through its tag reader and keeps it only as a playable song,
// named by its place in the folder and of the file's size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "player/song_records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    fuzz::WriteFile("iPod_Control/Music/F00/SONG.mp3", bytes);
    fuzz::WriteFile("iPod_Control/Music/F01/SONG.wma", bytes);
    TITunesDBLoader loader;
    loader.LoadFromFolder(fuzz::WorkFolder() + "/iPod_Control/Music", fuzz::WorkFolder());
    if (loader.Songs.GetCount() > 2) __builtin_trap();
    for (int32_t i = 0; i < loader.Songs.GetCount(); ++i) {
        const TITBSongItem* song = loader.Songs.GetItem(i);
        if (song->Location != "iPod_Control:Music:F00:SONG.mp3" &&
            song->Location != "iPod_Control:Music:F01:SONG.wma") {
            __builtin_trap();
        }
        if (song->Size != static_cast<int32_t>(size) || TITunesDBLoader::IsInvalidSong(*song)) __builtin_trap();
        if (song->Title.size() > 3 * size) __builtin_trap();
    }
    return 0;
}
