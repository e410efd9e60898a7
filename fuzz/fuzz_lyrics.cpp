// Random bytes as a tagged file: the lyrics frame walk and DecodeLyrics must end without a
// crash, and the walk must find the same lyrics whatever the size of its read-ahead block.
// The last byte picks the block size and the encoding byte given to DecodeLyrics; it stays
// part of the file.
#include "player/tags/lyrics_reader.h"

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const uint8_t last = fuzz::LastByte(data, size);
    TagStream stream(bytes, 1 + last % 200);
    TMPEGExtLoader loader;
    loader.LoadFromStream(stream);
    TMPEGExtLoader whole;
    whole.LoadFromBytes(bytes);
    if (loader.Lyrics != whole.Lyrics) __builtin_trap();
    // A frame's text never grows beyond three bytes of UTF-8 for each of its bytes.
    if (loader.Lyrics.size() > 3 * size) __builtin_trap();
    if (DecodeLyrics(bytes, last % 5).size() > 3 * size + 3) __builtin_trap();
    return 0;
}
