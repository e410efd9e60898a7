// The date-time value of every library: days since 1899-12-30 00:00 with the time of day as
// the fraction, in local time (1.5 = 1899-12-31 12:00). The player's clock (seconds since
// 1904-01-01) is 1462.0 on this scale.
#pragma once

#include <cstdint>
#include <string>

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

// Local time <-> seconds of the Unix epoch (time_t), through the C library's time zone.
TDateTime UnixToDateTime(int64_t seconds);
int64_t DateTimeToUnix(TDateTime value);
