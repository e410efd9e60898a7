#include "foundation/encoding.h"

#include <cerrno>
#include <iconv.h>

namespace encoding {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one character at `i`; returns its length in bytes (0 when the sequence is invalid).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
    const auto b0 = static_cast<uint8_t>(s[i]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t len;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2; cp = b0 & 0x1F; min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3; cp = b0 & 0x0F; min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4; cp = b0 & 0x07; min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - i < len) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<uint8_t>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

template <typename Unit>
std::string Utf16UnitsToUtf8(size_t count, Unit unit) {
    std::string out;
    out.reserve(count + count / 2);
    for (size_t i = 0; i < count; ++i) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count) {
            char32_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = kReplacement;
        AppendUtf8(out, u);
    }
    return out;
}

// One iconv conversion descriptor per thread and direction, reset before each use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() { if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Runs iconv over the input; `on_invalid` is asked how many input bytes to skip and what to
// write for a byte sequence the target cannot take.
template <typename OnInvalid>
std::string Convert(iconv_t cd, std::string_view input, OnInvalid on_invalid) {
    std::string out;
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    size_t in_left = input.size();
    char buffer[4096];
    while (in_left > 0) {
        char* dst = buffer;
        size_t dst_left = sizeof buffer;
        size_t r = iconv(cd, &in, &in_left, &dst, &dst_left);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (an incomplete sequence at the end): replace and move on.
        size_t skip = on_invalid(std::string_view(in, in_left), out);
        if (skip == 0 || skip > in_left) skip = in_left;
        in += skip;
        in_left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        size_t len = DecodeUtf8(text, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

bool IsMultiByteUtf8(std::string_view text) {
    bool multi = false;
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        size_t len = DecodeUtf8(text, i, cp);
        if (len == 0) return false;
        if (len > 1) multi = true;
        i += len;
    }
    return multi;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    return Utf16UnitsToUtf8(text.size(), [&](size_t i) { return char32_t(text[i]); });
}

std::string Utf16LeToUtf8(std::span<const uint8_t> bytes) {
    return Utf16UnitsToUtf8(bytes.size() / 2, [&](size_t i) {
        return char32_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    });
}

std::string Utf16BeToUtf8(std::span<const uint8_t> bytes) {
    return Utf16UnitsToUtf8(bytes.size() / 2, [&](size_t i) {
        return char32_t((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    });
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        size_t len = DecodeUtf8(text, i, cp);
        if (len == 0) {
            cp = kReplacement;
            len = 1;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::u16string units = Utf8ToUtf16(text);
    std::string out;
    out.reserve(units.size() * 2);
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

std::string Utf8ToUtf16Be(std::string_view text) {
    std::u16string units = Utf8ToUtf16(text);
    std::string out;
    out.reserve(units.size() * 2);
    for (char16_t u : units) {
        out += static_cast<char>(u >> 8);
        out += static_cast<char>(u & 0xFF);
    }
    return out;
}

std::string Cp932ToUtf8(std::string_view text) {
    bool ascii = true;
    for (char c : text) {
        if (static_cast<uint8_t>(c) >= 0x80) { ascii = false; break; }
    }
    if (ascii) return std::string(text);
    thread_local Converter conv("UTF-8", "CP932");
    return Convert(conv.get(), text, [](std::string_view, std::string& out) {
        AppendUtf8(out, kReplacement);
        return size_t(1);
    });
}

std::string Utf8ToCp932(std::string_view text) {
    bool ascii = true;
    for (char c : text) {
        if (static_cast<uint8_t>(c) >= 0x80) { ascii = false; break; }
    }
    if (ascii) return std::string(text);
    thread_local Converter conv("CP932", "UTF-8");
    return Convert(conv.get(), text, [](std::string_view rest, std::string& out) {
        out += '?';
        char32_t cp;
        size_t len = DecodeUtf8(rest, 0, cp);
        return len == 0 ? size_t(1) : len;
    });
}

std::string Text8ToUtf8(std::string_view text) {
    return IsValidUtf8(text) ? std::string(text) : Cp932ToUtf8(text);
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) AppendUtf8(out, static_cast<uint8_t>(c));
    return out;
}

size_t Utf8Length(std::string_view text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++count) {
        char32_t cp;
        size_t len = DecodeUtf8(text, i, cp);
        i += len == 0 ? 1 : len;
    }
    return count;
}

std::string_view Utf8TruncateBytes(std::string_view text, size_t max_bytes) {
    if (text.size() <= max_bytes) return text;
    size_t end = 0;
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        size_t len = DecodeUtf8(text, i, cp);
        if (len == 0) len = 1;
        if (i + len > max_bytes) break;
        i += len;
        end = i;
    }
    return text.substr(0, end);
}

std::string_view Utf8Left(std::string_view text, size_t count) {
    size_t i = 0;
    for (size_t n = 0; n < count && i < text.size(); ++n) {
        char32_t cp;
        size_t len = DecodeUtf8(text, i, cp);
        i += len == 0 ? 1 : len;
    }
    return text.substr(0, i);
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string_view TrimView(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<uint8_t>(text[b]) <= 32) ++b;
    while (e > b && static_cast<uint8_t>(text[e - 1]) <= 32) --e;
    return text.substr(b, e - b);
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string TrimLeft(std::string_view text) {
    size_t b = 0;
    while (b < text.size() && static_cast<uint8_t>(text[b]) <= 32) ++b;
    return std::string(text.substr(b));
}

std::string TrimRight(std::string_view text) {
    size_t e = text.size();
    while (e > 0 && static_cast<uint8_t>(text[e - 1]) <= 32) --e;
    return std::string(text.substr(0, e));
}

}  // namespace encoding
