#include "player/tags/mp3_tag_reader.h"

#include "foundation/encoding.h"
#include "player/tags/id3v2_frames.h"
#include "player/tags/mp4_atoms.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

// The bytes of an 8-bit or UTF-8 field: leading NULs skipped, cut at the next NUL, trimmed.
std::string_view FieldBytes(std::span<const uint8_t> bytes) {
    size_t begin = 0;
    while (begin < bytes.size() && bytes[begin] == 0) ++begin;
    return encoding::TrimView(encoding::UpToZeroByte(bytes.subspan(begin)));
}

}  // namespace

namespace tagtext {

std::string Field8(std::span<const uint8_t> bytes) { return encoding::Text8ToUtf8(FieldBytes(bytes)); }

}  // namespace tagtext

namespace {

// Text frames longer than this are not read: their field stays as it was.
constexpr uint64_t kMaxTextBytes = 65535;

// The text of a UTF-8 field, every malformed byte replaced.
std::string FieldUtf8(std::span<const uint8_t> bytes) { return encoding::RepairUtf8(FieldBytes(bytes)); }

// Encoding 1 carries a byte-order mark; a text without one is taken as little-endian.
std::string Utf16WithBom(std::span<const uint8_t> bytes) {
    encoding::ByteOrder order = encoding::ByteOrder::Little;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        bytes = bytes.subspan(2);
    } else if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        bytes = bytes.subspan(2);
        order = encoding::ByteOrder::Big;
    }
    return encoding::Utf16UpToZero(bytes, order);
}

// The text of an ID3v2 text frame's content after its encoding byte.
std::string DecodeFrameText(uint8_t encodingByte, std::span<const uint8_t> text) {
    switch (encodingByte) {
        case 0: return tagtext::Field8(text);
        case 1: return encoding::Trim(Utf16WithBom(text));
        case 2: {
            if (text.size() >= 2 && text[0] == 0xFE && text[1] == 0xFF) text = text.subspan(2);
            return encoding::Trim(encoding::Utf16UpToZero(text, encoding::ByteOrder::Big));
        }
        case 3: return FieldUtf8(text);
        default: return "???";
    }
}

// A comment frame holds a language code and a NUL-ended short description before its text.
std::span<const uint8_t> CommentText(uint8_t encodingByte, std::span<const uint8_t> content) {
    if (content.size() <= 3) return {};
    auto rest = content.subspan(3);
    if (encodingByte == 1 || encodingByte == 2) {
        for (size_t i = 0; i + 1 < rest.size(); i += 2)
            if (rest[i] == 0 && rest[i + 1] == 0) return rest.subspan(i + 2);
        return {};
    }
    for (size_t i = 0; i < rest.size(); ++i)
        if (rest[i] == 0) return rest.subspan(i + 1);
    return {};
}

std::string* FrameField(const std::string& id, int major, TMP3Tag& tag) {
    if (major < 3) {
        if (id == "TT2") return &tag.Title;
        if (id == "TP1") return &tag.Artist;
        if (id == "TAL") return &tag.Album;
        if (id == "TYE") return &tag.Year;
        if (id == "COM") return &tag.Comment;
        if (id == "TCO") return &tag.Genre;
        return nullptr;
    }
    if (id == "TIT2") return &tag.Title;
    if (id == "TPE1") return &tag.Artist;
    if (id == "TALB") return &tag.Album;
    if (id == "TYER") return &tag.Year;
    // Version 4 replaced the year by a recording time ("2008-05-01"); its year is taken below.
    if (id == "TDRC" && major >= 4) return &tag.Year;
    if (id == "COMM") return &tag.Comment;
    if (id == "TCON") return &tag.Genre;
    return nullptr;
}

// Bit rates in kbit/s by bit-rate index; index 15, which the standard forbids, gives 1000.
constexpr std::array<int32_t, 16> kMpeg1Layer1 = {0,   32,  64,  96,  128, 160, 192, 224,
                                                  256, 288, 320, 352, 384, 416, 448, 1000};
constexpr std::array<int32_t, 16> kMpeg1Layer2 = {0,   32,  48,  56,  64,  80,  96,  112,
                                                  128, 160, 192, 224, 256, 320, 384, 1000};
constexpr std::array<int32_t, 16> kMpeg1Layer3 = {0,   32,  40,  48,  56,  64,  80,  96,
                                                  112, 128, 160, 192, 224, 256, 320, 1000};
constexpr std::array<int32_t, 16> kMpeg2Layer1 = {0,   32,  48,  56,  64,  80,  96,  112,
                                                  128, 144, 160, 176, 192, 224, 256, 1000};
constexpr std::array<int32_t, 16> kMpeg2Layer23 = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 1000};

int32_t BitrateOf(unsigned version, unsigned layer, unsigned index) {
    if (version == 1 || layer == 0) return 0;
    if (version == 3) {
        if (layer == 3) return kMpeg1Layer1[index];
        if (layer == 2) return kMpeg1Layer2[index];
        return kMpeg1Layer3[index];
    }
    return layer == 3 ? kMpeg2Layer1[index] : kMpeg2Layer23[index];
}

int32_t SampleRateOf(unsigned version, unsigned index) {
    static constexpr int32_t kMpeg1[3] = {44100, 48000, 32000};
    static constexpr int32_t kMpeg2[3] = {22050, 24000, 16000};
    static constexpr int32_t kMpeg25[3] = {11025, 12000, 8000};
    if (index > 2) return 0;
    switch (version) {
        case 3: return kMpeg1[index];
        case 2: return kMpeg2[index];
        case 0: return kMpeg25[index];
        default: return 0;
    }
}

}  // namespace

void TTolvMP3TagReader::ReadFile(const std::string& fileName, TMP3Tag& tag) {
    TagStream stream = TagStream::OpenFile(fileName);
    ReadStream(stream, tag);
}

void TTolvMP3TagReader::ReadBytes(std::span<const uint8_t> bytes, TMP3Tag& tag) {
    TagStream stream(bytes);
    ReadStream(stream, tag);
}

void TTolvMP3TagReader::ReadStream(TagStream& stream, TMP3Tag& tag) {
    switch (DetectFileKind(stream)) {
        case TMediaFileKind::Plain:
            ClearTag(tag);
            ReadMPEGHeader(stream, 0, 0, tag);
            tag.KindText = kKindTextMPEG;
            break;
        case TMediaFileKind::ID3v1:
            ReadID3v1Tag(stream, tag);
            ReadMPEGHeader(stream, 0, 0, tag);
            tag.KindText = kKindTextMPEG;
            break;
        case TMediaFileKind::ID3v2: {
            uint64_t tagEnd = ReadID3v2Tag(stream, tag);
            uint64_t audioStart = SkipZeroBytes(stream, tagEnd);
            ReadMPEGHeader(stream, audioStart, audioStart, tag);
            tag.KindText = kKindTextMPEG;
            break;
        }
        case TMediaFileKind::MP4:
            mp4::ReadMetadataAtoms(stream, tag);
            tag.KindText = kKindTextAAC;
            break;
        case TMediaFileKind::RIFF:
            ReadMPEGHeader(stream, 20, 20, tag);
            tag.KindText = kKindTextRIFF;
            break;
        case TMediaFileKind::RIFFWithID3v1:
            ReadID3v1Tag(stream, tag);
            ReadMPEGHeader(stream, 20, 20, tag);
            tag.KindText = kKindTextMPEG;
            break;
    }
}

void TTolvMP3TagReader::ClearTag(TMP3Tag& tag) {
    tag.Title.clear();
    tag.Artist.clear();
    tag.Album.clear();
    tag.Year.clear();
    tag.Comment.clear();
    tag.Genre.clear();
}

void TTolvMP3TagReader::ReadID3v1Tag(TagStream& stream, TMP3Tag& tag) {
    if (stream.Size() < kID3v1TagSize) return;
    const TagWindow v1 = stream.Window(stream.Size() - kID3v1TagSize, kID3v1TagSize);
    tag.Title = tagtext::Field8(v1.Bytes(3, 30));
    tag.Artist = tagtext::Field8(v1.Bytes(33, 30));
    tag.Album = tagtext::Field8(v1.Bytes(63, 30));
    tag.Year = tagtext::Field8(v1.Bytes(93, 4));
    tag.Comment = tagtext::Field8(v1.Bytes(97, 30));
    tag.Genre = ID3v1GenreName(v1.U8(127));
}

uint64_t TTolvMP3TagReader::ReadID3v2Tag(TagStream& stream, TMP3Tag& tag) {
    id3v2::FrameWalk walk(stream);
    tag.TagSize = static_cast<int32_t>(walk.TagSize());
    ReadID3v2Frames(walk, tag);
    return 10 + uint64_t(walk.TagSize());
}

void TTolvMP3TagReader::ReadID3v2Frames(id3v2::FrameWalk& walk, TMP3Tag& tag) {
    // The position counts from the file's start, the tag size leaves out the header: the walk
    // goes on while the position is not beyond the tag size.
    const uint64_t limit = walk.TagSize();
    const int major = walk.MajorVersion();
    id3v2::Frame frame;
    while (walk.Position() <= limit && walk.Next(frame)) {
        std::string* field = FrameField(frame.Id, major, tag);
        if (!field || frame.Size < 1 || frame.Size - 1 >= kMaxTextBytes) continue;
        const TagWindow content = walk.Stream().Window(frame.ContentStart(), frame.Size);
        uint8_t encodingByte = content.U8(0);
        auto text = content.Bytes(1, frame.Size - 1);
        if (field == &tag.Comment && encodingByte <= 3) text = CommentText(encodingByte, text);
        *field = DecodeFrameText(encodingByte, text);
        if (frame.Id == "TDRC") *field = std::string(encoding::Utf8Left(*field, 4));
    }
}

void TTolvMP3TagReader::ReadMPEGHeader(TagStream& stream, uint64_t headerOffset, uint64_t audioStart, TMP3Tag& tag) {
    const uint64_t fileSize = stream.Size();
    tag.FileSize = static_cast<int64_t>(fileSize);
    const TagWindow bytes = stream.Window(headerOffset, 4);
    uint32_t h =
        uint32_t(bytes.U8(0)) << 24 | uint32_t(bytes.U8(1)) << 16 | uint32_t(bytes.U8(2)) << 8 | uint32_t(bytes.U8(3));
    unsigned version = (h >> 19) & 3;
    unsigned layer = (h >> 17) & 3;
    unsigned bitrateIndex = (h >> 12) & 15;
    unsigned sampleRateIndex = (h >> 10) & 3;
    tag.Bitrate = BitrateOf(version, layer, bitrateIndex);
    tag.SampleRate = SampleRateOf(version, sampleRateIndex);
    tag.Length = 0;
    if (tag.Bitrate != 0 && tag.SampleRate != 0 && fileSize > audioStart) {
        // A tag that claims more bytes than the file holds leaves no audio: length 0.
        uint64_t seconds = (fileSize - audioStart) * 8 / (uint64_t(tag.Bitrate) * 1000);
        tag.Length = static_cast<int32_t>(std::min<uint64_t>(seconds, std::numeric_limits<int32_t>::max()));
    }
}

uint64_t TTolvMP3TagReader::SkipZeroBytes(TagStream& stream, uint64_t from) {
    const uint64_t fileSize = stream.Size();
    for (uint64_t pos = from; pos < fileSize;) {
        // The zeros are mostly in the block that held the tag's end: no second read for them.
        const TagWindow block = stream.NextBytes(pos, TagStream::kBlockSize);
        auto bytes = block.Bytes(0, block.Size());
        if (bytes.empty()) break;
        for (size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] != 0) return pos + i;
        pos += bytes.size();
    }
    return from;
}
