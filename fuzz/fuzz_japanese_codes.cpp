// Runs the Japanese-code guess and both converters over arbitrary bytes.
#include "foundation/japanese_codes.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int code = DetectJapaneseCode(text);
    if (code < kJapaneseSjis || code > kJapaneseEuc) __builtin_trap();
    // Neither converter ever makes a text longer: pairs stay pairs, escapes are dropped,
    // single-shift sequences shrink.
    if (JisToSjis(text).size() > size) __builtin_trap();
    if (EucToSjis(text).size() > size) __builtin_trap();
    (void)StrToCode(text);
    return 0;
}
