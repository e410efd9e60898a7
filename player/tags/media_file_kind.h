// The marks by which the tag readers tell a media file's kind: the ID3v2 header at its start,
// a RIFF header, the ID3v1 tag in its last 128 bytes and the MP4 audio brand. Both the media tag
// reader and the lyrics reader decide by these marks alone. Offsets and sizes are in bytes.
#pragma once

#include "player/tags/tag_stream.h"

#include <cstdint>

// The size of an ID3v1 tag, which fills the last bytes of its file.
inline constexpr uint64_t kID3v1TagSize = 128;

// Each mark is compared byte for byte (case-sensitive).
struct TMediaFileMarks {
    bool ID3v2 = false;      // "ID3" at offset 0
    uint8_t ID3v2Major = 0;  // the byte after it: 2 for version 2.2, 3 for 2.3, 4 for 2.4
    bool RIFF = false;       // "RIF" at offset 0
    // "TAG" at the start of the last 128 bytes of a file that holds them; not looked for behind
    // an ID3v2 header (the readers take that tag, and the file's end stays unread).
    bool ID3v1 = false;
    bool MP4 = false;  // "M4A" at offset 8 (the brand of the file's first box)
};

TMediaFileMarks ReadMediaFileMarks(TagStream& stream);

// The kinds of file the media tag reader tells apart.
enum class TMediaFileKind : int {
    Plain = 0,          // no tag recognised (plain MPEG audio, or no larger than a bare ID3v1 tag)
    ID3v1 = 1,          // "TAG" in the last 128 bytes
    ID3v2 = 2,          // "ID3" at offset 0
    MP4 = 3,            // "M4A" at offset 8
    RIFF = 4,           // "RIF" at offset 0 without ID3v1
    RIFFWithID3v1 = 41  // "RIF" at offset 0 with ID3v1
};

// The kind the media tag reader reads a file as. The marks rank ID3v2, RIFF, ID3v1, MP4; a file
// of 128 bytes or fewer is plain, whatever it holds: it has no room for audio beside a tag.
TMediaFileKind DetectFileKind(TagStream& stream);
