// Numbers and texts formatted as the run-time's Format does under the Japanese settings the
// programs are made for, whatever the locale: "," between thousands, "." before decimals.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

// One argument of Format: an integer, a real number or a text (UTF-8).
class TFormatArg {
public:
    TFormatArg(int value) : value_(static_cast<int64_t>(value)), narrow_(true) {}
    TFormatArg(unsigned value) : value_(static_cast<int64_t>(value)), narrow_(true) {}
    TFormatArg(long value) : value_(static_cast<int64_t>(value)) {}
    TFormatArg(long long value) : value_(static_cast<int64_t>(value)) {}
    TFormatArg(unsigned long value) : value_(static_cast<int64_t>(value)) {}
    TFormatArg(unsigned long long value) : value_(static_cast<int64_t>(value)) {}
    TFormatArg(double value) : value_(value) {}
    TFormatArg(const char* value) : value_(std::string(value)) {}
    TFormatArg(std::string value) : value_(std::move(value)) {}
    TFormatArg(std::string_view value) : value_(std::string(value)) {}

    const std::variant<int64_t, double, std::string>& Value() const { return value_; }
    // True for a 32-bit argument (its hexadecimal form of a negative value has 8 digits).
    bool Narrow() const { return narrow_; }

private:
    std::variant<int64_t, double, std::string> value_;
    bool narrow_ = false;
};

// The run-time's Format: "%" [index ":"] ["-"] [width] ["." precision] type, with the types
// d (decimal; precision = least digits, zero-padded), u, x (upper-case hexadecimal), s (text;
// precision = most characters), f (fixed), n (fixed with thousands separators), e, g, and "%%".
// Width and precision may be "*" (taken from the arguments); widths and text precisions count
// characters. An argument that is missing or of the wrong kind raises EConvertError.
std::string Format(std::string_view pattern, std::initializer_list<TFormatArg> args);

// The "%.<decimals>n" form: "1,234,567.9". Rounds half away from zero on the value's first 15
// significant digits.
std::string FormatNumber(double value, int decimals);
