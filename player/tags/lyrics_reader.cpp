#include "player/tags/lyrics_reader.h"

#include "foundation/encoding.h"
#include "player/tags/id3v2_frames.h"
#include "player/tags/media_file_kind.h"

namespace {

// The offset just past the first NUL (a byte, or an aligned code unit for UTF-16) at or after
// `from`; the content's size when there is none.
size_t PastNul(std::span<const uint8_t> bytes, size_t from, bool wide) {
    if (!wide) {
        for (size_t i = from; i < bytes.size(); ++i)
            if (bytes[i] == 0) return i + 1;
        return bytes.size();
    }
    for (size_t i = from; i + 1 < bytes.size(); i += 2)
        if (bytes[i] == 0 && bytes[i + 1] == 0) return i + 2;
    return bytes.size();
}

bool HasLittleEndianMark(std::span<const uint8_t> content) {
    for (size_t i = 3; i + 1 < content.size(); ++i)
        if (content[i] == 0xFF && content[i + 1] == 0xFE) return true;
    return false;
}

// UTF-16 with byte-order marks: every FF FE (little-endian) or FE FF (big-endian) pair starts a
// string that runs to its NUL code unit; the strings (the description, then the text) are joined.
std::string MarkedUtf16Strings(std::span<const uint8_t> content) {
    std::string result;
    size_t i = 3;
    while (i + 1 < content.size()) {
        bool little = content[i] == 0xFF && content[i + 1] == 0xFE;
        bool big = content[i] == 0xFE && content[i + 1] == 0xFF;
        if (!little && !big) {
            ++i;
            continue;
        }
        auto rest = content.subspan(i + 2);
        result += encoding::Utf16UpToZero(rest, big ? encoding::ByteOrder::Big : encoding::ByteOrder::Little);
        i = i + 2 + PastNul(rest, 0, true);
    }
    return result;
}

}  // namespace

std::string DecodeLyrics(std::span<const uint8_t> content, uint8_t encodingByte) {
    if (content.size() < 3) return {};
    switch (encodingByte) {
        case 0:
        case 3: {
            // Some writers mark UTF-16 text with FF FE whatever the encoding byte says; such a
            // frame is read by its marks (no 8-bit or UTF-8 text holds the pair FF FE).
            if (HasLittleEndianMark(content)) return MarkedUtf16Strings(content);
            auto text = content.subspan(PastNul(content, 3, false));
            std::string_view raw = encoding::UpToZeroByte(text);
            return encodingByte == 3 ? encoding::RepairUtf8(raw) : encoding::Text8ToUtf8(raw);
        }
        case 2: {
            auto text = content.subspan(PastNul(content, 3, true));
            return encoding::Utf16UpToZero(text, encoding::ByteOrder::Big);
        }
        default: return MarkedUtf16Strings(content);
    }
}

void TMPEGExtLoader::Clear() { Lyrics.clear(); }

void TMPEGExtLoader::LoadFromFile(const std::string& fileName) {
    TagStream stream = TagStream::OpenFile(fileName);
    LoadFromStream(stream);
}

void TMPEGExtLoader::LoadFromBytes(std::span<const uint8_t> bytes) {
    TagStream stream(bytes);
    LoadFromStream(stream);
}

void TMPEGExtLoader::LoadFromStream(TagStream& stream) {
    Clear();
    const TMediaFileMarks marks = ReadMediaFileMarks(stream);
    if (marks.ID3v2) WalkFrames(stream, marks.ID3v2Major < 3);
}

void TMPEGExtLoader::WalkFrames(TagStream& stream, bool version22) {
    id3v2::FrameWalk walk(stream);
    // The position counts from the file's start: version 2.2 walks while it is at most the tag
    // size less one, later versions while it is below that.
    const int64_t limit = int64_t(walk.TagSize()) - 1;
    const char* lyricsId = version22 ? "ULT" : "USLT";
    id3v2::Frame frame;
    while ((version22 ? int64_t(walk.Position()) <= limit : int64_t(walk.Position()) < limit) && walk.Next(frame)) {
        if (frame.Size < 2) break;  // no content beyond the encoding byte
        const uint64_t contentSize = frame.Size - 1;
        if (contentSize <= kMaxFrameContent && frame.Id == lyricsId) {
            const uint8_t encodingByte = stream.Window(frame.ContentStart(), 1).U8(0);
            const TagWindow content = stream.Window(frame.ContentStart() + 1, contentSize);
            Lyrics = DecodeLyrics(content.Bytes(0, content.Size()), encodingByte);
        }
    }
}
