#include "foundation/number_format.h"

#include <gtest/gtest.h>

#include "foundation/errors.h"

TEST(FormatNumber, ThousandsAndDecimalsWhateverTheLocale) {
    EXPECT_EQ(Format("%.0n MB", {1234567.0}), "1,234,567 MB");
    EXPECT_EQ(Format("%.1n", {1234.56}), "1,234.6");
    EXPECT_EQ(Format("%.n", {999.5}), "1,000");  // "." without digits: no decimals
    EXPECT_EQ(Format("%n", {1.0}), "1.00");
    EXPECT_EQ(Format("%.0n", {0.4}), "0");
    EXPECT_EQ(Format("%.1n", {-0.04}), "0.0");  // no minus sign on a rounded zero
    EXPECT_EQ(Format("%.1n", {-12345.67}), "-12,345.7");
    EXPECT_EQ(FormatNumber(0.15, 1), "0.2");  // half away from zero on the shown digits
    EXPECT_EQ(FormatNumber(2.5, 0), "3");
    EXPECT_EQ(FormatNumber(123.0, 0), "123");
    EXPECT_EQ(FormatNumber(100000.0, 0), "100,000");
    EXPECT_EQ(FormatNumber(9.96, 1), "10.0");
    EXPECT_EQ(FormatNumber(0.000123, 2), "0.00");
    EXPECT_EQ(FormatNumber(5e12, 0), "5,000,000,000,000");
}

TEST(Format, IntegersTextsAndWidths) {
    EXPECT_EQ(Format("%s%s(%d)%s", {"/x/", "曲", 2, ".mp3"}), "/x/曲(2).mp3");
    EXPECT_EQ(Format("%0.2d %s", {7, "Song"}), "07 Song");
    EXPECT_EQ(Format("%0.2d", {123}), "123");
    EXPECT_EQ(Format("%s %0.3d", {"News", 1000}), "News 1000");
    EXPECT_EQ(Format("%.3d", {-5}), "-005");
    EXPECT_EQ(Format("%s_%x", {"base", 255}), "base_FF");
    EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
    EXPECT_EQ(Format("%d %% - %s", {50, "copy"}), "50 % - copy");
    EXPECT_EQ(Format("[%5s|%-5s]", {"ab", "曲"}), "[   ab|曲    ]");  // widths count characters
    EXPECT_EQ(Format("%.2s", {"曲名です"}), "曲名");
    EXPECT_EQ(Format("%1:s %0:s", {"a", "b"}), "b a");
    EXPECT_EQ(Format("%*d", {4, 7}), "   7");
    EXPECT_EQ(Format("%d", {int64_t{5000000000}}), "5000000000");
    EXPECT_EQ(Format("no args", {}), "no args");
}

TEST(Format, WrongOrMissingArgumentsRaise) {
    EXPECT_THROW(Format("%d", {"text"}), EConvertError);
    EXPECT_THROW(Format("%s", {3}), EConvertError);
    EXPECT_THROW(Format("%n", {3}), EConvertError);
    EXPECT_THROW(Format("%d %d", {1}), EConvertError);
    EXPECT_THROW(Format("%", {1}), EConvertError);
    EXPECT_THROW(Format("%q", {1}), EConvertError);
}
