#include "foundation/japanese_codes.h"

#include <algorithm>

namespace {

constexpr char kEsc = 27;
constexpr size_t kDetectWindow = 32768;
constexpr uint8_t kEucSingleShift2 = 0x8E;  // a half-width katakana follows
constexpr uint8_t kEucSingleShift3 = 0x8F;  // a JIS X 0212 pair follows
// What a character without a Shift_JIS code becomes, as in every other conversion here.
constexpr char kSubstitute = '?';

uint8_t ByteAt(std::string_view text, size_t i) { return static_cast<uint8_t>(text[i]); }

void AppendCode(std::string& out, uint16_t code) {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

// True when the n bytes after position i all lie in low..high. A sequence takes only the bytes
// that belong to it: one that cannot follow its lead (often the "<" of a tag after a broken
// pair) is left for what comes next.
bool FollowedBy(std::string_view text, size_t i, size_t n, uint8_t low, uint8_t high) {
    if (i + n >= text.size()) return false;
    for (size_t k = 1; k <= n; ++k) {
        const uint8_t t = ByteAt(text, i + k);
        if (t < low || t > high) return false;
    }
    return true;
}

}  // namespace

int DetectJapaneseCode(std::string_view text) {
    const size_t n = std::min(text.size(), kDetectWindow);
    int result = kJapaneseEuc;
    if (n < 2) return result;
    // The last byte of the window is never looked at, as a lead byte there has no trail.
    size_t i = 0;
    while (i + 1 < n) {
        const uint8_t b = ByteAt(text, i);
        if (b == kEsc && i + 2 < text.size() && (text[i + 1] == '$' || text[i + 1] == '(') && text[i + 2] == 'B') {
            return kJapaneseJis;
        }
        if (b >= 0x80 && b <= 0xA0) {
            result = kJapaneseSjis;
            i += 2;
        } else {
            i += 1;
        }
    }
    return result;
}

std::string JisToSjis(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool two_byte = false;
    size_t i = 0;
    while (i < text.size()) {
        const uint8_t b = ByteAt(text, i);
        if (b == kEsc && i + 2 < text.size() && text[i + 2] == 'B') {
            if (text[i + 1] == '$') {
                two_byte = true;
                i += 3;
                continue;
            }
            if (text[i + 1] == '(') {
                two_byte = false;
                i += 3;
                continue;
            }
        }
        // A lone byte at the very end has no partner: it is copied.
        if (two_byte && b >= 33 && b <= 126 && i + 1 < text.size()) {
            AppendCode(out, JisCodeToSjisCode(static_cast<uint16_t>((b << 8) | ByteAt(text, i + 1))));
            i += 2;
            continue;
        }
        out += static_cast<char>(b);
        i += 1;
    }
    return out;
}

std::string EucToSjis(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const uint8_t b = ByteAt(text, i);
        if (b == kEucSingleShift2 && FollowedBy(text, i, 1, 0xA1, 0xDF)) {
            // Half-width katakana: Shift_JIS holds the same byte on its own.
            out += text[i + 1];
            i += 2;
            continue;
        }
        if (b == kEucSingleShift3 && FollowedBy(text, i, 2, 0xA1, 0xFE)) {
            // JIS X 0212 has no place in Shift_JIS.
            out += kSubstitute;
            i += 3;
            continue;
        }
        if (b >= 0xA1 && b <= 0xFE && FollowedBy(text, i, 1, 0xA1, 0xFE)) {
            AppendCode(out, EucCodeToSjisCode(static_cast<uint16_t>((b << 8) | ByteAt(text, i + 1))));
            i += 2;
            continue;
        }
        out += static_cast<char>(b);
        i += 1;
    }
    return out;
}

uint16_t JisCodeToSjisCode(uint16_t code) {
    const unsigned j1 = code >> 8;
    const unsigned j2 = code & 0xFF;
    unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    unsigned s2;
    if (j1 % 2 == 0) {
        s2 = j2 + 0x7E;
    } else if (j2 < 0x60) {
        s2 = j2 + 0x1F;
    } else {
        s2 = j2 + 0x20;
    }
    return static_cast<uint16_t>(((s1 & 0xFF) << 8) | (s2 & 0xFF));
}

uint16_t EucCodeToSjisCode(uint16_t code) { return JisCodeToSjisCode(code & 0x7F7F); }

uint16_t StrToCode(std::string_view text) {
    const unsigned first = text.size() > 0 ? ByteAt(text, 0) : 0;
    const unsigned second = text.size() > 1 ? ByteAt(text, 1) : 0;
    return static_cast<uint16_t>((first << 8) + second);
}

std::string CodeToStr(uint16_t code) {
    std::string out;
    AppendCode(out, code);
    return out;
}
