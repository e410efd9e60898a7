// Random bytes as a media file: the tag reader must end without a crash or a read outside them.
// The first byte picks the read-ahead block size, so that windows meet block edges everywhere.
#include "player/tags/mp3_tag_reader.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    TagStream stream(std::span<const uint8_t>(data + 1, size - 1), 1 + data[0] % 200);
    TMP3Tag tag;
    TTolvMP3TagReader reader;
    reader.ReadStream(stream, tag);
    return 0;
}
