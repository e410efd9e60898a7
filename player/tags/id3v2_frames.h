// The frame walk of an ID3v2 tag at the start of a file, shared by the tag reader and the lyrics
// reader: the tag header's version and size, then the frame headers one after the other, each
// with the one rule for how large a frame is. Offsets count from the file's start; sizes are in
// bytes.
#pragma once

#include "player/tags/tag_stream.h"

#include <cstdint>
#include <string>

namespace id3v2 {

// The syncsafe 28-bit number of four bytes (the low 7 bits of each, big-endian).
uint32_t Syncsafe(uint32_t value);

struct Frame {
    std::string Id;           // the identifier, trimmed
    uint64_t Start = 0;       // offset of the frame header
    uint64_t HeaderSize = 0;  // 6 for version 2.2, 10 from version 2.3 on
    uint64_t Size = 0;        // the bytes after the header

    uint64_t ContentStart() const { return Start + HeaderSize; }
};

class FrameWalk {
public:
    // Reads the tag header; the first frame starts after its 10 bytes.
    explicit FrameWalk(TagStream& stream);

    TagStream& Stream() { return stream_; }
    int MajorVersion() const { return major_; }
    // The size the tag header states, without the header itself.
    uint32_t TagSize() const { return tag_size_; }
    // Where the next frame starts; the readers end their walk by their own limit on it.
    uint64_t Position() const { return pos_; }

    // Reads the frame header at the position and moves the position past the frame. False, with
    // the position left alone, at the end of the file, at a header the file cuts short, and at
    // an empty identifier (the padding).
    bool Next(Frame& frame);

private:
    uint64_t Version4FrameSize(uint64_t contentStart, uint32_t stored);
    bool FrameHeaderAt(uint64_t offset);
    bool EndOfFramesAt(uint64_t offset);

    TagStream& stream_;
    int major_ = 0;
    uint32_t tag_size_ = 0;
    uint64_t pos_ = 10;
};

}  // namespace id3v2
