#include "foundation/date_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "foundation/errors.h"

namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// 1899-12-30 is day -25569 of the Unix epoch.
constexpr int64_t kEpochOffset = 25569;

}  // namespace

bool IsValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int max = kDays[month - 1];
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && leap) max = 29;
    return day <= max;
}

bool IsValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

TDateTime EncodeDate(int year, int month, int day) {
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                               kEpochOffset);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
    // Before 1899-12-30 the fraction counts away from zero, as the Delphi scale does.
    double date = EncodeDate(year, month, day);
    double time = EncodeTime(hour, minute, second);
    return date < 0 ? date - time : date + time;
}

TDateParts DecodeDateTime(TDateTime value) {
    TDateParts p;
    double days = std::trunc(value);
    double frac = std::fabs(value - days);
    int64_t ms = std::llround(frac * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += value < 0 ? -1 : 1;
    }
    CivilFromDays(static_cast<int64_t>(days) - kEpochOffset, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3600000);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.millisecond = static_cast<int>(ms % 1000);
    return p;
}

TDateTime UnixToDateTime(int64_t seconds) {
    time_t t = static_cast<time_t>(seconds);
    struct tm tm {};
    localtime_r(&t, &tm);
    return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

TDateTime Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    int64_t secs = duration_cast<seconds>(now.time_since_epoch()).count();
    int64_t ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return UnixToDateTime(secs) + ms / 86400000.0;
}

TDateTime Date() { return std::trunc(Now()); }

// ---- Texts of dates and times, as the run-time formats and reads them under the Japanese
// settings the programs are made for ("/" and ":" as separators, year-month-day order).

namespace {

constexpr const char* kShortDateFormat = "yyyy/MM/dd";
constexpr const char* kLongDateFormat = "yyyy'年'M'月'd'日'";
constexpr const char* kShortTimeFormat = "H:mm";
constexpr const char* kLongTimeFormat = "H:mm:ss";

const char* const kShortDayNames[] = {"日", "月", "火", "水", "木", "金", "土"};
const char* const kLongDayNames[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

std::string Digits(int value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// 0 = Sunday. 1899-12-30 (day 0) was a Saturday.
int WeekDay(TDateTime value) {
    const int64_t days = static_cast<int64_t>(std::trunc(value));
    return static_cast<int>(((days + 6) % 7 + 7) % 7);
}

bool HasTime(TDateTime value) { return value - std::trunc(value) != 0.0; }

void AppendFormatted(std::string& out, std::string_view pattern, TDateTime value, int depth) {
    const TDateParts p = DecodeDateTime(value);
    char last_token = ' ';
    size_t i = 0;
    while (i < pattern.size()) {
        const char starter = pattern[i];
        char token = Upper(starter);
        if (token >= 'A' && token <= 'Z') {
            if (token == 'M' && last_token == 'H') token = 'N';
            last_token = token;
        }
        size_t count = 1;
        auto take_run = [&] {
            while (i + count < pattern.size() && Upper(pattern[i + count]) == Upper(starter)) ++count;
        };
        switch (token) {
            case 'Y':
                take_run();
                out += count <= 2 ? Digits(p.year % 100, 2) : Digits(p.year, 4);
                break;
            case 'M':
                take_run();
                if (count <= 2) out += Digits(p.month, static_cast<int>(count));
                else out += std::to_string(p.month) + "月";
                break;
            case 'D':
                take_run();
                if (count <= 2) out += Digits(p.day, static_cast<int>(count));
                else if (count == 3) out += kShortDayNames[WeekDay(value)];
                else if (count == 4) out += kLongDayNames[WeekDay(value)];
                else if (depth < 2)
                    AppendFormatted(out, count == 5 ? kShortDateFormat : kLongDateFormat, value, depth + 1);
                break;
            case 'H':
                take_run();
                out += Digits(p.hour, count >= 2 ? 2 : 1);
                break;
            case 'N':
                take_run();
                out += Digits(p.minute, count >= 2 ? 2 : 1);
                break;
            case 'S':
                take_run();
                out += Digits(p.second, count >= 2 ? 2 : 1);
                break;
            case 'Z':
                take_run();
                out += Digits(p.millisecond, count >= 2 ? 3 : 1);
                break;
            case 'T':
                take_run();
                if (depth < 2) AppendFormatted(out, count >= 2 ? kLongTimeFormat : kShortTimeFormat, value, depth + 1);
                break;
            case 'C':
                if (depth < 2) {
                    AppendFormatted(out, kShortDateFormat, value, depth + 1);
                    if (HasTime(value)) {
                        out += ' ';
                        AppendFormatted(out, kLongTimeFormat, value, depth + 1);
                    }
                }
                break;
            case '"':
            case '\'': {
                size_t end = pattern.find(starter, i + 1);
                if (end == std::string_view::npos) end = pattern.size();
                out.append(pattern.substr(i + 1, end - i - 1));
                count = end < pattern.size() ? end - i + 1 : end - i;
                break;
            }
            default: out += starter; break;
        }
        i += count;
    }
}

// Reads an unsigned number of at most four digits at pos; false when there is no digit.
bool ScanNumber(const std::string& s, size_t& pos, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && value < 1000) {
        value = value * 10 + (s[pos] - '0');
        ++digits;
        ++pos;
    }
    return digits > 0;
}

void ScanBlanks(const std::string& s, size_t& pos) {
    while (pos < s.size() && s[pos] == ' ') ++pos;
}

bool ScanChar(const std::string& s, size_t& pos, char c) {
    ScanBlanks(s, pos);
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

int CurrentYear() { return DecodeDateTime(Now()).year; }

bool TryStrToDate(const std::string& s, TDateTime& result) {
    size_t pos = 0;
    int n1, n2, n3, l1, l2, l3;
    ScanBlanks(s, pos);
    if (!ScanNumber(s, pos, n1, l1) || !ScanChar(s, pos, '/') || !ScanNumber(s, pos, n2, l2)) return false;
    int year, month, day, year_digits;
    if (ScanChar(s, pos, '/')) {
        if (!ScanNumber(s, pos, n3, l3)) return false;
        year = n1, month = n2, day = n3, year_digits = l1;
    } else {
        // Month and day alone: the current year.
        year = CurrentYear(), month = n1, day = n2, year_digits = 4;
    }
    ScanBlanks(s, pos);
    if (pos != s.size()) return false;
    if (year_digits <= 2 && year <= 99) {
        const int now = CurrentYear();
        year += now / 100 * 100;
        if (year < now - 50) year += 100;
    }
    if (!IsValidDate(year, month, day)) return false;
    result = EncodeDate(year, month, day);
    return true;
}

bool TryStrToTime(const std::string& s, TDateTime& result) {
    size_t pos = 0;
    int hour, minute, second = 0, digits;
    ScanBlanks(s, pos);
    if (!ScanNumber(s, pos, hour, digits) || !ScanChar(s, pos, ':') || !ScanNumber(s, pos, minute, digits))
        return false;
    if (ScanChar(s, pos, ':') && !ScanNumber(s, pos, second, digits)) return false;
    ScanBlanks(s, pos);
    if (pos != s.size() || !IsValidTime(hour, minute, second)) return false;
    result = EncodeTime(hour, minute, second);
    return true;
}

}  // namespace

TDateTime Time() {
    const TDateTime now = Now();
    return now - std::trunc(now);
}

std::string FormatDuration(int32_t milliseconds) {
    const int32_t s = milliseconds / 1000;
    const int32_t m = s / 60;
    const int32_t h = s / 3600;
    if (m > 0 && h > 0)
        return std::to_string(h) + " 時間 " + std::to_string(m % 60) + " 分 " + std::to_string(s % 60) + " 秒";
    if (m > 0) return std::to_string(m) + " 分 " + std::to_string(s % 60) + " 秒";
    return std::to_string(s) + " 秒";
}

TDateTime StrToDate(const std::string& text) {
    TDateTime result = 0;
    if (!TryStrToDate(text, result)) throw EConvertError("'" + text + "' is not a valid date");
    return result;
}

TDateTime StrToTime(const std::string& text) {
    TDateTime result = 0;
    if (!TryStrToTime(text, result)) throw EConvertError("'" + text + "' is not a valid time");
    return result;
}

TDateTime VCalToDate(const std::string& text) {
    if (text.empty()) return Date();
    const size_t t = text.find('T');
    const std::string date = t == std::string::npos ? std::string() : text.substr(0, t);
    auto piece = [&](size_t from, size_t length) {
        return from < date.size() ? date.substr(from, length) : std::string();
    };
    return StrToDate(piece(0, 4) + "/" + piece(4, 2) + "/" + piece(6, 2));
}

TDateTime VCalToTime(const std::string& text) {
    if (text.empty()) return Time();
    const size_t t = text.find('T');
    const std::string time = t == std::string::npos ? std::string() : text.substr(t + 1, 4);
    auto piece = [&](size_t from, size_t length) {
        return from < time.size() ? time.substr(from, length) : std::string();
    };
    return StrToTime(piece(0, 2) + ":" + piece(2, 2) + ":00");
}

TDateTime VCalToDateTime(const std::string& text) { return VCalToDate(text) + VCalToTime(text); }

std::string FormatDateTime(std::string_view pattern, TDateTime value) {
    std::string out;
    AppendFormatted(out, pattern, value, 0);
    return out;
}

std::string DateToStr(TDateTime value) { return FormatDateTime(kShortDateFormat, value); }

std::string TimeToStr(TDateTime value) { return FormatDateTime(kLongTimeFormat, value); }

std::string DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }

std::string DateToFileNameStr(TDateTime value) { return FormatDateTime("yyyy-MM-dd", value); }

std::string DateTimeToFileNameStr(TDateTime value) {
    std::string text = DateTimeToStr(value);
    for (char& c : text)
        if (c == '/' || c == ':') c = '-';
    return text;
}
