// Feeds arbitrary bytes to the feed reader: the token walk, the enclosure attributes and the
// declaration search must take any text without reading outside it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "organiser/feed_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TXMLReader reader;
    reader.SetText(text);
    (void)reader.FindXmlDeclaration();
    reader.SetText(text);
    reader.Parse();
    int64_t sum = 0;
    for (int i = 0; i <= reader.Count(); ++i) {
        if (const TPodCastObject* item = reader.GetItem(i)) {
            sum += item->Length + static_cast<int64_t>(item->FileName.size() + item->Title.size());
        }
    }
    (void)reader.TotalLength();
    (void)TXMLReader::GetTagName(text);
    (void)ParseInt32(text, 0);
    return sum == -1 ? 1 : 0;
}
