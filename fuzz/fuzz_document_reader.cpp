// Feeds arbitrary bytes to the document-to-text reader as a downloaded file: the encoding and
// kind detection, the reload through the string list and both conversions.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "organiser/document_reader.h"

namespace {

const std::string& DocumentPath() {
    // Memory-backed when there is such a folder: the target writes a file on every input.
    static const std::string path = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/fuzz_document_reader_" + std::to_string(::getpid()) + ".RDF";
    // Registered after `path` exists, so it runs before `path` goes away.
    [[maybe_unused]] static const bool cleanup = std::atexit([] { std::remove(DocumentPath().c_str()); }) == 0;
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(DocumentPath().c_str(), "wb");
    if (!file) return 0;
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);

    THTMLReader reader;
    reader.FAddDate = size % 2 == 0;
    reader.FAddURL = size % 3 == 0;
    reader.LoadFromFile(DocumentPath());
    reader.Convert();
    // Both conversions on every input, whatever kind it was taken for.
    reader.HtmlToText();
    reader.RssToText();
    return reader.FLines.Count() < 0 ? 1 : 0;
}
