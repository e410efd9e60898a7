// The lyrics reader: the unsynchronised lyrics frame (USLT, ULT in version 2.2) of a file's
// ID3v2 tag. Only the tag region that the tag header declares is read, never a whole file.
// Texts are UTF-8.
#pragma once

#include "player/tags/tag_stream.h"

#include <cstdint>
#include <span>
#include <string>

class TMPEGExtLoader {
public:
    TMPEGExtLoader() { Clear(); }

    // The text of the last lyrics frame of the tag; empty when there is none.
    std::string Lyrics;

    void Clear();
    // Throws EFileError when the file cannot be opened.
    void LoadFromFile(const std::string& fileName);
    // Walks the frames of a file that starts with an ID3v2 header (ReadMediaFileMarks).
    void LoadFromStream(TagStream& stream);
    void LoadFromBytes(std::span<const uint8_t> bytes);

    // Lyrics frames with more content than this (in bytes) are passed over.
    static constexpr uint64_t kMaxFrameContent = 524288;

private:
    void WalkFrames(TagStream& stream, bool version22);
};

// The lyrics text of one lyrics frame. `content` is the frame after its encoding byte: the
// 3-byte language code, the short description and the text.
std::string DecodeLyrics(std::span<const uint8_t> content, uint8_t encodingByte);
