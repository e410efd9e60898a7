#include "foundation/number_format.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/errors.h"

namespace {

// Fixed-point digits of |value| rounded to `decimals` places: integer digits and decimal digits.
void FixedDigits(double value, int decimals, std::string& whole, std::string& fraction) {
    whole = "0";
    fraction.assign(static_cast<size_t>(decimals), '0');
    value = std::fabs(value);
    if (value == 0.0 || !std::isfinite(value)) return;
    // The decimal digits as the value shows them with 15 significant digits.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    std::string text = buffer;
    const size_t e = text.find('e');
    const int exponent = std::stoi(text.substr(e + 1));
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);  // 15 digits, point after the first
    // Position of the point in `digits`: exponent + 1. Pad so that the rounding digit exists.
    int point = exponent + 1;
    if (point < 0) {
        digits.insert(0, static_cast<size_t>(-point), '0');
        point = 0;
    }
    const size_t keep = static_cast<size_t>(point + decimals);
    if (digits.size() < keep + 1) digits.append(keep + 1 - digits.size(), '0');
    const bool round_up = digits[keep] >= '5';
    digits.resize(keep);
    if (round_up) {
        int i = static_cast<int>(keep) - 1;
        for (; i >= 0; --i) {
            if (digits[static_cast<size_t>(i)] == '9') {
                digits[static_cast<size_t>(i)] = '0';
            } else {
                ++digits[static_cast<size_t>(i)];
                break;
            }
        }
        if (i < 0) {
            digits.insert(0, "1");
            ++point;
        }
    }
    whole = point > 0 ? digits.substr(0, static_cast<size_t>(point)) : "0";
    fraction = digits.substr(static_cast<size_t>(point));
    size_t nonzero = whole.find_first_not_of('0');
    whole = nonzero == std::string::npos ? "0" : whole.substr(nonzero);
}

bool IsZeroText(const std::string& whole, const std::string& fraction) {
    return whole == "0" && fraction.find_first_not_of('0') == std::string::npos;
}

std::string GroupThousands(const std::string& whole) {
    std::string out;
    const size_t n = whole.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += whole[i];
    }
    return out;
}

std::string FixedText(double value, int decimals, bool thousands) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    std::string whole, fraction;
    FixedDigits(value, decimals, whole, fraction);
    std::string out = (value < 0 && !IsZeroText(whole, fraction)) ? "-" : "";
    out += thousands ? GroupThousands(whole) : whole;
    if (decimals > 0) out += "." + fraction;
    return out;
}

[[noreturn]] void Invalid(std::string_view pattern) {
    throw EConvertError("Format '" + std::string(pattern) + "' invalid or incompatible with argument");
}

std::string PadLeftChars(const std::string& text, int width, bool left_justify) {
    const auto length = static_cast<int>(encoding::Utf8Length(text));
    if (width <= length) return text;
    std::string pad(static_cast<size_t>(width - length), ' ');
    return left_justify ? text + pad : pad + text;
}

}  // namespace

std::string FormatNumber(double value, int decimals) { return FixedText(value, decimals < 0 ? 0 : decimals, true); }

std::string Format(std::string_view pattern, std::initializer_list<TFormatArg> args) {
    const std::vector<const TFormatArg*> list = [&] {
        std::vector<const TFormatArg*> v;
        for (const auto& a : args) v.push_back(&a);
        return v;
    }();
    std::string out;
    size_t next_arg = 0;
    size_t i = 0;
    auto take_arg = [&]() -> const TFormatArg& {
        if (next_arg >= list.size()) Invalid(pattern);
        return *list[next_arg++];
    };
    auto read_number = [&](int& value) -> bool {
        if (i < pattern.size() && pattern[i] == '*') {
            ++i;
            const auto* v = std::get_if<int64_t>(&take_arg().Value());
            if (v == nullptr) Invalid(pattern);
            value = static_cast<int>(*v);
            return true;
        }
        bool any = false;
        value = 0;
        while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
            if (value < 100000) value = value * 10 + (pattern[i] - '0');
            ++i;
            any = true;
        }
        return any;
    };
    while (i < pattern.size()) {
        if (pattern[i] != '%') {
            out += pattern[i++];
            continue;
        }
        ++i;
        if (i < pattern.size() && pattern[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // [index ":"] ["-"] [width] ["." precision] type
        int number = 0;
        bool left = false;
        int width = 0;
        int precision = -1;
        bool have = read_number(number);
        if (have && i < pattern.size() && pattern[i] == ':') {
            next_arg = static_cast<size_t>(number < 0 ? 0 : number);
            ++i;
            have = false;
        }
        if (!have) {
            if (i < pattern.size() && pattern[i] == '-') {
                left = true;
                ++i;
            }
            read_number(width);
        } else {
            width = number;
        }
        if (i < pattern.size() && pattern[i] == '.') {
            ++i;
            read_number(precision);  // "." without digits means 0
        }
        if (i >= pattern.size()) Invalid(pattern);
        const char type = static_cast<char>(pattern[i] | 0x20);
        ++i;
        const TFormatArg& arg = take_arg();
        std::string text;
        switch (type) {
            case 'd':
            case 'u':
            case 'x': {
                const auto* v = std::get_if<int64_t>(&arg.Value());
                if (v == nullptr) Invalid(pattern);
                int64_t value = *v;
                bool negative = false;
                std::string digits;
                if (type == 'x') {
                    uint64_t bits = static_cast<uint64_t>(value);
                    if (arg.Narrow()) bits &= 0xFFFFFFFFu;
                    char buffer[32];
                    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(bits));
                    digits = buffer;
                } else if (type == 'u' && value < 0) {
                    uint64_t bits = static_cast<uint64_t>(value);
                    if (arg.Narrow()) bits &= 0xFFFFFFFFu;
                    digits = std::to_string(bits);
                } else {
                    negative = value < 0;
                    digits = negative ? std::to_string(-(static_cast<uint64_t>(value))) : std::to_string(value);
                }
                if (precision > 0 && static_cast<int>(digits.size()) < precision)
                    digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
                text = (negative ? "-" : "") + digits;
                break;
            }
            case 'f':
            case 'n':
            case 'e':
            case 'g': {
                double value = 0;
                if (const auto* d = std::get_if<double>(&arg.Value())) value = *d;
                else Invalid(pattern);
                if (type == 'f' || type == 'n') {
                    text = FixedText(value, precision < 0 ? 2 : precision, type == 'n');
                } else {
                    char buffer[128];
                    std::snprintf(buffer, sizeof buffer, type == 'e' ? "%.*E" : "%.*G",
                                  precision < 0 ? 15 : (precision > 60 ? 60 : precision), value);
                    text = buffer;
                }
                break;
            }
            case 's': {
                const auto* s = std::get_if<std::string>(&arg.Value());
                if (s == nullptr) Invalid(pattern);
                text = precision >= 0 ? std::string(encoding::Utf8Left(*s, static_cast<size_t>(precision))) : *s;
                break;
            }
            default: Invalid(pattern);
        }
        out += PadLeftChars(text, width, left);
    }
    return out;
}
