// Random bytes as a WMA file: the content description reader must end without a crash.
// The first byte picks the read-ahead block size.
#include "player/tags/wma_tag_reader.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    TagStream stream(std::span<const uint8_t>(data + 1, size - 1), 1 + data[0] % 200);
    TWMATagReader reader;
    reader.LoadFromStream(stream);
    return 0;
}
