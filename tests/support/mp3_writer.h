// Writer of MP3 files for tests, benches and the sample player: ID3v2 tags (versions 2.2, 2.3
// and 2.4, text, comment and lyrics frames, padding), ID3v1 tags and MPEG audio frame headers.
// Sizes are in bytes, bit rates in kbit/s, sample rates in Hz, lengths in seconds. Texts are
// given as UTF-8 and written in the frame's text encoding.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// ID3v2 text encodings.
enum class Id3Encoding : uint8_t {
    Latin1 = 0,   // the text's bytes as given (UTF-8 or code page 932 bytes)
    Utf16 = 1,    // FF FE byte-order mark, then UTF-16LE
    Utf16BE = 2,  // UTF-16BE without byte-order mark
    Utf8 = 3,
    Utf16WithBigEndianBom = 0x81  // encoding byte 1 with FE FF and UTF-16BE
};

class Id3v2TagBuilder {
public:
    // majorVersion: 2, 3 or 4.
    explicit Id3v2TagBuilder(int majorVersion = 3) : major_(majorVersion) {}

    // A text frame (TIT2/TT2 ...): the encoding byte, then the text with its terminator.
    Id3v2TagBuilder& Text(const std::string& id, const std::string& text, Id3Encoding enc = Id3Encoding::Latin1);
    // A comment frame: language, short description, text.
    Id3v2TagBuilder& Comment(const std::string& text, Id3Encoding enc = Id3Encoding::Latin1,
                             const std::string& description = "", const std::string& language = "eng");
    // A lyrics frame (USLT, ULT in version 2.2): language, short description, text.
    Id3v2TagBuilder& Lyrics(const std::string& text, Id3Encoding enc = Id3Encoding::Utf16,
                            const std::string& description = "", const std::string& language = "eng");
    // Any frame with the given content bytes (after the frame header).
    Id3v2TagBuilder& Frame(const std::string& id, const Bytes& content);
    // A frame whose header states `statedSize` whatever content follows.
    Id3v2TagBuilder& FrameWithStatedSize(const std::string& id, uint32_t statedSize, const Bytes& content);
    // Version 4 frame sizes written as plain 32-bit numbers, as iTunes wrote them, for the
    // frames added after this call.
    Id3v2TagBuilder& PlainFrameSizes() {
        plain_sizes_ = true;
        return *this;
    }
    // Zero bytes after the frames, inside the tag.
    Id3v2TagBuilder& Padding(size_t bytes) {
        padding_ = bytes;
        return *this;
    }

    // The whole tag: the 10-byte header (its size syncsafe), the frames, the padding.
    Bytes Build() const;

    // The encoded text of a frame (terminator included), without the encoding byte.
    static Bytes EncodeText(const std::string& text, Id3Encoding enc);

private:
    int major_;
    bool plain_sizes_ = false;
    Bytes frames_;
    size_t padding_ = 0;
};

struct Id3v1Fields {
    std::string title{}, artist{}, album{}, year{}, comment{};  // cut to their field widths
    int track = 0;                                              // written after a NUL in the comment when > 0
    uint8_t genre = 255;
};
// The 128-byte ID3v1 tag.
Bytes BuildId3v1(const Id3v1Fields& fields);

// The four bytes of an MPEG audio frame header. mpegVersion: 1, 2 or 25 (MPEG-2.5); layer 1..3;
// the bit rate and sample rate must be in the standard's tables for that version and layer.
Bytes MpegFrameHeader(int mpegVersion, int layer, int bitrateKbps, int sampleRate);
// The same from raw field values (version bits 3/2/0/1, layer bits 3/2/1/0, indices).
Bytes MpegFrameHeaderBits(unsigned versionBits, unsigned layerBits, unsigned bitrateIndex, unsigned sampleRateIndex);

struct Mp3FileLayout {
    Bytes id3v2;                      // the whole ID3v2 tag, or empty for none
    size_t zeroBytesBeforeAudio = 0;  // zeros between the tag and the first frame header
    int mpegVersion = 1;
    int layer = 3;
    int bitrateKbps = 128;
    int sampleRate = 44100;
    uint64_t audioBytes = 4096;  // from the first frame header on, header included
    std::optional<Id3v1Fields> id3v1;
};

// The bytes of an MP3 file.
Bytes BuildMp3(const Mp3FileLayout& layout);
// Writes an MP3 file. The audio bytes after the first frame header are a hole (a sparse file),
// so large files cost no disk space.
void WriteMp3File(const std::string& path, const Mp3FileLayout& layout);

// The tags of a song as the sample player and the scan tests want them.
struct SongTags {
    std::string title{}, artist{}, album{}, year{}, comment{}, genre{};
};
// An MP3 file with an ID3v2.3 tag of the given texts (UTF-16 frames for texts that are not plain
// ASCII), one MPEG-1 Layer III frame header and audio bytes so that the tag reader finds
// `lengthSeconds` at `bitrateKbps`. Empty texts get no frame.
void WriteTaggedMp3(const std::string& path, const SongTags& tags, int bitrateKbps = 128, int lengthSeconds = 180,
                    int sampleRate = 44100);
// The ID3v2.3 tag that WriteTaggedMp3 writes.
Bytes BuildSongTag(const SongTags& tags);
// MPEG audio (e.g. frames of silence) with that tag in front of it.
Bytes WithSongTag(const SongTags& tags, const Bytes& audio);
