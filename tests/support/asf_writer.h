// Writer of minimal ASF (WMA) files for tests: a header object whose first child is the content
// description object (title, author, copyright, description, rating), then a small data object.
// Sizes are in bytes; texts are UTF-8, written as UTF-16LE.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The five strings of the content description object, as stored (their lengths are the
// vectors' sizes).
struct AsfContentDescription {
    Bytes title{}, author{}, copyright{}, description{}, rating{};
};

// A string as ASF stores it: UTF-16LE with a NUL code unit; empty text gives no bytes.
Bytes AsfString(const std::string& text);

// An ASF file. When `descriptionFirst` is false a file properties object comes before the
// content description inside the header.
Bytes BuildAsf(const AsfContentDescription& content, bool descriptionFirst = true);
// The same from plain texts.
Bytes BuildWma(const std::string& title, const std::string& author, const std::string& description);
