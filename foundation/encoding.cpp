#include "foundation/encoding.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace encoding {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

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
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
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

// UTF-16 bytes to UTF-8: the one decoder behind every UTF-16 reading of the program. Runs of
// ASCII, the bulk of names and paths, are taken four units at a time; the output is built in a
// buffer on the stack so that a short text costs no allocation beyond its own string.
class Utf16Decoder {
public:
    Utf16Decoder(std::span<const uint8_t> bytes, ByteOrder order, bool stopAtZero, OddLastByte odd)
        : data_(bytes.data()), units_(bytes.size() / 2), big_(order == ByteOrder::Big), stop_at_zero_(stopAtZero) {
        if (bytes.size() % 2 != 0 && odd == OddLastByte::ZeroPadded) {
            const uint8_t last = bytes.back();
            pad_ = big_ ? char32_t(last) << 8 : char32_t(last);
            has_pad_ = true;
        }
    }

    std::string Decode() {
        size_t i = 0;
        bool pad_taken = false;
        while (i < units_) {
            if (room() < 16) Flush();
            if (Ascii4(i)) {
                i += 4;
                continue;
            }
            char32_t u = Unit(i);
            ++i;
            if (u == 0 && stop_at_zero_) return Finish();
            if (u >= 0xD800 && u <= 0xDBFF) {
                char32_t low = 0;
                bool has_low = false;
                if (i < units_) {
                    low = Unit(i);
                    has_low = true;
                } else if (has_pad_) {
                    low = pad_;
                    has_low = true;
                }
                if (has_low && low >= 0xDC00 && low <= 0xDFFF) {
                    Put(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    if (i < units_) ++i;
                    else pad_taken = true;
                    continue;
                }
            }
            Put(u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
        }
        if (has_pad_ && !pad_taken && !(pad_ == 0 && stop_at_zero_)) {
            if (room() < 16) Flush();
            Put(pad_ >= 0xD800 && pad_ <= 0xDFFF ? kReplacement : pad_);
        }
        return Finish();
    }

private:
    char32_t Unit(size_t i) const {
        const uint8_t a = data_[2 * i], b = data_[2 * i + 1];
        return big_ ? char32_t(a) << 8 | b : char32_t(b) << 8 | a;
    }

    // Four units at once when all four are ASCII and none is zero.
    bool Ascii4(size_t i) {
        if (units_ - i < 4) return false;
        uint64_t w;
        std::memcpy(&w, data_ + 2 * i, 8);
        if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
        // The character byte of each unit is its low byte: the first of a pair in little-endian
        // text, the second in big-endian text.
        const uint64_t high_mask = big_ ? 0x80FF80FF80FF80FFull : 0xFF80FF80FF80FF80ull;
        if ((w & high_mask) != 0) return false;
        if (((w - 0x0001000100010001ull) & ~w & 0x8000800080008000ull) != 0) return false;  // a zero unit
        const unsigned shift = big_ ? 8 : 0;
        char* p = buffer_ + used_;
        p[0] = static_cast<char>(w >> shift);
        p[1] = static_cast<char>(w >> (16 + shift));
        p[2] = static_cast<char>(w >> (32 + shift));
        p[3] = static_cast<char>(w >> (48 + shift));
        used_ += 4;
        return true;
    }

    void Put(char32_t cp) {
        char* p = buffer_ + used_;
        if (cp < 0x80) {
            p[0] = static_cast<char>(cp);
            used_ += 1;
        } else if (cp < 0x800) {
            p[0] = static_cast<char>(0xC0 | (cp >> 6));
            p[1] = static_cast<char>(0x80 | (cp & 0x3F));
            used_ += 2;
        } else if (cp < 0x10000) {
            p[0] = static_cast<char>(0xE0 | (cp >> 12));
            p[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            p[2] = static_cast<char>(0x80 | (cp & 0x3F));
            used_ += 3;
        } else {
            p[0] = static_cast<char>(0xF0 | (cp >> 18));
            p[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            p[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            p[3] = static_cast<char>(0x80 | (cp & 0x3F));
            used_ += 4;
        }
    }

    size_t room() const { return sizeof buffer_ - used_; }
    void Flush() {
        out_.append(buffer_, used_);
        used_ = 0;
    }
    std::string Finish() {
        Flush();
        return std::move(out_);
    }

    const uint8_t* data_;
    size_t units_;
    bool big_;
    bool stop_at_zero_;
    bool has_pad_ = false;
    char32_t pad_ = 0;
    std::string out_;
    char buffer_[512];
    size_t used_ = 0;
};

std::span<const uint8_t> AsBytes(std::u16string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size() * 2};
}

constexpr ByteOrder kHostOrder = std::endian::native == std::endian::big ? ByteOrder::Big : ByteOrder::Little;

// One iconv conversion descriptor per thread and direction, reset before each use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
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
    return Utf16Decoder(AsBytes(text), kHostOrder, false, OddLastByte::Dropped).Decode();
}

std::string Utf16LeToUtf8(std::span<const uint8_t> bytes) {
    return Utf16Decoder(bytes, ByteOrder::Little, false, OddLastByte::Dropped).Decode();
}

std::string Utf16BeToUtf8(std::span<const uint8_t> bytes) {
    return Utf16Decoder(bytes, ByteOrder::Big, false, OddLastByte::Dropped).Decode();
}

std::string Utf16UpToZero(std::span<const uint8_t> bytes, ByteOrder order, OddLastByte odd) {
    return Utf16Decoder(bytes, order, true, odd).Decode();
}

std::string_view UpToZeroByte(std::span<const uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return text.substr(0, text.find('\0'));
}

std::string RepairUtf8(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    return Utf16ToUtf8(Utf8ToUtf16(text));
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

namespace {

std::string Utf16Bytes(std::string_view text, ByteOrder order) {
    const std::u16string units = Utf8ToUtf16(text);
    const int first = order == ByteOrder::Little ? 0 : 8;
    std::string out;
    out.reserve(units.size() * 2);
    for (const char16_t u : units) {
        out += static_cast<char>((u >> first) & 0xFF);
        out += static_cast<char>((u >> (8 - first)) & 0xFF);
    }
    return out;
}

}  // namespace

std::string Utf8ToUtf16Le(std::string_view text) { return Utf16Bytes(text, ByteOrder::Little); }

std::string Utf8ToUtf16Be(std::string_view text) { return Utf16Bytes(text, ByteOrder::Big); }

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
}

}  // namespace

std::string Cp932ToUtf8(std::string_view text) {
    // Plain ASCII is the same in both codes: most names and tags need no conversion.
    if (IsAscii(text)) return std::string(text);
    thread_local Converter conv("UTF-8", "CP932");
    return Convert(conv.get(), text, [](std::string_view, std::string& out) {
        AppendUtf8(out, kReplacement);
        return size_t(1);
    });
}

std::string Utf8ToCp932(std::string_view text) {
    // Plain ASCII is the same in both codes: most names and tags need no conversion.
    if (IsAscii(text)) return std::string(text);
    thread_local Converter conv("CP932", "UTF-8");
    return Convert(conv.get(), text, [](std::string_view rest, std::string& out) {
        out += '?';
        char32_t cp;
        size_t len = DecodeUtf8(rest, 0, cp);
        return len == 0 ? size_t(1) : len;
    });
}

std::string Text8ToUtf8(std::string_view text) { return IsValidUtf8(text) ? std::string(text) : Cp932ToUtf8(text); }

std::string LinesText8ToUtf8(std::string_view text) {
    size_t wide = 0, malformed = 0;
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        const size_t len = DecodeUtf8(text, i, cp);
        if (len == 0) {
            ++malformed;
            ++i;
            continue;
        }
        if (len >= 3) ++wide;
        i += len;
    }
    if (malformed == 0) return std::string(text);
    if (wide <= malformed) return Cp932ToUtf8(text);
    // Code page 932 never uses a line-end byte inside a character, so lines split alike in
    // either code.
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (size_t pos = 0; pos < text.size();) {
        const size_t end = std::min(text.find('\n', pos), text.size() - 1) + 1;
        const std::string_view line = text.substr(pos, end - pos);
        if (IsValidUtf8(line)) {
            out += line;
        } else {
            out += Cp932ToUtf8(line);
        }
        pos = end;
    }
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

}  // namespace encoding
