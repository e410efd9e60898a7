// The bytes of one media file as the tag readers see them: the file's size and small windows
// read on demand through a read-ahead block, so that a large audio or video file is never
// loaded whole. Offsets, lengths and sizes are in bytes.
#pragma once

#include "foundation/byte_reader.h"
#include "foundation/file_read.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TagStream {
public:
    // Opens a file; throws EFileError naming it when it cannot be read.
    static TagStream OpenFile(const std::string& path);
    // A stream over bytes already in memory (they must outlive the stream). The reads go through
    // the same read-ahead block as a file's, of `blockSize` bytes.
    explicit TagStream(std::span<const uint8_t> bytes, uint64_t blockSize = kBlockSize);

    uint64_t Size() const { return size_; }

    // A reader over the bytes of [offset, offset + length) that lie inside the file (fewer at its
    // end, none past it). Valid until the next call of Window.
    ByteReader Window(uint64_t offset, uint64_t length);

    // The size of the read-ahead block: one read serves the tag header, the frames of a small
    // tag and the first audio frame header.
    static constexpr uint64_t kBlockSize = 32 * 1024;

private:
    TagStream() = default;

    FileBytes ReadPart(uint64_t offset, uint64_t length) const;

    std::string path_;
    std::span<const uint8_t> memory_;
    bool in_memory_ = false;
    uint64_t block_size_ = kBlockSize;
    uint64_t size_ = 0;
    FileBytes block_;
    uint64_t block_start_ = 0;
};
