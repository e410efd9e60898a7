// Feeds arbitrary bytes to the feed reader: the token walk, the enclosure attributes and the
// declaration search must take any text without reading outside it. References are decoded
// once and a decoded reference is never longer than the reference, so no field is longer than
// the text; an enclosure's file name, its address's last segment with escapes decoded, stays within
// what its address can give; there are never more items than tags.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "organiser/feed_reader.h"

namespace {

void CheckPiece(const std::string& text, const std::string& field) {
    if (field.size() > text.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TXMLReader reader;
    reader.SetText(text);
    (void)reader.FindXmlDeclaration();
    reader.SetText(text);
    reader.Parse();
    if (reader.Count() > std::count(text.begin(), text.end(), '<')) __builtin_trap();
    for (const std::string* field : {&reader.FChannelTitle, &reader.FChannelAuthor, &reader.FChannelLink,
                                     &reader.FChannelDescription, &reader.FChannelDate}) {
        CheckPiece(text, *field);
    }
    int64_t sum = 0;
    for (int i = 0; i < reader.Count(); ++i) {
        const TPodCastObject* item = reader.GetItem(i);
        if (item == nullptr) __builtin_trap();
        for (const std::string* field : {&item->Title, &item->Link, &item->Description, &item->Content, &item->Date,
                                         &item->EnclosureURL, &item->LengthText, &item->ImageURL}) {
            CheckPiece(text, *field);
        }
        const std::string& url = item->EnclosureURL;
        // A byte that is no UTF-8 becomes U+FFFD: three bytes at most for each byte.
        if (item->FileName.size() > 3 * url.size()) __builtin_trap();
        if (item->Length != ParseInt32(item->LengthText, 0)) __builtin_trap();
        sum += item->Length;
    }
    if (reader.GetItem(reader.Count()) != nullptr || reader.GetItem(-1) != nullptr) __builtin_trap();
    if (reader.TotalLength() != std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX)) __builtin_trap();
    (void)TXMLReader::GetTagName(text);
    return 0;
}
