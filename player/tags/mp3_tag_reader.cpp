#include "player/tags/mp3_tag_reader.h"

#include "foundation/encoding.h"

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

std::string Field8(std::span<const uint8_t> bytes) {
    return encoding::Text8ToUtf8(FieldBytes(bytes));
}

uint32_t Syncsafe(uint32_t value) {
    return ((value >> 24) & 0x7F) << 21 | ((value >> 16) & 0x7F) << 14 | ((value >> 8) & 0x7F) << 7 |
           (value & 0x7F);
}

}  // namespace tagtext

namespace {

// Text frames longer than this are not read: their field stays as it was.
constexpr uint64_t kMaxTextBytes = 65535;
// MP4 text atoms are read up to this many bytes (longer texts are cut).
constexpr uint64_t kMaxAtomTextBytes = 1 << 20;

// The text of a UTF-8 field, every malformed byte replaced.
std::string FieldUtf8(std::span<const uint8_t> bytes) {
    return encoding::RepairUtf8(FieldBytes(bytes));
}

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
constexpr std::array<int32_t, 16> kMpeg1Layer1 = {0, 32, 64, 96, 128, 160, 192, 224,
                                                  256, 288, 320, 352, 384, 416, 448, 1000};
constexpr std::array<int32_t, 16> kMpeg1Layer2 = {0, 32, 48, 56, 64, 80, 96, 112,
                                                  128, 160, 192, 224, 256, 320, 384, 1000};
constexpr std::array<int32_t, 16> kMpeg1Layer3 = {0, 32, 40, 48, 56, 64, 80, 96,
                                                  112, 128, 160, 192, 224, 256, 320, 1000};
constexpr std::array<int32_t, 16> kMpeg2Layer1 = {0, 32, 48, 56, 64, 80, 96, 112,
                                                  128, 144, 160, 176, 192, 224, 256, 1000};
constexpr std::array<int32_t, 16> kMpeg2Layer23 = {0, 8, 16, 24, 32, 40, 48, 56,
                                                   64, 80, 96, 112, 128, 144, 160, 1000};

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
            ReadMP4Atoms(stream, tag);
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

TMediaFileKind TTolvMP3TagReader::DetectFileKind(TagStream& stream) {
    uint64_t size = stream.Size();
    if (size < 129) return TMediaFileKind::Plain;
    if (stream.Window(0, 3).Matches(0, "ID3")) return TMediaFileKind::ID3v2;
    bool riff = stream.Window(0, 3).Matches(0, "RIF");
    bool id3v1 = stream.Window(size - 128, 3).Matches(0, "TAG");
    if (riff) return id3v1 ? TMediaFileKind::RIFFWithID3v1 : TMediaFileKind::RIFF;
    if (id3v1) return TMediaFileKind::ID3v1;
    if (stream.Window(8, 3).Matches(0, "M4A")) return TMediaFileKind::MP4;
    return TMediaFileKind::Plain;
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
    if (stream.Size() < 128) return;
    const TagWindow v1 = stream.Window(stream.Size() - 128, 128);
    tag.Title = tagtext::Field8(v1.Bytes(3, 30));
    tag.Artist = tagtext::Field8(v1.Bytes(33, 30));
    tag.Album = tagtext::Field8(v1.Bytes(63, 30));
    tag.Year = tagtext::Field8(v1.Bytes(93, 4));
    tag.Comment = tagtext::Field8(v1.Bytes(97, 30));
    tag.Genre = ID3v1GenreName(v1.U8(127));
}

uint64_t TTolvMP3TagReader::ReadID3v2Tag(TagStream& stream, TMP3Tag& tag) {
    const TagWindow header = stream.Window(0, 10);
    int major = header.U8(3);
    uint32_t size = tagtext::Syncsafe(header.U32BE(6));
    tag.TagSize = static_cast<int32_t>(size);
    ReadID3v2Frames(stream, major, tag);
    return 10 + uint64_t(size);
}

void TTolvMP3TagReader::ReadID3v2Frames(TagStream& stream, int majorVersion, TMP3Tag& tag) {
    const uint64_t headerSize = majorVersion < 3 ? 6 : 10;
    const uint64_t limit = static_cast<uint64_t>(tag.TagSize);
    const uint64_t fileSize = stream.Size();
    uint64_t pos = 10;
    while (pos <= limit && pos < fileSize) {
        const TagWindow header = stream.Window(pos, headerSize);
        if (!header.Has(0, headerSize)) break;
        std::string id;
        uint64_t frameSize;
        if (majorVersion < 3) {
            id = header.Text(0, 3);
            frameSize = header.U24BE(3);
        } else {
            id = header.Text(0, 4);
            // Version 4 stores frame sizes syncsafe, as its tag size.
            frameSize = majorVersion == 4 ? tagtext::Syncsafe(header.U32BE(4)) : header.U32BE(4);
        }
        if (id[0] == '\0') break;
        id = encoding::Trim(id);
        if (id.empty()) break;

        uint64_t contentStart = pos + headerSize;
        if (std::string* field = FrameField(id, majorVersion, tag);
            field && frameSize >= 1 && frameSize - 1 < kMaxTextBytes) {
            const TagWindow content = stream.Window(contentStart, frameSize);
            uint8_t encodingByte = content.U8(0);
            auto text = content.Bytes(1, frameSize - 1);
            if (field == &tag.Comment && encodingByte <= 3) text = CommentText(encodingByte, text);
            *field = DecodeFrameText(encodingByte, text);
            if (id == "TDRC") *field = std::string(encoding::Utf8Left(*field, 4));
        }
        pos = contentStart + frameSize;
    }
}

void TTolvMP3TagReader::ReadMP4Atoms(TagStream& stream, TMP3Tag& tag) {
    const uint64_t fileSize = stream.Size();
    uint64_t pos = 0;
    while (pos < fileSize) {
        const TagWindow header = stream.Window(pos, 8);
        uint64_t atomSize = header.U32BE(0);
        std::string name = encoding::AsciiLower(header.Text(4, 4));
        uint64_t bodyStart = pos + 8;

        if (name == "moov" || name == "udta" || name == "ilst" || name == "mp4a") {
            pos = bodyStart;
            continue;
        }
        if (name == "meta") {
            pos = bodyStart + 4;  // version and flags
            continue;
        }
        // Every other atom, text or not, ends where its size says. A size below its own header
        // cannot be walked past.
        if (atomSize < 8) break;

        std::string* field = nullptr;
        if (name == "\xA9" "art") field = &tag.Artist;
        else if (name == "\xA9" "nam") field = &tag.Title;
        else if (name == "\xA9" "alb") field = &tag.Album;
        else if (name == "\xA9" "day") field = &tag.Year;
        else if (name == "\xA9" "gen") field = &tag.Genre;
        if (field) {
            if (atomSize < 24) {
                field->clear();
            } else {
                // The text sits in the inner data atom, after its header, type and locale. An atom
                // that claims more than the file holds gives the text that is there; an absurd
                // length is cut so that a text never costs more than a small buffer.
                const TagWindow text = stream.Window(pos + 24, std::min<uint64_t>(atomSize - 24, kMaxAtomTextBytes));
                auto bytes = text.Bytes(0, text.Size());
                size_t end = 0;
                while (end < bytes.size() && bytes[end] != 0) ++end;
                std::string_view raw(reinterpret_cast<const char*>(bytes.data()), end);
                *field = encoding::RepairUtf8(encoding::TrimView(raw));
            }
        }
        pos += atomSize;
    }
}

void TTolvMP3TagReader::ReadMPEGHeader(TagStream& stream, uint64_t headerOffset, uint64_t audioStart,
                                       TMP3Tag& tag) {
    const uint64_t fileSize = stream.Size();
    tag.FileSize = static_cast<int64_t>(fileSize);
    const TagWindow bytes = stream.Window(headerOffset, 4);
    uint32_t h = uint32_t(bytes.U8(0)) << 24 | uint32_t(bytes.U8(1)) << 16 | uint32_t(bytes.U8(2)) << 8 |
                 uint32_t(bytes.U8(3));
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
        const TagWindow block = stream.Window(pos, TagStream::kBlockSize);
        auto bytes = block.Bytes(0, block.Size());
        if (bytes.empty()) break;
        for (size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] != 0) return pos + i;
        pos += bytes.size();
    }
    return from;
}
