#include "foundation/japanese_codes.h"

#include <gtest/gtest.h>

#include <set>

namespace {
const std::string kEsc = "\x1B";
const std::string kJisOn = kEsc + "$B";
const std::string kJisOff = kEsc + "(B";
}  // namespace

TEST(DetectJapaneseCode, ShortAndAsciiTextsAreEuc) {
    EXPECT_EQ(DetectJapaneseCode(""), kJapaneseEuc);
    EXPECT_EQ(DetectJapaneseCode("\x82"), kJapaneseEuc);
    EXPECT_EQ(DetectJapaneseCode("plain ASCII text\r\n"), kJapaneseEuc);
    // The last byte of the scanned part is never looked at.
    EXPECT_EQ(DetectJapaneseCode("a\x82"), kJapaneseEuc);
    EXPECT_EQ(DetectJapaneseCode("\x82"
                                 "a"),
              kJapaneseSjis);
}

TEST(DetectJapaneseCode, ShiftJisNeedsALeadByteUpToA0) {
    EXPECT_EQ(DetectJapaneseCode("\x82\xA0\x88\x9F"), kJapaneseSjis);  // あ亜
    // Lead bytes 0xE0 and above with trail bytes above 0xA0, and half-width katakana, look
    // like EUC-JP.
    EXPECT_EQ(DetectJapaneseCode("\xEA\xA2\xB1\xB2\xE0\xDF"
                                 "abc"),
              kJapaneseEuc);
    // A trail byte in 0x80..0xA0 is skipped with its lead byte and not taken for a lead.
    EXPECT_EQ(DetectJapaneseCode("\xB0\xA1\xB0\xA1"), kJapaneseEuc);
}

TEST(DetectJapaneseCode, JisEscapeWinsWithinTheFirst32768Bytes) {
    EXPECT_EQ(DetectJapaneseCode("\x82\xA0" + kJisOn + "0!" + kJisOff), kJapaneseJis);
    EXPECT_EQ(DetectJapaneseCode("abc" + kJisOff), kJapaneseJis);
    EXPECT_EQ(DetectJapaneseCode("abc" + kEsc + "$@0!"), kJapaneseEuc);  // not ESC $ B
    // The escape needs two bytes after it in the text.
    EXPECT_EQ(DetectJapaneseCode("abc" + kEsc + "$"), kJapaneseEuc);
    // A lead byte can hide the escape by taking it for its trail byte.
    EXPECT_EQ(DetectJapaneseCode("\x82" + kJisOn + "0!"), kJapaneseSjis);

    const std::string before(32768, 'a');
    EXPECT_EQ(DetectJapaneseCode(before + kJisOn + "0!" + kJisOff), kJapaneseEuc);
    // An escape starting inside the window counts even when its "B" lies beyond it.
    EXPECT_EQ(DetectJapaneseCode(std::string(32765, 'a') + kJisOn + "0!"), kJapaneseJis);
    EXPECT_EQ(DetectJapaneseCode(std::string(32767, 'a') + kJisOn + "0!"), kJapaneseEuc);
}

TEST(JisToSjis, ConvertsTwoByteRunsAndDropsTheEscapes) {
    EXPECT_EQ(JisToSjis(kJisOn + "\x30\x21" + kJisOff), "\x88\x9F");
    EXPECT_EQ(JisToSjis("a" + kJisOn + "$\"0!" + kJisOff + "b\r\n"),
              "a\x82\xA0\x88\x9F"
              "b\r\n");
    // Line breaks and blanks are copied in two-byte mode too.
    EXPECT_EQ(JisToSjis(kJisOn + "\r\n 0!"), "\r\n \x88\x9F");
    // An unknown escape is copied; in two-byte mode its printable bytes pair like others.
    EXPECT_EQ(JisToSjis(kEsc + "$@"), kEsc + "$@");
    EXPECT_EQ(JisToSjis(kJisOn + kEsc + "(J"), kEsc + JisToSjis(kJisOn + "(J"));
    // A short escape at the end is copied.
    EXPECT_EQ(JisToSjis("x" + kEsc + "$"), "x" + kEsc + "$");
}

TEST(JisToSjis, LoneLastByteIsCopied) {
    EXPECT_EQ(JisToSjis(kJisOn + "0!0"),
              "\x88\x9F"
              "0");
    EXPECT_EQ(JisToSjis(kJisOn + "0"), "0");
}

TEST(EucToSjis, ConvertsPairsAndCopiesTheRest) {
    EXPECT_EQ(EucToSjis("\xB0\xA1 \xA4\xA2"), "\x88\x9F \x82\xA0");
    EXPECT_EQ(EucToSjis("abc\r\n"), "abc\r\n");
    // A single-shift byte and its katakana are one character: the pair after it stays a pair.
    EXPECT_EQ(EucToSjis("\x8E\xB1\xB0\xA1"),
              "\xB1"
              "\x88\x9F");
    EXPECT_EQ(EucToSjis("\xFF\xA0"), "\xFF\xA0");
}

TEST(EucToSjis, SequencesNeverTakeTheByteAfterThem) {
    // Half-width katakana ("ｼﾝ") are single Shift_JIS bytes; the tag after them stays whole.
    EXPECT_EQ(EucToSjis("\x8E\xBC\x8E\xDD<p>\xB0\xA1"), "\xBC\xDD<p>\x88\x9F");
    // A JIS X 0212 character becomes one substitute and takes its three bytes.
    EXPECT_EQ(EucToSjis("\x8F\xB0\xA1<b>"), "?<b>");
    // Broken sequences: a byte that cannot belong to one is left for what follows.
    EXPECT_EQ(EucToSjis("\xB0<i>"), "\xB0<i>");
    EXPECT_EQ(EucToSjis("\x8E<i>"), "\x8E<i>");
    EXPECT_EQ(EucToSjis("\x8F\xB0<i>"), "\x8F\xB0<i>");
    EXPECT_EQ(EucToSjis("\x8E\xE0\xA1"), "\x8E" + EucToSjis("\xE0\xA1"));
}

TEST(EucToSjis, LoneLastByteIsCopied) {
    EXPECT_EQ(EucToSjis("\xB0\xA1\xB0"), "\x88\x9F\xB0");
    EXPECT_EQ(EucToSjis("\xFE"), "\xFE");
}

TEST(JisCodeToSjisCode, PublishedMapping) {
    EXPECT_EQ(JisCodeToSjisCode(0x2121), 0x8140);  // ideographic space
    EXPECT_EQ(JisCodeToSjisCode(0x2160), 0x8180);  // odd row, j2 >= 0x60
    EXPECT_EQ(JisCodeToSjisCode(0x2422), 0x82A0);  // あ
    EXPECT_EQ(JisCodeToSjisCode(0x3021), 0x889F);  // 亜
    EXPECT_EQ(JisCodeToSjisCode(0x5E7E), 0x9FFC);  // last row below 0xE0
    EXPECT_EQ(JisCodeToSjisCode(0x5F21), 0xE040);  // first row from 0xE0
    EXPECT_EQ(JisCodeToSjisCode(0x7426), 0xEAA4);
    EXPECT_EQ(EucCodeToSjisCode(0xB0A1), 0x889F);
    EXPECT_EQ(EucCodeToSjisCode(0x3021), 0x889F);

    // Every JIS X 0208 code maps to a distinct, well-formed Shift_JIS pair.
    std::set<uint16_t> seen;
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const uint16_t s = JisCodeToSjisCode(static_cast<uint16_t>(j1 << 8 | j2));
            const unsigned s1 = s >> 8, s2 = s & 0xFF;
            ASSERT_TRUE((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF)) << std::hex << s;
            ASSERT_TRUE(s2 >= 0x40 && s2 <= 0xFC && s2 != 0x7F) << std::hex << s;
            seen.insert(s);
        }
    }
    EXPECT_EQ(seen.size(), 94u * 94u);
    // Out-of-range codes wrap within each byte instead of spilling into the other.
    EXPECT_EQ(JisCodeToSjisCode(0x30FF), 0x887D);
}

TEST(CodeText, StrToCodeAndCodeToStr) {
    EXPECT_EQ(StrToCode("\x88\x9F"), 0x889F);
    EXPECT_EQ(StrToCode("AB tail"), 0x4142);
    EXPECT_EQ(StrToCode("A"), 0x4100);
    EXPECT_EQ(StrToCode(""), 0);
    EXPECT_EQ(CodeToStr(0x889F), "\x88\x9F");
    EXPECT_EQ(CodeToStr(0x0041), std::string("\0A", 2));
}
