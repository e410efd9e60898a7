#include "player/tags/wma_tag_reader.h"

#include "foundation/encoding.h"
#include "player/tags/mp3_tag_reader.h"

namespace {

// Offsets of the content description object when it is the first object of the header.
constexpr uint64_t kObjectId = 30;
constexpr uint64_t kLengths = 54;
constexpr uint64_t kStrings = 64;
// The first three bytes of the content description object's identifier.
constexpr uint8_t kIdPrefix[3] = {0x33, 0x26, 0xB2};

std::string ReadString(TagStream& stream, uint64_t offset, uint16_t length) {
    if (length == 0 || length > TWMATagReader::kMaxStringBytes) return {};
    const TagWindow text = stream.Window(offset, length);
    return encoding::Utf16UpToZero(text.Bytes(0, text.Size()), encoding::ByteOrder::Little);
}

}  // namespace

void TWMATagReader::Clear() {
    Title.clear();
    Author.clear();
    Description.clear();
}

void TWMATagReader::LoadFromFile(const std::string& fileName) {
    Clear();
    TagStream stream = TagStream::OpenFile(fileName);
    LoadFromStream(stream);
}

void TWMATagReader::LoadFromBytes(std::span<const uint8_t> bytes) {
    TagStream stream(bytes);
    LoadFromStream(stream);
}

void TWMATagReader::LoadFromStream(TagStream& stream) {
    Clear();
    const TagWindow id = stream.Window(kObjectId, 3);
    if (!id.Has(0, 3) || id.U8(0) != kIdPrefix[0] || id.U8(1) != kIdPrefix[1] || id.U8(2) != kIdPrefix[2]) return;
    const TagWindow lengths = stream.Window(kLengths, 8);
    uint16_t titleLength = lengths.U16LE(0);
    uint16_t authorLength = lengths.U16LE(2);
    uint16_t rightsLength = lengths.U16LE(4);
    uint16_t descriptionLength = lengths.U16LE(6);
    // A string that is not read still takes its room before the strings after it.
    Title = ReadString(stream, kStrings, titleLength);
    Author = ReadString(stream, kStrings + titleLength, authorLength);
    Description = ReadString(stream, kStrings + titleLength + authorLength + rightsLength, descriptionLength);
}
