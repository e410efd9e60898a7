#include "foundation/encoding.h"
#include "foundation/byte_reader.h"
#include "foundation/date_time.h"
#include "foundation/errors.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

using namespace encoding;

TEST(Encoding, Utf16RoundTripKeepsEveryCharacter) {
    // Characters code page 932 cannot hold (emoji, Hangul, accented Latin) survive.
    const std::string text = "日本語 😀 한국어 Ünïcödé ～";
    std::string le = Utf8ToUtf16Le(text);
    auto bytes = std::span(reinterpret_cast<const uint8_t*>(le.data()), le.size());
    EXPECT_EQ(Utf16LeToUtf8(bytes), text);
    std::string be = Utf8ToUtf16Be(text);
    EXPECT_EQ(Utf16BeToUtf8(std::span(reinterpret_cast<const uint8_t*>(be.data()), be.size())), text);
}

TEST(Encoding, BrokenUtf16BecomesReplacementNotGarbage) {
    const uint8_t lone_high[] = {0x00, 0xD8, 0x41, 0x00};  // unpaired high surrogate, then "A"
    EXPECT_EQ(Utf16LeToUtf8(lone_high),
              "\xEF\xBF\xBD"
              "A");
    const uint8_t odd[] = {0x41, 0x00, 0x42};  // an odd last byte is dropped
    EXPECT_EQ(Utf16LeToUtf8(odd), "A");
}

TEST(Encoding, Utf16UpToZeroStopsOnlyAtAWholeZeroUnit) {
    // A zero unit inside a run of ASCII ends the text; a zero byte inside a unit does not.
    const uint8_t le[] = {'a', 0, 'b', 0, 'c', 0, 0, 0, 'd', 0, 'e', 0, 'f', 0, 'g', 0};
    EXPECT_EQ(Utf16UpToZero(le, ByteOrder::Little), "abc");
    const uint8_t be[] = {0, 'a', 0, 'b', 0x4E, 0x00, 0, 'c', 0, 'd', 0, 0, 0, 'x'};
    EXPECT_EQ(Utf16UpToZero(be, ByteOrder::Big),
              "ab\xE4\xB8\x80"
              "cd");
    // An odd last byte: dropped, or the first byte of a unit padded with zero, in either order.
    const uint8_t odd[] = {'A', 0, 'B'};
    EXPECT_EQ(Utf16UpToZero(odd, ByteOrder::Little), "A");
    EXPECT_EQ(Utf16UpToZero(odd, ByteOrder::Little, OddLastByte::ZeroPadded), "AB");
    const uint8_t odd_be[] = {0, 'A', 0x30};
    EXPECT_EQ(Utf16UpToZero(odd_be, ByteOrder::Big, OddLastByte::ZeroPadded), "A\xE3\x80\x80");
    // A high surrogate pairs with the padded unit after it.
    const uint8_t pair_be[] = {0xD8, 0x3D, 0xDE};
    EXPECT_EQ(Utf16UpToZero(pair_be, ByteOrder::Big, OddLastByte::ZeroPadded), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16UpToZero(pair_be, ByteOrder::Big), "\xEF\xBF\xBD");
}

TEST(Encoding, Cp932ConversionsUseTheWindowsTable) {
    // 0x5C and 0x7E stay backslash and tilde (not yen and overline), so paths survive.
    EXPECT_EQ(Cp932ToUtf8("C:\\~"), "C:\\~");
    EXPECT_EQ(Cp932ToUtf8("\x82\xA0\x88\x9F"), "あ亜");
    EXPECT_EQ(Utf8ToCp932("あ亜"), "\x82\xA0\x88\x9F");
    // Characters without a code become "?"; the rest is kept.
    EXPECT_EQ(Utf8ToCp932("a😀b한"), "a?b?");
    // A lone lead byte at the end becomes a replacement character, not a crash.
    EXPECT_EQ(Cp932ToUtf8("a\x82"), "a\xEF\xBF\xBD");
}

TEST(Encoding, Utf8ValidityAndText8) {
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_FALSE(IsMultiByteUtf8("plain"));
    EXPECT_TRUE(IsMultiByteUtf8("日本"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));      // cut short
    EXPECT_EQ(Text8ToUtf8("日本"), "日本");
    EXPECT_EQ(Text8ToUtf8("\x93\xfa\x96\x7b"), "日本");  // Shift_JIS
}

TEST(Encoding, TruncateNeverSplitsACharacter) {
    EXPECT_EQ(Utf8TruncateBytes("あいう", 7), "あい");
    EXPECT_EQ(Utf8TruncateBytes("あいう", 9), "あいう");
    EXPECT_EQ(Utf8TruncateBytes("あいう", 2), "");
    EXPECT_EQ(Utf8Left("aあb", 2), "aあ");
    EXPECT_EQ(Utf8Length("aあ😀"), 3u);
}

TEST(Encoding, TrimRemovesControlBytesButNotIdeographicSpace) {
    EXPECT_EQ(Trim(" \t\r\nabc \x01"), "abc");
    EXPECT_EQ(Trim("\xE3\x80\x80x\xE3\x80\x80"), "\xE3\x80\x80x\xE3\x80\x80");
    EXPECT_EQ(AsciiLower("ABC日本Z"), "abc日本z");
}

TEST(ByteReader, ReadsPastTheEndGiveZerosAndShortRuns) {
    const uint8_t data[] = {1, 2, 3, 4, 5};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.U32LE(0), 0x04030201u);
    EXPECT_EQ(r.U32BE(1), 0x02030405u);
    EXPECT_EQ(r.U32LE(2), 0u);  // would run past the end
    EXPECT_EQ(r.U16LE(UINT64_MAX - 1), 0u);
    EXPECT_EQ(r.Bytes(3, 100).size(), 2u);
    EXPECT_TRUE(r.Bytes(9, 1).empty());
    EXPECT_FALSE(r.Has(UINT64_MAX, 2));
    EXPECT_TRUE(r.Matches(0, "\x01\x02"));
    ByteCursor c(r);
    c.Skip(UINT64_MAX);
    EXPECT_EQ(c.U32LE(), 0u);  // a huge skip never wraps back into the buffer
    EXPECT_TRUE(c.AtEnd());
}

TEST(DateTime, ScaleMatchesThePlayerClock) {
    EXPECT_DOUBLE_EQ(EncodeDate(1904, 1, 1), kDaysTo1904);
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 31, 12, 0, 0), 1.5);
    TDateParts p = DecodeDateTime(EncodeDateTime(2024, 2, 29, 23, 59, 59));
    EXPECT_EQ(p.year, 2024);
    EXPECT_EQ(p.month, 2);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 23);
    EXPECT_EQ(p.minute, 59);
    EXPECT_EQ(p.second, 59);
    EXPECT_FALSE(IsValidDate(2023, 2, 29));
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_FALSE(IsValidDate(1900, 2, 29));
}
