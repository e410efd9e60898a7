#include "tests/support/mp3_writer.h"

#include "foundation/encoding.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void Append(Bytes& out, std::string_view more) { out.insert(out.end(), more.begin(), more.end()); }
void PutBE(Bytes& out, uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void PutSyncsafe(Bytes& out, uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) out.push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
}

// Bit rates in kbit/s by index (1..14) from the MPEG audio standard.
constexpr std::array<int, 15> kV1L1 = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
constexpr std::array<int, 15> kV1L2 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr std::array<int, 15> kV1L3 = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 15> kV2L1 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
constexpr std::array<int, 15> kV2L23 = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

}  // namespace

Bytes Id3v2TagBuilder::EncodeText(const std::string& text, Id3Encoding enc) {
    Bytes out;
    switch (enc) {
        case Id3Encoding::Latin1:
        case Id3Encoding::Utf8: Append(out, text); break;
        case Id3Encoding::Utf16:
            out = {0xFF, 0xFE};
            Append(out, encoding::Utf8ToUtf16Le(text));
            break;
        case Id3Encoding::Utf16WithBigEndianBom:
            out = {0xFE, 0xFF};
            Append(out, encoding::Utf8ToUtf16Be(text));
            break;
        case Id3Encoding::Utf16BE: Append(out, encoding::Utf8ToUtf16Be(text)); break;
    }
    return out;
}

static uint8_t EncodingByte(Id3Encoding enc) {
    return enc == Id3Encoding::Utf16WithBigEndianBom ? 1 : static_cast<uint8_t>(enc);
}
static Bytes Terminator(Id3Encoding enc) {
    return (enc == Id3Encoding::Latin1 || enc == Id3Encoding::Utf8) ? Bytes{0} : Bytes{0, 0};
}

Id3v2TagBuilder& Id3v2TagBuilder::Text(const std::string& id, const std::string& text, Id3Encoding enc) {
    Bytes content{EncodingByte(enc)};
    Append(content, EncodeText(text, enc));
    return Frame(id, content);
}

Id3v2TagBuilder& Id3v2TagBuilder::Comment(const std::string& text, Id3Encoding enc, const std::string& description,
                                          const std::string& language) {
    Bytes content{EncodingByte(enc)};
    Append(content, language.substr(0, 3));
    Append(content, EncodeText(description, enc));
    Append(content, Terminator(enc));
    Append(content, EncodeText(text, enc));
    return Frame(major_ < 3 ? "COM" : "COMM", content);
}

Id3v2TagBuilder& Id3v2TagBuilder::Lyrics(const std::string& text, Id3Encoding enc, const std::string& description,
                                         const std::string& language) {
    Bytes content{EncodingByte(enc)};
    Append(content, language.substr(0, 3));
    Append(content, EncodeText(description, enc));
    Append(content, Terminator(enc));
    Append(content, EncodeText(text, enc));
    return Frame(major_ < 3 ? "ULT" : "USLT", content);
}

Id3v2TagBuilder& Id3v2TagBuilder::Frame(const std::string& id, const Bytes& content) {
    return FrameWithStatedSize(id, static_cast<uint32_t>(content.size()), content);
}

Id3v2TagBuilder& Id3v2TagBuilder::FrameWithStatedSize(const std::string& id, uint32_t statedSize,
                                                      const Bytes& content) {
    std::string fixedId = id;
    fixedId.resize(major_ < 3 ? 3 : 4, ' ');
    Append(frames_, fixedId);
    if (major_ < 3) {
        PutBE(frames_, statedSize, 3);
    } else {
        if (major_ == 4 && !plain_sizes_) PutSyncsafe(frames_, statedSize);
        else PutBE(frames_, statedSize, 4);
        frames_.push_back(0);
        frames_.push_back(0);
    }
    Append(frames_, content);
    return *this;
}

Bytes Id3v2TagBuilder::Build() const {
    Bytes out = {'I', 'D', '3', static_cast<uint8_t>(major_), 0, 0};
    PutSyncsafe(out, static_cast<uint32_t>(frames_.size() + padding_));
    Append(out, frames_);
    out.resize(out.size() + padding_, 0);
    return out;
}

Bytes BuildId3v1(const Id3v1Fields& f) {
    Bytes out(128, 0);
    auto put = [&](size_t at, const std::string& text, size_t width) {
        std::copy_n(text.begin(), std::min(text.size(), width), out.begin() + static_cast<long>(at));
    };
    put(0, "TAG", 3);
    put(3, f.title, 30);
    put(33, f.artist, 30);
    put(63, f.album, 30);
    put(93, f.year, 4);
    put(97, f.comment, f.track > 0 ? 28 : 30);
    if (f.track > 0) {
        out[125] = 0;
        out[126] = static_cast<uint8_t>(f.track);
    }
    out[127] = f.genre;
    return out;
}

Bytes MpegFrameHeaderBits(unsigned versionBits, unsigned layerBits, unsigned bitrateIndex, unsigned sampleRateIndex) {
    return {0xFF, static_cast<uint8_t>(0xE0 | (versionBits & 3) << 3 | (layerBits & 3) << 1 | 1),
            static_cast<uint8_t>((bitrateIndex & 15) << 4 | (sampleRateIndex & 3) << 2), 0x00};
}

Bytes MpegFrameHeader(int mpegVersion, int layer, int bitrateKbps, int sampleRate) {
    unsigned versionBits = mpegVersion == 1 ? 3 : mpegVersion == 2 ? 2 : 0;
    unsigned layerBits = static_cast<unsigned>(4 - layer);
    const std::array<int, 15>* table;
    if (mpegVersion == 1) table = layer == 1 ? &kV1L1 : layer == 2 ? &kV1L2 : &kV1L3;
    else table = layer == 1 ? &kV2L1 : &kV2L23;
    auto bit = std::find(table->begin() + 1, table->end(), bitrateKbps);
    if (bit == table->end()) throw std::invalid_argument("bit rate not in the MPEG tables");
    int base = mpegVersion == 1 ? 44100 : mpegVersion == 2 ? 22050 : 11025;
    unsigned rateIndex;
    if (sampleRate == base) rateIndex = 0;
    else if (sampleRate == base * 48000 / 44100) rateIndex = 1;
    else if (sampleRate == base * 32000 / 44100) rateIndex = 2;
    else throw std::invalid_argument("sample rate not in the MPEG tables");
    return MpegFrameHeaderBits(versionBits, layerBits, static_cast<unsigned>(bit - table->begin()), rateIndex);
}

static Bytes Mp3Head(const Mp3FileLayout& layout) {
    Bytes out = layout.id3v2;
    out.resize(out.size() + layout.zeroBytesBeforeAudio, 0);
    Append(out, MpegFrameHeader(layout.mpegVersion, layout.layer, layout.bitrateKbps, layout.sampleRate));
    return out;
}

Bytes BuildMp3(const Mp3FileLayout& layout) {
    Bytes out = Mp3Head(layout);
    out.resize(out.size() + std::max<uint64_t>(layout.audioBytes, 4) - 4, 0);
    if (layout.id3v1) Append(out, BuildId3v1(*layout.id3v1));
    return out;
}

void WriteMp3File(const std::string& path, const Mp3FileLayout& layout) {
    Bytes head = Mp3Head(layout);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
        if (!out) throw std::runtime_error("cannot write " + path);
    }
    uint64_t audioEnd = head.size() + std::max<uint64_t>(layout.audioBytes, 4) - 4;
    std::filesystem::resize_file(path, audioEnd);
    if (layout.id3v1) {
        Bytes v1 = BuildId3v1(*layout.id3v1);
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out.write(reinterpret_cast<const char*>(v1.data()), static_cast<std::streamsize>(v1.size()));
        if (!out) throw std::runtime_error("cannot write " + path);
    }
}

Bytes BuildSongTag(const SongTags& tags) {
    Id3v2TagBuilder tag(3);
    auto encodingOf = [](const std::string& text) {
        bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
        return ascii ? Id3Encoding::Latin1 : Id3Encoding::Utf16;
    };
    auto text = [&](const char* id, const std::string& value) {
        if (!value.empty()) tag.Text(id, value, encodingOf(value));
    };
    text("TIT2", tags.title);
    text("TPE1", tags.artist);
    text("TALB", tags.album);
    text("TYER", tags.year);
    text("TCON", tags.genre);
    if (!tags.comment.empty()) tag.Comment(tags.comment, encodingOf(tags.comment));
    tag.Padding(256);
    return tag.Build();
}

Bytes WithSongTag(const SongTags& tags, const Bytes& audio) {
    Bytes out = BuildSongTag(tags);
    Append(out, audio);
    return out;
}

void WriteTaggedMp3(const std::string& path, const SongTags& tags, int bitrateKbps, int lengthSeconds, int sampleRate) {
    Mp3FileLayout layout;
    layout.id3v2 = BuildSongTag(tags);
    layout.bitrateKbps = bitrateKbps;
    layout.sampleRate = sampleRate;
    layout.audioBytes = uint64_t(lengthSeconds) * uint64_t(bitrateKbps) * 125;
    WriteMp3File(path, layout);
}
