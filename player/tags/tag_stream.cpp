#include "player/tags/tag_stream.h"

#include "foundation/errors.h"
#include "foundation/names.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

TagStream TagStream::OpenFile(const std::string& path) {
    TagStream stream;
    stream.path_ = path;
    stream.block_ = std::make_shared<const FileBytes>(ReadFilePart(path, 0, kBlockSize));
    stream.block_start_ = 0;
    if (stream.block_->size() < kBlockSize) {
        // A short first read has met the end of the file.
        stream.size_ = stream.block_->size();
    } else {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            throw EFileError("ファイル " + path + " を開けません。" + SysErrorText(errno));
        stream.size_ = static_cast<uint64_t>(st.st_size);
    }
    return stream;
}

TagStream::TagStream(std::span<const uint8_t> bytes, uint64_t blockSize)
    : memory_(bytes), in_memory_(true), block_size_(std::max<uint64_t>(blockSize, 1)), size_(bytes.size()) {}

FileBytes TagStream::ReadPart(uint64_t offset, uint64_t length) const {
    if (!in_memory_) return ReadFilePart(path_, offset, length);
    auto part = ByteReader(memory_).Bytes(offset, length);
    return FileBytes(part.begin(), part.end());
}

TagWindow TagStream::Window(uint64_t offset, uint64_t length) {
    if (offset >= size_ || length == 0) return TagWindow();
    length = std::min(length, size_ - offset);
    uint64_t block_end = block_start_ + block_->size();
    if (offset < block_start_ || offset + length > block_end) {
        // A new block, not a refill: windows handed out before keep the old one alive.
        block_ = std::make_shared<const FileBytes>(ReadPart(offset, std::max(length, block_size_)));
        block_start_ = offset;
    }
    return TagWindow(block_, ByteReader(*block_).Sub(offset - block_start_, length));
}
