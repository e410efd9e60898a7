// Loads arbitrary bytes into the encoding-aware string list with every encoding code.
#include "foundation/encoding.h"
#include "foundation/string_list.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (TextEncoding code = 0; code <= 7; ++code) {
        TTolvStringList list;
        std::istringstream stream(bytes);
        list.LoadFromStream(&stream, code);
        if (code != kTextDetect && list.FEncoding != code) __builtin_trap();
        if (code == kTextDetect && (list.FEncoding < kTextShiftJis || list.FEncoding > kTextUtf8)) __builtin_trap();
        for (const std::string& line : list.Lines()) {
            // Every load but the explicit UTF-8 one yields valid UTF-8 lines without breaks.
            if (list.FEncoding != kTextUtf8 && !encoding::IsValidUtf8(line)) __builtin_trap();
            if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();
        }
        (void)list.Text();
    }
    return 0;
}
