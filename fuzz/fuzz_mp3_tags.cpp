// Random bytes as a media file: the tag reader must end without a crash or a read outside them,
// and read the same tag whatever the size of its read-ahead block. The last byte picks the
// block size, so that windows meet block edges everywhere; it stays part of the file.
#include "player/tags/mp3_tag_reader.h"

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_files.h"

namespace {

TMP3Tag Read(std::span<const uint8_t> bytes, uint64_t blockSize) {
    TagStream stream(bytes, blockSize);
    TMP3Tag tag;
    TTolvMP3TagReader().ReadStream(stream, tag);
    return tag;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const TMP3Tag small = Read(bytes, 1 + fuzz::LastByte(data, size) % 200);
    if (!(small == Read(bytes, TagStream::kBlockSize))) __builtin_trap();
    // A text is at most three times its bytes (a single-byte katakana of code page 932 becomes
    // three bytes of UTF-8); the genre may be a name from the genre table.
    for (const std::string* text : {&small.Title, &small.Artist, &small.Album, &small.Year, &small.Comment}) {
        if (text->size() > 3 * size) __builtin_trap();
    }
    if (small.Bitrate < 0 || small.SampleRate < 0 || small.Length < 0) __builtin_trap();
    return 0;
}
