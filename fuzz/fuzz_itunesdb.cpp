// The iTunesDB chunk walk over arbitrary bytes: it must end, read only inside the data and
// keep what it read.
#include <cstddef>
#include <cstdint>

#include "player/song_records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TITunesDBLoader loader;
    loader.ReadChunks(ByteReader(data, size));
    for (int32_t i = 0; i < loader.Songs.GetCount(); ++i) {
        const TITBSongItem* song = loader.Songs.GetItem(i);
        // UTF-16 becomes at most 1.5 times as many UTF-8 bytes.
        if (song->Title.size() > size * 3 / 2 + 3) __builtin_trap();
    }
    for (int32_t i = 0; i < loader.PlayLists.GetCount(); ++i) {
        const TITBPlayListData* list = loader.PlayLists.GetItem(i);
        for (int32_t r = 0; r < list->Rules.GetCount(); ++r) {
            if (list->Rules.GetItem(r)->Value.size() > size * 2) __builtin_trap();
        }
    }
    return 0;
}
