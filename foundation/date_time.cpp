#include "foundation/date_time.h"

#include <chrono>
#include <cmath>
#include <ctime>

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

int64_t DateTimeToUnix(TDateTime value) {
    TDateParts p = DecodeDateTime(value);
    struct tm tm {};
    tm.tm_year = p.year - 1900;
    tm.tm_mon = p.month - 1;
    tm.tm_mday = p.day;
    tm.tm_hour = p.hour;
    tm.tm_min = p.minute;
    tm.tm_sec = p.second;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&tm));
}

TDateTime Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    int64_t secs = duration_cast<seconds>(now.time_since_epoch()).count();
    int64_t ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return UnixToDateTime(secs) + ms / 86400000.0;
}

TDateTime Date() { return std::trunc(Now()); }
