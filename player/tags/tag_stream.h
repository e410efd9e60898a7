// The bytes of one media file as the tag readers see them: the file's size and small windows
// read on demand through a read-ahead block, so that a large audio or video file is never
// loaded whole. A file stays open for the stream's life: one open serves every read. Offsets,
// lengths and sizes are in bytes.
#pragma once

#include "foundation/byte_reader.h"
#include "foundation/file_read.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

// Bytes of a tag stream that stay valid as long as the window lives, whatever the stream reads
// meanwhile: the window shares the block it points into. It reads as a ByteReader, but is no
// plain one, so that it cannot be copied into a reader that outlives its block.
class TagWindow : private ByteReader {
public:
    TagWindow() = default;
    TagWindow(std::shared_ptr<const FileBytes> block, ByteReader bytes) : ByteReader(bytes), block_(std::move(block)) {}

    using ByteReader::Bytes;
    using ByteReader::Data;
    using ByteReader::Has;
    using ByteReader::I32BE;
    using ByteReader::I32LE;
    using ByteReader::Matches;
    using ByteReader::Size;
    using ByteReader::Text;
    using ByteReader::U16BE;
    using ByteReader::U16LE;
    using ByteReader::U24BE;
    using ByteReader::U32BE;
    using ByteReader::U32LE;
    using ByteReader::U64BE;
    using ByteReader::U64LE;
    using ByteReader::U8;

private:
    std::shared_ptr<const FileBytes> block_;
};

class TagStream {
public:
    // Opens a file; throws EFileError naming it when it cannot be read.
    static TagStream OpenFile(const std::string& path);
    // A stream over bytes already in memory (they must outlive the stream). The reads go through
    // the same read-ahead blocks as a file's, of `blockSize` bytes (the first one no larger than
    // a file's first).
    explicit TagStream(std::span<const uint8_t> bytes, uint64_t blockSize = kBlockSize);

    uint64_t Size() const { return size_; }

    // The bytes of [offset, offset + length) that lie inside the file (fewer at its end, none
    // past it).
    TagWindow Window(uint64_t offset, uint64_t length);
    // For a scan that takes bytes as they come: from `offset` on, at most `maxLength` bytes, as
    // many as the block already read holds there (a new block is read only when it holds none).
    // Empty only past the end of the file.
    TagWindow NextBytes(uint64_t offset, uint64_t maxLength);

    // The size of the first read: it serves the tag header, the frames of a small tag and the
    // first audio frame header. A scan of thousands of songs costs little more than its opens.
    static constexpr uint64_t kFirstBlockSize = 8 * 1024;
    // The size of the read-ahead blocks after it, for large tags (cover pictures) and the audio
    // start behind them.
    static constexpr uint64_t kBlockSize = 32 * 1024;

private:
    TagStream() = default;

    FileBytes ReadPart(uint64_t offset, uint64_t length) const;

    std::optional<ReadOnlyFile> file_;  // none for bytes in memory
    std::span<const uint8_t> memory_;
    uint64_t block_size_ = kBlockSize;
    uint64_t size_ = 0;
    std::shared_ptr<const FileBytes> block_ = std::make_shared<const FileBytes>();
    uint64_t block_start_ = 0;
    bool first_read_ = true;
};
