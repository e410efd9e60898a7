#include <cmath>

#include <gtest/gtest.h>

#include "foundation/date_time.h"
#include "foundation/errors.h"

TEST(FormatDuration, PicksTheFormByLeadingUnit) {
    EXPECT_EQ(FormatDuration(0), "0 秒");
    EXPECT_EQ(FormatDuration(59999), "59 秒");
    EXPECT_EQ(FormatDuration(61000), "1 分 1 秒");
    EXPECT_EQ(FormatDuration(3599999), "59 分 59 秒");
    EXPECT_EQ(FormatDuration(3600000), "1 時間 0 分 0 秒");
    EXPECT_EQ(FormatDuration(3723000), "1 時間 2 分 3 秒");
    EXPECT_EQ(FormatDuration(INT32_MAX), "596 時間 31 分 23 秒");
}

TEST(VCal, ReadsDateAndTime) {
    EXPECT_EQ(VCalToDate("20240115T093000"), EncodeDate(2024, 1, 15));
    EXPECT_DOUBLE_EQ(VCalToTime("20240115T093000"), EncodeTime(9, 30, 0));
    EXPECT_DOUBLE_EQ(VCalToDateTime("20240229T235900"), EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 0));
    // The seconds of the text are not read: the time is always whole minutes.
    EXPECT_DOUBLE_EQ(VCalToTime("20240115T093045"), EncodeTime(9, 30, 0));
}

TEST(VCal, InvalidPiecesRaiseTheConversionError) {
    EXPECT_THROW(VCalToDate("20240115"), EConvertError);  // no "T": the date part is empty
    EXPECT_THROW(VCalToDate("20241301T0000"), EConvertError);
    EXPECT_THROW(VCalToDate("20230229T0000"), EConvertError);
    EXPECT_THROW(VCalToDate("2024ab01T0000"), EConvertError);
    EXPECT_THROW(VCalToTime("20240115T2500"), EConvertError);
    EXPECT_THROW(VCalToTime("20240115T"), EConvertError);
    EXPECT_THROW(VCalToDateTime("garbage"), EConvertError);
    try {
        VCalToDate("20241301T0000");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'2024/13/01' is not a valid date");
    }
}

TEST(VCal, EmptyTextIsNow) {
    const TDateTime before = Now();
    const TDateTime value = VCalToDateTime("");
    const TDateTime after = Now();
    EXPECT_EQ(VCalToDate(""), Date());
    EXPECT_GE(value, before - 1e-6);
    EXPECT_LE(value, after + 1e-6);
}

TEST(StrToDate, JapaneseOrderAndLenientDigits) {
    EXPECT_EQ(StrToDate("2024/1/5"), EncodeDate(2024, 1, 5));
    EXPECT_EQ(StrToDate(" 2024/01/05 "), EncodeDate(2024, 1, 5));
    EXPECT_THROW(StrToDate("2024/01/05x"), EConvertError);
    EXPECT_THROW(StrToDate("//"), EConvertError);
    EXPECT_THROW(StrToDate("20240/1/5"), EConvertError);
    EXPECT_DOUBLE_EQ(StrToTime("7:05"), EncodeTime(7, 5, 0));
    EXPECT_THROW(StrToTime("12:60:00"), EConvertError);
}

TEST(FormatDateTime, PatternsOfThePrograms) {
    const TDateTime t = EncodeDateTime(2024, 3, 7, 9, 5, 4);
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", t), "2024/03/07 09:05");
    EXPECT_EQ(FormatDateTime("yyyy/MM/dd hh:mm", t), "2024/03/07 09:05");  // mm after an hour is minutes
    EXPECT_EQ(FormatDateTime("yyyymmdd\"T\"", t) + FormatDateTime("hhnn\"00\"", t), "20240307T090500");
    EXPECT_EQ(FormatDateTime("yyyy年MM月", t), "2024年03月");
    EXPECT_EQ(FormatDateTime("dd", t), "07");
    EXPECT_EQ(FormatDateTime("d/m/yy h:n:s", t), "7/3/24 9:5:4");
    EXPECT_EQ(FormatDateTime("ddd dddd", t), "木 木曜日");
    EXPECT_EQ(FormatDateTime("'unterminated", t), "unterminated");
    EXPECT_EQ(DateToStr(t), "2024/03/07");
    EXPECT_EQ(TimeToStr(t), "9:05:04");
    EXPECT_EQ(DateTimeToStr(t), "2024/03/07 9:05:04");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 7)), "2024/03/07");  // midnight: no time
    EXPECT_EQ(DateToFileNameStr(t), "2024-03-07");
    EXPECT_EQ(DateTimeToFileNameStr(t), "2024-03-07 9-05-04");
}
