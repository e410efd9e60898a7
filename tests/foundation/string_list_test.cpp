#include "foundation/string_list.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Lines = std::vector<std::string>;

const std::string kEsc = "\x1B";

Lines Load(const std::string& bytes, TextEncoding code, TextEncoding* used = nullptr) {
    TTolvStringList list;
    list.LoadFromBytes(bytes, code);
    if (used) *used = list.FEncoding;
    return list.Lines();
}

TextEncoding Detected(const std::string& bytes) {
    TextEncoding used = 99;
    Load(bytes, kTextDetect, &used);
    return used;
}

}  // namespace

TEST(StringList, SplitsAtCrLfAndJoinsWithCrLf) {
    TStringList list;
    list.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(list.Lines(), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
    list.SetText("a\r\n");
    EXPECT_EQ(list.Lines(), (Lines{"a"}));
    list.SetText("\r\n\r\n");
    EXPECT_EQ(list.Lines(), (Lines{"", ""}));
    list.SetText("a\n\rb\r\r\nc");  // LF CR is two breaks, CR CR LF too
    EXPECT_EQ(list.Lines(), (Lines{"a", "", "b", "", "c"}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), "");
    list.Add("x");
    list.Add("");
    EXPECT_EQ(list.Text(), "x\r\n\r\n");
    EXPECT_EQ(list.Strings(5), "");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, FileRoundTripAndErrorsNameTheFile) {
    TempDir dir;
    TStringList list;
    list.Add("一行目");
    list.Add("two");
    list.SaveToFile(dir / "out.txt");
    EXPECT_EQ(ReadFileText(dir / "out.txt"), "一行目\r\ntwo\r\n");
    TStringList again;
    again.LoadFromFile(dir / "out.txt");
    EXPECT_EQ(again.Lines(), list.Lines());

    const std::string missing = dir / "missing.txt";
    try {
        again.LoadFromFile(missing);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find(missing), std::string::npos);
    }
    EXPECT_THROW(list.SaveToFile(dir / "no/such/folder.txt"), EFileError);

    TTolvStringList tolv;
    tolv.FEncoding = 3;
    try {
        tolv.LoadFromFile(missing, kTextDetect);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find(missing), std::string::npos);
    }
    EXPECT_EQ(tolv.FEncoding, 3);
    EXPECT_THROW(tolv.LoadFromFile(dir.Path(), kTextShiftJis), EFileError);  // a folder
}

TEST(TolvStringList, Utf16ByteOrderMarks) {
    TextEncoding used = 0;
    const std::string text = "日本\r\n😀한";
    EXPECT_EQ(Load("\xFF\xFE" + encoding::Utf8ToUtf16Le(text), kTextDetect, &used), (Lines{"日本", "😀한"}));
    EXPECT_EQ(used, kTextUtf16Le);
    EXPECT_EQ(Load("\xFE\xFF" + encoding::Utf8ToUtf16Be(text), kTextDetect, &used), (Lines{"日本", "😀한"}));
    EXPECT_EQ(used, kTextUtf16Be);
    // The first two bytes are skipped also when there is no mark.
    EXPECT_EQ(Load(encoding::Utf8ToUtf16Le("ABC"), kTextUtf16Le, &used), (Lines{"BC"}));
    EXPECT_EQ(used, kTextUtf16Le);
    EXPECT_EQ(Load(encoding::Utf8ToUtf16Be("ABC"), kTextUtf16Be), (Lines{"BC"}));
    // The text ends at the first zero character.
    EXPECT_EQ(Load("\xFF\xFE" + encoding::Utf8ToUtf16Le("ab") + std::string(2, '\0') + "c\0", kTextDetect),
              (Lines{"ab"}));
    // An odd last byte is taken with a zero after it; a lone mark gives no lines.
    EXPECT_EQ(Load(std::string("\xFF\xFE"
                               "a\0b",
                               5),
                   kTextDetect),
              (Lines{"ab"}));
    EXPECT_EQ(Load(std::string("\xFE\xFF\0a\x30", 5), kTextDetect), (Lines{"a\xE3\x80\x80"}));
    EXPECT_EQ(Load("\xFF\xFE", kTextDetect, &used), Lines{});
    EXPECT_EQ(used, kTextUtf16Le);
    EXPECT_EQ(Load("", kTextUtf16Be), Lines{});
}

TEST(TolvStringList, DetectsTheJapaneseCodes) {
    TextEncoding used = 0;
    // Pure ASCII is taken for EUC-JP and comes through unchanged.
    EXPECT_EQ(Load("line one\r\nline two", kTextDetect, &used), (Lines{"line one", "line two"}));
    EXPECT_EQ(used, kTextEucJp);
    EXPECT_EQ(Load("\x82\xA0\x88\x9F\r\nx", kTextDetect, &used), (Lines{"あ亜", "x"}));
    EXPECT_EQ(used, kTextShiftJis);
    EXPECT_EQ(Load("a" + kEsc + "$B0!" + kEsc + "(B\r\n" + kEsc + "$B$\"" + kEsc + "(B", kTextDetect, &used),
              (Lines{"a亜", "あ"}));
    EXPECT_EQ(used, kTextJis);
    EXPECT_EQ(Load("\xB0\xA1\xA4\xA2", kTextDetect, &used), (Lines{"亜あ"}));
    EXPECT_EQ(used, kTextEucJp);
    // Shift_JIS with only lead bytes from 0xE0 and half-width katakana looks like EUC-JP.
    EXPECT_EQ(Detected("\xEA\xA2\xB1\xB2\xE0\xDF"), kTextEucJp);
    // A JIS escape past the first 32768 bytes is not seen.
    EXPECT_EQ(Detected(std::string(40000, 'a') + kEsc + "$B0!" + kEsc + "(B"), kTextEucJp);
    EXPECT_EQ(Detected(std::string(30000, 'a') + kEsc + "$B0!" + kEsc + "(B"), kTextJis);
}

TEST(TolvStringList, Utf8IsRecognisedBeforeTheJapaneseGuess) {
    TextEncoding used = 0;
    EXPECT_EQ(Load("日本語\nテキスト", kTextDetect, &used), (Lines{"日本語", "テキスト"}));
    EXPECT_EQ(used, kTextUtf8);
    EXPECT_EQ(Load("\xEF\xBB\xBF"
                   "abc",
                   kTextDetect, &used),
              (Lines{"abc"}));  // the mark goes
    EXPECT_EQ(used, kTextUtf8);
    // Invalid UTF-8 still goes to the guess; pure ASCII never counts as UTF-8.
    EXPECT_EQ(Detected("\xE6\x97\xA5\x82\xA0"), kTextShiftJis);
    EXPECT_EQ(Detected("abc"), kTextEucJp);
    // UTF-8 given explicitly.
    EXPECT_EQ(Load("é\r\nx", kTextUtf8, &used), (Lines{"é", "x"}));
    EXPECT_EQ(used, kTextUtf8);
    // ... and a stray byte in it becomes U+FFFD instead of passing on broken text.
    EXPECT_EQ(Load("a\x82\r\n\xE6\x97", kTextUtf8, &used), (Lines{"a\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"}));
}

TEST(TolvStringList, GivenCodesConvertToUtf8) {
    TextEncoding used = 0;
    EXPECT_EQ(Load("\x82\xA0\r\n\xB1", kTextShiftJis, &used), (Lines{"あ", "ｱ"}));
    EXPECT_EQ(used, kTextShiftJis);
    EXPECT_EQ(Load("\xB0\xA1", kTextShiftJis), (Lines{"ｰ｡"}));
    EXPECT_EQ(Load("\xB0\xA1", kTextEucJp), (Lines{"亜"}));
    EXPECT_EQ(Load(kEsc + "$B0!" + kEsc + "(B", kTextJis), (Lines{"亜"}));
    // A lone lead byte at the end of a line cannot swallow the line break.
    EXPECT_EQ(Load("a\x82\r\nb", kTextShiftJis).size(), 2u);
}

TEST(TolvStringList, UnknownCodesAndNullStreamsKeepTheLines) {
    TTolvStringList list;
    list.LoadFromBytes("one\r\ntwo", kTextShiftJis);
    list.LoadFromBytes("three", 7);
    EXPECT_EQ(list.Lines(), (Lines{"one", "two"}));
    EXPECT_EQ(list.FEncoding, 7);
    list.LoadFromStream(nullptr, kTextDetect);
    EXPECT_EQ(list.Lines(), (Lines{"one", "two"}));
    EXPECT_EQ(list.FEncoding, 7);
}

TEST(TolvStringList, StreamsAndFilesLoadFromTheStart) {
    TTolvStringList list;
    std::istringstream stream("\x82\xA0\r\nb");
    stream.seekg(0, std::ios::end);
    list.LoadFromStream(&stream, kTextDetect);
    EXPECT_EQ(list.Lines(), (Lines{"あ", "b"}));
    EXPECT_EQ(list.FEncoding, kTextShiftJis);

    TempDir dir;
    const std::string path = dir.Write("u16.txt", "\xFF\xFE" + encoding::Utf8ToUtf16Le("ニュース\r\n"));
    list.LoadFromFile(path, kTextDetect);
    EXPECT_EQ(list.Lines(), (Lines{"ニュース"}));
    EXPECT_EQ(list.FEncoding, kTextUtf16Le);
    // The plain load of the base list takes the bytes as they are and leaves FEncoding.
    list.LoadFromFile(dir.Write("raw.txt", "\x82\xA0"));
    EXPECT_EQ(list.Lines(), (Lines{"\x82\xA0"}));
    EXPECT_EQ(list.FEncoding, kTextUtf16Le);
}
