#include "player/tags/id3v2_frames.h"

#include "foundation/encoding.h"

#include <algorithm>

namespace id3v2 {

uint32_t Syncsafe(uint32_t value) {
    return ((value >> 24) & 0x7F) << 21 | ((value >> 16) & 0x7F) << 14 | ((value >> 8) & 0x7F) << 7 | (value & 0x7F);
}

FrameWalk::FrameWalk(TagStream& stream) : stream_(stream) {
    const TagWindow header = stream_.Window(0, 10);
    major_ = header.U8(3);
    tag_size_ = Syncsafe(header.U32BE(6));
}

bool FrameWalk::Next(Frame& frame) {
    const uint64_t headerSize = major_ < 3 ? 6 : 10;
    if (pos_ >= stream_.Size()) return false;
    const TagWindow header = stream_.Window(pos_, headerSize);
    if (!header.Has(0, headerSize)) return false;
    std::string id = header.Text(0, major_ < 3 ? 3 : 4);
    if (id[0] == '\0') return false;
    frame.Id = encoding::Trim(id);
    if (frame.Id.empty()) return false;
    frame.Start = pos_;
    frame.HeaderSize = headerSize;
    if (major_ < 3) {
        frame.Size = header.U24BE(3);
    } else if (major_ == 4) {
        frame.Size = Version4FrameSize(pos_ + headerSize, header.U32BE(4));
    } else {
        frame.Size = header.U32BE(4);
    }
    pos_ = frame.ContentStart() + frame.Size;
    return true;
}

// Version 4 stores frame sizes syncsafe, but iTunes wrote version-4 tags with plain sizes, as
// version 3 has them, and such files are everywhere. A size byte of 0x80 or more cannot be
// syncsafe; otherwise the reading that lands on the next frame's header wins, the syncsafe one
// when both or neither do, and for the last frame the one that lands on the end of the frames.
uint64_t FrameWalk::Version4FrameSize(uint64_t contentStart, uint32_t stored) {
    if ((stored & 0x80808080u) != 0) return stored;
    const uint32_t syncsafe = Syncsafe(stored);
    if (syncsafe == stored) return stored;
    if (FrameHeaderAt(contentStart + syncsafe)) return syncsafe;
    if (FrameHeaderAt(contentStart + stored)) return stored;
    if (!EndOfFramesAt(contentStart + syncsafe) && EndOfFramesAt(contentStart + stored)) return stored;
    return syncsafe;
}

// A frame header inside the tag: an identifier of four capitals or digits, and a size that, read
// at its smallest, keeps the frame inside the tag (text in capitals is no header).
bool FrameWalk::FrameHeaderAt(uint64_t offset) {
    const uint64_t tagEnd = 10 + uint64_t(tag_size_);
    if (offset + 10 > tagEnd) return false;
    const TagWindow header = stream_.Window(offset, 10);
    if (!header.Has(0, 10)) return false;
    for (uint8_t c : header.Bytes(0, 4))
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    const uint32_t stored = header.U32BE(4);
    const uint64_t smallest = (stored & 0x80808080u) != 0 ? stored : Syncsafe(stored);
    return offset + 10 + smallest <= tagEnd;
}

// The tag's end, or padding: zero bytes up to the tag's end or for the length of a name.
bool FrameWalk::EndOfFramesAt(uint64_t offset) {
    const uint64_t tagEnd = 10 + uint64_t(tag_size_);
    if (offset == tagEnd) return true;
    if (offset > tagEnd) return false;
    const TagWindow bytes = stream_.Window(offset, std::min<uint64_t>(4, tagEnd - offset));
    if (bytes.Size() == 0) return false;
    for (uint8_t c : bytes.Bytes(0, bytes.Size()))
        if (c != 0) return false;
    return true;
}

}  // namespace id3v2
