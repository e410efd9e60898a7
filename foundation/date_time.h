// The date-time value of every library: days since 1899-12-30 00:00 with the time of day as
// the fraction, in local time (1.5 = 1899-12-31 12:00). The player's clock (seconds since
// 1904-01-01) is 1462.0 on this scale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using TDateTime = double;

// Days between 1899-12-30 and 1904-01-01.
constexpr double kDaysTo1904 = 1462.0;

// Builds a value from calendar parts (no validation: callers check with IsValidDate).
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second);

struct TDateParts {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, millisecond = 0;
};
TDateParts DecodeDateTime(TDateTime value);

// The current local date and time; today's date alone.
TDateTime Now();
TDateTime Date();

// Seconds of the Unix epoch (time_t) as local time, through the C library's time zone.
TDateTime UnixToDateTime(int64_t seconds);

// The time of day alone (Now() without its date).
TDateTime Time();

// A play time in milliseconds as "%d 時間 %d 分 %d 秒", "%d 分 %d 秒" or "%d 秒" (the longest
// form whose leading number is not 0; seconds truncated).
std::string FormatDuration(int32_t milliseconds);

// The calendar files' date-time text 'yyyymmdd"T"hhnn"00"'. The date is read from the text
// before the first "T", the time from the four characters after it. An empty text gives today
// and the current time of day; pieces that form no valid date or time raise EConvertError.
TDateTime VCalToDateTime(const std::string& text);
TDateTime VCalToDate(const std::string& text);
TDateTime VCalToTime(const std::string& text);

// The conversions of the run-time under the Japanese settings the programs are made for: a
// date "yyyy/M/d" (year, month, day separated by "/"), a time "H:m[:s]". They raise
// EConvertError "'<text>' is not a valid date" / "... time".
TDateTime StrToDate(const std::string& text);
TDateTime StrToTime(const std::string& text);

// Formats a value by a pattern as the run-time does: y yy yyyy, m mm (the month, or minutes
// right after an hour), mmm mmmm, d dd, ddd dddd (weekday), ddddd (short date), h hh, n nn,
// s ss, z zzz, c (short date and long time, the time left out at midnight), t (short time),
// tt (long time), "/" and ":" (the separators "/" and ":"), text in double or single quotes
// as it is, any other character as it is. Letters are read without case.
std::string FormatDateTime(std::string_view pattern, TDateTime value);

// The fixed Japanese forms: short date "yyyy/MM/dd", long time "H:mm:ss", and both together
// with the time left out when it is exactly midnight.
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value);
// The same forms for use inside file names: "-" in place of "/" and ":".
std::string DateToFileNameStr(TDateTime value);
std::string DateTimeToFileNameStr(TDateTime value);
