#include "foundation/entities.h"

#include "foundation/encoding.h"

#include <cstdint>

namespace entities {

namespace {

struct Named {
    std::string_view name;
    char32_t cp;
};

constexpr Named kXml[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};

constexpr Named kHtml[] = {
    {"nbsp", ' '},     {"copy", 0xA9},    {"reg", 0xAE},     {"trade", 0x2122}, {"hellip", 0x2026}, {"mdash", 0x2014},
    {"ndash", 0x2013}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D},  {"laquo", 0xAB},
    {"raquo", 0xBB},   {"middot", 0xB7},  {"bull", 0x2022},  {"yen", 0xA5},     {"times", 0xD7},    {"divide", 0xF7},
    {"deg", 0xB0},     {"plusmn", 0xB1},  {"sect", 0xA7},    {"para", 0xB6},    {"euro", 0x20AC},   {"larr", 0x2190},
    {"rarr", 0x2192},  {"uarr", 0x2191},  {"darr", 0x2193},  {"hearts", 0x2665}};

// The longest reference read: a name of the tables or eight digits after "&#x".
constexpr size_t kMaxReference = 12;

bool IsDigit(char c, bool hex) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

// The code point of the numeric reference between "&#" and ";" ("65" or "x41"); 0 when it is
// not one or names no character.
char32_t NumericReference(std::string_view body) {
    const bool hex = !body.empty() && (body[0] == 'x' || body[0] == 'X');
    if (hex) body.remove_prefix(1);
    if (body.empty() || body.size() > 8) return 0;
    uint32_t value = 0;
    for (char c : body) {
        if (!IsDigit(c, hex)) return 0;
        const uint32_t digit = c <= '9' ? uint32_t(c - '0') : uint32_t((c | 0x20) - 'a' + 10);
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0x10FFFF) return 0;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return value;
}

template <size_t N>
char32_t Lookup(const Named (&table)[N], std::string_view name) {
    for (const Named& entry : table)
        if (entry.name == name) return entry.cp;
    return 0;
}

std::string Decode(std::string_view text, bool html) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) break;
        out.append(text.substr(i, amp - i));
        i = amp + 1;
        const size_t semi = text.substr(i, kMaxReference + 1).find(';');
        if (semi == std::string_view::npos || semi == 0) {
            out += '&';
            continue;
        }
        const std::string_view body = text.substr(i, semi);
        char32_t cp = body[0] == '#' ? NumericReference(body.substr(1)) : Lookup(kXml, body);
        if (cp == 0 && html && body[0] != '#') cp = Lookup(kHtml, body);
        if (html && cp == 0xA0) cp = ' ';
        if (cp == 0) {
            out += '&';
            continue;
        }
        encoding::AppendUtf8(out, cp);
        i += semi + 1;
    }
    out.append(text.substr(i));
    return out;
}

}  // namespace

std::string DecodeXml(std::string_view text) { return Decode(text, false); }

std::string DecodeHtml(std::string_view text) { return Decode(text, true); }

}  // namespace entities
