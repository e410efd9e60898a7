// The media tag reader: the descriptive texts (ID3v1, ID3v2.2/2.3/2.4, MP4 metadata atoms) and the
// audio facts (from the first MPEG audio frame header) of one music file, as a TMP3Tag record.
// It is the front of the readers by format: the ID3v2 frame walk and the MP4 atoms have modules
// of their own.
// Texts are UTF-8. Bit rates are in kbit/s, sample rates in Hz, lengths in whole seconds, sizes
// in bytes.
#pragma once

#include "player/tags/media_file_kind.h"
#include "player/tags/tag_stream.h"

#include <cstdint>
#include <span>
#include <string>

namespace id3v2 {
class FrameWalk;
}

struct TMP3Tag {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Comment;
    std::string Genre;
    std::string KindText;
    int32_t TagSize = 0;     // ID3v2 tag size without its 10-byte header (ID3v2 files only)
    int32_t Bitrate = 0;     // kbit/s
    int32_t SampleRate = 0;  // Hz
    int32_t Length = 0;      // whole seconds
    int64_t FileSize = 0;    // bytes (MPEG and RIFF kinds)

    bool operator==(const TMP3Tag&) const = default;
};

inline constexpr const char* kKindTextMPEG = "MPEG オーディオファイル";
inline constexpr const char* kKindTextAAC = "AAC オーディオファイル";
inline constexpr const char* kKindTextRIFF = "RIFF";

// The ID3v1 genre name of a genre number: the table entry below 126, otherwise "Unknown".
std::string ID3v1GenreName(int number);

class TTolvMP3TagReader {
public:
    // Opens the file, reads it (ReadStream) and closes it. Throws EFileError when the file
    // cannot be opened.
    void ReadFile(const std::string& fileName, TMP3Tag& tag);
    // Detects the kind (DetectFileKind) and runs its steps; texts the kind does not read are left as given.
    void ReadStream(TagStream& stream, TMP3Tag& tag);
    // Reads bytes held in memory (the fuzz target and tests use it).
    void ReadBytes(std::span<const uint8_t> bytes, TMP3Tag& tag);

private:
    static void ClearTag(TMP3Tag& tag);
    static void ReadID3v1Tag(TagStream& stream, TMP3Tag& tag);
    // Reads the header and the frames; returns the offset where the tag ends (10 + tag size).
    static uint64_t ReadID3v2Tag(TagStream& stream, TMP3Tag& tag);
    static void ReadID3v2Frames(id3v2::FrameWalk& walk, TMP3Tag& tag);
    static void ReadMPEGHeader(TagStream& stream, uint64_t headerOffset, uint64_t audioStart, TMP3Tag& tag);
    // The offset of the first non-zero byte at or after `from`; `from` when the file ends first.
    static uint64_t SkipZeroBytes(TagStream& stream, uint64_t from);
};

// Pieces of the reader that the other tag readers share.
namespace tagtext {

// 8-bit field text: leading NULs skipped, cut at the next NUL, trimmed; UTF-8 when it is valid
// UTF-8, otherwise code page 932.
std::string Field8(std::span<const uint8_t> bytes);

}  // namespace tagtext
