// Random bytes as a WMA file: the content description reader must end without a crash, read
// the same texts whatever the size of its read-ahead block, and never a text longer than its
// limit allows. The last byte picks the block size; it stays part of the file.
#include "player/tags/wma_tag_reader.h"

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    TagStream stream(bytes, 1 + fuzz::LastByte(data, size) % 200);
    TWMATagReader reader;
    reader.LoadFromStream(stream);
    TWMATagReader whole;
    whole.LoadFromBytes(bytes);
    if (reader.Title != whole.Title || reader.Author != whole.Author || reader.Description != whole.Description) {
        __builtin_trap();
    }
    // UTF-16 of at most kMaxStringBytes bytes: 3 bytes of UTF-8 per 2 bytes at most.
    for (const std::string* text : {&reader.Title, &reader.Author, &reader.Description}) {
        if (text->size() > TWMATagReader::kMaxStringBytes / 2 * 3) __builtin_trap();
    }
    return 0;
}
