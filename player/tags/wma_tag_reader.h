// The WMA tag reader: title, author and description of a Windows Media Audio file, from the ASF
// content description object that must be the first object of the header. Texts are UTF-8.
#pragma once

#include "player/tags/tag_stream.h"

#include <span>
#include <string>

class TWMATagReader {
public:
    TWMATagReader() { Clear(); }

    std::string Title;
    std::string Author;
    std::string Description;

    void Clear();
    // Reads the content description of a file; throws EFileError when it cannot be opened.
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(TagStream& stream);
    void LoadFromBytes(std::span<const uint8_t> bytes);

    // A string longer than this (in bytes) is not read and stays empty.
    static constexpr uint16_t kMaxStringBytes = 256;
};
