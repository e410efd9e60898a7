// Tokenizes arbitrary bytes and parses the attributes of every tag token.
#include "foundation/tag_tokenizer.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTokenReader reader;
    reader.SetText(std::string(reinterpret_cast<const char*>(data), size));
    TTagAnalysis tag;
    size_t last_cursor = 0;
    for (;;) {
        reader.NextToken();
        if (reader.FKind == TTokenKind::End) break;
        // Every token moves the cursor forward; anything else would loop for ever.
        if (reader.FCursor <= last_cursor && last_cursor != 0) __builtin_trap();
        if (reader.FCursor > reader.FSource.size()) __builtin_trap();
        last_cursor = reader.FCursor;
        if (reader.FKind == TTokenKind::StartTag || reader.FKind == TTokenKind::EndTag) {
            tag.Analyze(reader.FToken);
            for (int i = 0; i < tag.Count(); ++i) {
                const TTagItem* item = tag.GetItem(i);
                if (item == nullptr) __builtin_trap();
                // Each lookup walks the whole list: a few are enough, and keep the run fast.
                if (i < 8) (void)tag.GetValue(item->FName);
            }
            if (tag.GetItem(tag.Count()) != nullptr) __builtin_trap();
        }
    }
    return 0;
}
