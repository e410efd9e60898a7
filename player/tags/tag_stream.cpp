#include "player/tags/tag_stream.h"

#include <algorithm>

TagStream TagStream::OpenFile(const std::string& path) {
    TagStream stream;
    stream.file_.emplace(path);
    stream.size_ = stream.file_->Size();
    return stream;
}

TagStream::TagStream(std::span<const uint8_t> bytes, uint64_t blockSize)
    : memory_(bytes), block_size_(std::max<uint64_t>(blockSize, 1)), size_(bytes.size()) {}

FileBytes TagStream::ReadPart(uint64_t offset, uint64_t length) const {
    if (file_) return file_->ReadPart(offset, length);
    auto part = ByteReader(memory_).Bytes(offset, length);
    return FileBytes(part.begin(), part.end());
}

TagWindow TagStream::Window(uint64_t offset, uint64_t length) {
    if (offset >= size_ || length == 0) return TagWindow();
    length = std::min(length, size_ - offset);
    uint64_t block_end = block_start_ + block_->size();
    if (offset < block_start_ || offset + length > block_end) {
        // A new block, not a refill: windows handed out before keep the old one alive.
        const uint64_t blockSize = first_read_ ? std::min(block_size_, kFirstBlockSize) : block_size_;
        first_read_ = false;
        block_ = std::make_shared<const FileBytes>(ReadPart(offset, std::max(length, blockSize)));
        block_start_ = offset;
    }
    return TagWindow(block_, ByteReader(*block_).Sub(offset - block_start_, length));
}

TagWindow TagStream::NextBytes(uint64_t offset, uint64_t maxLength) {
    if (offset >= block_start_ && offset < block_start_ + block_->size()) {
        maxLength = std::min(maxLength, block_start_ + block_->size() - offset);
    }
    return Window(offset, maxLength);
}
