#include "foundation/names.h"

#include <cerrno>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/encoding.h"

#include "tests/support/temp_dir.h"

namespace {
std::span<const uint8_t> Bytes(const std::vector<uint8_t>& v) { return {v.data(), v.size()}; }
}  // namespace

TEST(BytesToWideString, Utf16StopsAtTerminatorOrEnd) {
    // "iPod" + U+3042, then a terminator and garbage after it.
    std::vector<uint8_t> text{'i', 0, 'P', 0, 'o', 0, 'd', 0, 0x42, 0x30, 0, 0, 'X', 0};
    EXPECT_EQ(BytesToWideString(Bytes(text), 0), "iPod\xE3\x81\x82");
    // No terminator: stops at the end; an odd last byte is no character.
    std::vector<uint8_t> open{'a', 0, 'b', 0, 'c'};
    EXPECT_EQ(BytesToWideString(Bytes(open), 0), "ab");
    // A zero byte that is half of a character is no terminator.
    std::vector<uint8_t> half{0x00, 0x4E, 'x', 0};
    EXPECT_EQ(BytesToWideString(Bytes(half), 0), "\xE4\xB8\x80x");
    EXPECT_EQ(BytesToWideString({}, 0), "");
}

TEST(BytesToWideString, Utf8AndOtherCodes) {
    std::vector<uint8_t> text{0xE6, 0x9B, 0xB2, 'A', 0, 'B'};
    EXPECT_EQ(BytesToWideString(Bytes(text), 1),
              "\xE6\x9B\xB2"
              "A");
    std::vector<uint8_t> cut{'A', 0xE6, 0x9B};  // cut inside a character, no terminator
    std::string decoded = BytesToWideString(Bytes(cut), 1);
    EXPECT_EQ(decoded.substr(0, 1), "A");
    EXPECT_EQ(decoded.find('\xE6'), std::string::npos);  // no broken sequence comes through
    EXPECT_EQ(BytesToWideString(Bytes(text), 2), "");
    EXPECT_EQ(BytesToWideString(Bytes(text), -1), "");
}

TEST(FreeEntryName, NumbersTheStemUpToTheHighestNumber) {
    std::set<std::string> taken{"曲.mp3"};
    auto isTaken = [&taken](const std::string& n) { return taken.count(n) > 0; };
    EXPECT_EQ(FreeEntryName("曲.mp3", 255, 99, TNameFit::Cut, isTaken), "曲(2).mp3");
    taken.insert("曲(2).mp3");
    EXPECT_EQ(FreeEntryName("曲.mp3", 255, 99, TNameFit::Cut, isTaken), "曲(3).mp3");
    taken = {"noext", "a.b.c"};
    EXPECT_EQ(FreeEntryName("noext", 255, 99, TNameFit::Cut, isTaken), "noext(2)");
    EXPECT_EQ(FreeEntryName("a.b.c", 255, 99, TNameFit::Cut, isTaken), "a.b(2).c");
    // All of (2) to (99) taken: a copy has no name left, a feed's episode goes on counting.
    taken = {"s.m4a"};
    for (int n = 2; n <= 99; ++n) taken.insert("s(" + std::to_string(n) + ").m4a");
    EXPECT_EQ(FreeEntryName("s.m4a", 255, 99, TNameFit::Cut, isTaken), "");
    EXPECT_EQ(FreeEntryName("s.m4a", 255, kHighestEntryNumber, TNameFit::Marked, isTaken), "s(100).m4a");
    // A name that is all extension: a copy keeps its type at the end, a feed's name stays whole.
    taken = {".mp3"};
    EXPECT_EQ(FreeEntryName(".mp3", 255, 99, TNameFit::Cut, isTaken), "(2).mp3");
    EXPECT_EQ(FreeEntryName(".mp3", 255, 99, TNameFit::Marked, isTaken), ".mp3(2)");
    // An "extension" too long to stand beside the number is cut, never the number, so that the
    // numbered name still fits.
    const std::string odd = "a." + std::string(252, 'x');
    taken = {odd};
    const std::string next = FreeEntryName(odd, 255, 99, TNameFit::Cut, isTaken);
    EXPECT_LE(next.size(), 255u);
    EXPECT_TRUE(next.ends_with("(2)")) << next;
}

TEST(ReplaceChars, WorkOnCharactersNotBytes) {
    EXPECT_EQ(ReplaceChar("a/b/c", "/", "\xE3\x83\xBB"),
              "a\xE3\x83\xBB"
              "b\xE3\x83\xBB"
              "c");
    EXPECT_EQ(ReplaceChar("abc", "", "x"), "abc");
    // The byte 0x81 inside "う" (E3 81 86) must not match a "find" of a lone byte.
    EXPECT_EQ(ReplaceChar("\xE3\x81\x86", "\x81", "?"), "\xE3\x81\x86");
    EXPECT_EQ(ColonsToSlashes(":iPod_Control:Music:F00:ABCD.mp3"), "/iPod_Control/Music/F00/ABCD.mp3");

    const std::string title = "AC/DC: Live?";
    std::string safe = ReplaceInvalidFileChars(title);
    EXPECT_EQ(safe, "AC DC  Live ");
    EXPECT_EQ(safe.size(), title.size());
    EXPECT_EQ(ReplaceInvalidFileChars("\\?/\";:,<>*|."), "           .");
    EXPECT_EQ(ReplaceInvalidFileCharsAndDot("Vol.1 <x>"), "Vol 1  x ");
    // Multi-byte characters keep their place and count as one each.
    EXPECT_EQ(ReplaceCharsWithSpace("曲名「A」", "「」"), "曲名 A ");
}

TEST(GetDelimitedField, FieldsAndEmptyOnes) {
    EXPECT_EQ(GetDelimitedField(0, "iPod,5G,Black", ","), "iPod");
    EXPECT_EQ(GetDelimitedField(2, "iPod,5G,Black", ","), "Black");
    EXPECT_EQ(GetDelimitedField(2, "one;two", ";"), "");
    EXPECT_EQ(GetDelimitedField(0, ";lead", ";"), "");
    EXPECT_EQ(GetDelimitedField(1, ";lead", ";"), "lead");
    EXPECT_EQ(GetDelimitedField(1, "a;;c", ";"), "");
    EXPECT_EQ(GetDelimitedField(3, "name;http://x;Not Updated;1;", ";"), "1");
    EXPECT_EQ(GetDelimitedField(1, "名前、住所", "、"), "住所");
    EXPECT_EQ(GetDelimitedField(-1, "a,b", ","), "");
}

TEST(SysErrorText, GivesJapaneseReasonsWhateverTheLocale) {
    // The failure log shows these to the user: the C library's English must not leak through.
    EXPECT_EQ(SysErrorText(ENOSPC), "ディスクに十分な空き領域がありません。");
    EXPECT_EQ(SysErrorText(EROFS), "読み取り専用のファイルシステムには書き込めません。");
    EXPECT_EQ(SysErrorText(ENOENT), "指定されたファイルまたはフォルダが見つかりません。");
    // A code outside the table still gives a reason, never an empty one.
    const std::string unknown = SysErrorText(123456);
    EXPECT_FALSE(unknown.empty());
    EXPECT_EQ(unknown.find("Unknown"), std::string::npos);
}

TEST(EntryNames, NeverClimbOrNameTheFolder) {
    EXPECT_EQ(EntryNameAllowingAllButSlash("ep 1.mp3"), "ep 1.mp3");
    EXPECT_EQ(EntryNameAllowingAllButSlash("ニュース"), "ニュース");
    EXPECT_EQ(EntryNameAllowingAllButSlash(""), "_");
    EXPECT_EQ(EntryNameAllowingAllButSlash("."), "_.");
    EXPECT_EQ(EntryNameAllowingAllButSlash(".."), "_..");
    EXPECT_EQ(EntryNameAllowingAllButSlash("../../etc"), ".._.._etc");
    EXPECT_EQ(EntryNameAllowingAllButSlash("a/b\nc\x7F\xC2\x85"
                                           "d"),
              "a_b_c__d");
    EXPECT_EQ(EntryNameAllowingAllButSlash(".hidden"), ".hidden");
}

TEST(EntryNames, EachRuleBlanksOnlyItsOwnCharacters) {
    // A note title is a base that the caller adds to: dots and blanks stay.
    EXPECT_EQ(EntryNameAllowingAllButSlashAndZero(std::string("../a\0b", 6)), ".. a b");
    EXPECT_EQ(EntryNameAllowingAllButSlashAndZero(" 夏:休み\t"), " 夏:休み\t");
    // A folder the program deletes and fills again: dots alone name no folder at all.
    EXPECT_EQ(EntryNameAllowingAllButSlashAndZeroOrNone(".."), "");
    EXPECT_EQ(EntryNameAllowingAllButSlashAndZeroOrNone(""), "");
    EXPECT_EQ(EntryNameAllowingAllButSlashAndZeroOrNone("../x"), ".. x");
    // A song's artist or album folder: the reserved characters, "." and controls become
    // blanks, the ends are trimmed, and a long name is cut on a character boundary.
    EXPECT_EQ(EntryNameWithoutReservedCharsAndDots(" a.b/c\td?e "), "a b c d e");
    EXPECT_EQ(EntryNameWithoutReservedCharsAndDots(".."), "");
    std::string longName;
    for (int i = 0; i < 90; ++i) longName += "番";  // 270 bytes
    const std::string cut = EntryNameWithoutReservedCharsAndDots("x" + longName);
    EXPECT_EQ(cut.size(), 253u);
    EXPECT_TRUE(encoding::IsValidUtf8(cut));
}

TEST(EntryNames, LongNamesFitWithoutSplittingACharacterAndStayApart) {
    std::string a, b;
    for (int i = 0; i < 150; ++i) a += "番";  // 450 bytes
    b = a + "二";
    a += "一";
    const std::string fa = EntryNameFitting(a + ".mp3", 244, TNameFit::Marked),
                      fb = EntryNameFitting(b + ".mp3", 244, TNameFit::Marked);
    EXPECT_LE(fa.size(), 244u);
    EXPECT_TRUE(encoding::IsValidUtf8(fa));
    EXPECT_TRUE(fa.ends_with(".mp3")) << fa;
    EXPECT_NE(fa, fb);
    EXPECT_EQ(EntryNameFitting("short.mp3", 244, TNameFit::Marked), "short.mp3");

    std::set<std::string> taken{"ep.mp3", "ep(2).mp3"};
    auto isTaken = [&taken](const std::string& n) { return taken.count(n) > 0; };
    EXPECT_EQ(FreeEntryName("ep.mp3", 244, kHighestEntryNumber, TNameFit::Marked, isTaken), "ep(3).mp3");
    EXPECT_EQ(FreeEntryName("other", 244, kHighestEntryNumber, TNameFit::Marked, isTaken), "other");
    taken.insert(EntryNameFitting(a + ".mp3", 244, TNameFit::Marked));
    const std::string next = FreeEntryName(a + ".mp3", 244, kHighestEntryNumber, TNameFit::Marked, isTaken);
    EXPECT_LE(next.size(), 244u);
    EXPECT_FALSE(taken.count(next));
}
