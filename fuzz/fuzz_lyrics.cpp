// Random bytes as a tagged file: the lyrics frame walk and DecodeLyrics must end without a crash.
// The first byte picks the read-ahead block size and the encoding byte given to DecodeLyrics.
#include "player/tags/lyrics_reader.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::span<const uint8_t> bytes(data + 1, size - 1);
    TagStream stream(bytes, 1 + data[0] % 200);
    TMPEGExtLoader loader;
    loader.LoadFromStream(stream);
    DecodeLyrics(bytes, data[0] % 5);
    return 0;
}
