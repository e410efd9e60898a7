// Feeds arbitrary bytes to the document-to-text reader as a downloaded file: the encoding and
// kind detection, the reload through the string list and both conversions. Whatever the bytes,
// the decoded text and every line made of it are UTF-8 (a line may hold breaks of a feed's
// value: the notes splitter cuts such a line into several).
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/encoding.h"
#include "fuzz/fuzz_files.h"
#include "organiser/document_reader.h"

namespace {

void CheckLines(const THTMLReader& reader) {
    for (const std::string& line : reader.FLines.Lines()) {
        if (!encoding::IsValidUtf8(line)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteFile("document.RDF", fuzz::AsText(data, size));
    THTMLReader reader;
    reader.FAddDate = size % 2 == 0;
    reader.FAddURL = size % 3 == 0;
    reader.LoadFromFile(path);
    if (!encoding::IsValidUtf8(reader.FText)) __builtin_trap();
    reader.Convert();
    CheckLines(reader);
    // Both conversions on every input, whatever kind it was taken for.
    reader.HtmlToText();
    CheckLines(reader);
    reader.RssToText();
    CheckLines(reader);
    return 0;
}
