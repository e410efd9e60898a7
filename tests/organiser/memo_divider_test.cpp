#include "organiser/memo_divider.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"
#include "tests/support/temp_dir.h"

namespace {

using Lines = std::vector<std::string>;
const std::string kEncodingLine = "<?xml encoding=\"Shift-JIS\"?>";

std::string Sjis(const std::string& utf8) { return encoding::Utf8ToCp932(utf8); }

// The pages "<title> 001.txt", "<title> 002.txt", ... of a folder, each as its lines (Shift_JIS).
std::vector<Lines> ReadPages(const std::string& folder, const std::string& title) {
    std::vector<Lines> pages;
    for (int n = 1;; ++n) {
        char num[16];
        std::snprintf(num, sizeof num, "%03d", n);
        const std::string path = folder + "/" + title + " " + num + ".txt";
        if (!NameTaken(path)) break;
        pages.push_back(SplitLines(ReadFileText(path)));
    }
    return pages;
}

size_t FileCount(const std::string& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

std::string WithoutBreaks(std::string text) {
    std::erase(text, '\r');
    std::erase(text, '\n');
    return text;
}

// Splits `text` with the given cut type and checks what every character cut must keep: each
// page holds text, no page exceeds the room by more than one byte, no two-byte character is
// split, and the pages together hold the whole text in order. The number of pages goes to
// `page_count` when given.
void CheckCharacterCut(int cut_type, const std::string& utf8_text, int room, size_t* page_count = nullptr) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "T";
    d.FCutType = cut_type;
    d.FPageSize = room + 33;  // the link of title "T" takes 33
    d.FNextLink = true;
    ASSERT_EQ(d.Room(), room);
    d.AssignText(SplitLines(utf8_text));
    d.Divide(dir.Path());
    const auto pages = ReadPages(dir.Path(), "T");
    ASSERT_FALSE(pages.empty());
    if (page_count) *page_count = pages.size();
    const std::string link_head = "<A HREF=";
    std::string joined;
    for (size_t i = 0; i < pages.size(); ++i) {
        Lines body = pages[i];
        const bool last = i + 1 == pages.size();
        if (!last) {
            ASSERT_FALSE(body.empty());
            EXPECT_EQ(body.back().rfind(link_head, 0), 0u) << "page " << i + 1 << " ends with its link";
            body.pop_back();
        }
        std::string text;
        for (const auto& line : body) text += line;
        EXPECT_FALSE(text.empty()) << "page " << i + 1 << " holds text";
        EXPECT_LE(static_cast<int64_t>(text.size()), d.Room() + 1) << "page " << i + 1;
        EXPECT_EQ(encoding::Cp932ToUtf8(text).find("\xEF\xBF\xBD"), std::string::npos)
            << "page " << i + 1 << " splits a character";
        joined += text;
    }
    EXPECT_EQ(joined, WithoutBreaks(Sjis(utf8_text)));
}

TEST(MemoDivider, RoomWithEveryOptionOn) {
    TTolvMemoDivider d;
    d.FTitle = "ABC";
    d.FPageSize = 4050;
    d.FNextLink = d.FPageNo = d.FEncodeTag = d.FTitleTag = true;
    EXPECT_EQ(d.Room(), 3950);
    // Sizes are Shift_JIS bytes: a kanji title counts two bytes a character.
    d.FTitle = "日本";
    EXPECT_EQ(d.Room(), 4050 - (4 + 32) - 13 - 29 - (4 + 20));
    d.FNextLink = d.FPageNo = d.FEncodeTag = d.FTitleTag = false;
    EXPECT_EQ(d.Room(), 4050);
}

TEST(MemoDivider, TextThatExactlyFillsTheRoomIsOneFile) {
    // Page size 4050, title ABC and every option on: room 3950. A text of 3921 bytes (a line of
    // 3919 and its CR LF) plus the 29 of the encoding line fills it exactly: one file.
    TTolvMemoDivider d;
    d.FTitle = "ABC";
    d.FPageSize = 4050;
    d.FNextLink = d.FEncodeTag = d.FTitleTag = d.FPageNo = true;
    ASSERT_EQ(d.Room(), 3950);
    const std::string line(3919, 'a');
    {
        TempDir dir;
        d.AssignText({line});
        d.Divide(dir.Path());
        EXPECT_EQ(ReadFileText(dir / "ABC.txt"), kEncodingLine + "\r\n<Title>ABC</Title>\r\n" + line + "\r\n\r\n");
        EXPECT_EQ(FileCount(dir.Path()), 1u);
    }
    {
        TempDir dir;
        d.AssignText({line + "b"});
        d.Divide(dir.Path());
        EXPECT_FALSE(NameTaken(dir / "ABC.txt"));
        const auto pages = ReadPages(dir.Path(), "ABC");
        ASSERT_EQ(pages.size(), 1u) << "one page, but named as a page";
        EXPECT_EQ(pages[0], (Lines{Sjis("【Page 1】"), kEncodingLine, "<Title>ABC 001</Title>", line + "b"}));
    }
}

TEST(MemoDivider, PagesCarryNamesHeadsAndLinks) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "ABC";
    d.FPageSize = 4050;
    d.FNextLink = d.FPageNo = d.FEncodeTag = d.FTitleTag = true;
    Lines text;
    for (int i = 0; i < 300; ++i) text.push_back("これは" + std::to_string(i) + "行目のテキストです。");
    d.AssignText(text);
    d.Divide(dir.Path());
    const auto pages = ReadPages(dir.Path(), "ABC");
    ASSERT_GE(pages.size(), 3u);
    EXPECT_EQ(FileCount(dir.Path()), pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        const auto& p = pages[i];
        char num[32];
        std::snprintf(num, sizeof num, "%03zu", i + 1);
        EXPECT_EQ(p[0], Sjis("【Page " + std::to_string(i + 1) + "】"));
        EXPECT_EQ(p[1], kEncodingLine);
        EXPECT_EQ(p[2], "<Title>ABC " + std::string(num) + "</Title>");
        if (i + 1 < pages.size()) {
            char next[32];
            std::snprintf(next, sizeof next, "%03zu", i + 2);
            EXPECT_EQ(p.back(), Sjis("<A HREF=\"ABC " + std::string(next) + ".txt\">≪次へ≫</A>"));
        } else {
            EXPECT_EQ(p.back(), Sjis(text.back()));
        }
        EXPECT_LE(ReadFileText(dir / ("ABC " + std::string(num) + ".txt")).size(), 4050u);
    }
    // Every line arrives once, in order.
    Lines body;
    for (const auto& p : pages) {
        for (size_t j = 3; j < p.size(); ++j) {
            if (p[j].rfind("<A HREF=", 0) != 0) body.push_back(encoding::Cp932ToUtf8(p[j]));
        }
    }
    EXPECT_EQ(body, text);
}

TEST(MemoDivider, OneFileHasNoPageNumberAndNoLink) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "メモ";
    d.FPageSize = 4050;
    d.FNextLink = d.FPageNo = d.FTitleTag = true;
    d.AssignText({"一行目", "", "三行目"});
    d.Divide(dir.Path());
    EXPECT_EQ(ReadFileText(dir / "メモ.txt"), Sjis("<Title>メモ</Title>\r\n一行目\r\n\r\n三行目\r\n\r\n"));
}

TEST(MemoDivider, LineCutRefusesALineAtRoomMinusTwo) {
    // room 50: a line of 47 bytes fits an empty page, one of 48 does not.
    {
        TempDir dir;
        TTolvMemoDivider d;
        d.FTitle = "L";
        d.FPageSize = 50;
        std::string message;
        d.FOnMessage = [&](const std::string& m) { message = m; };
        d.AssignText({std::string(47, 'a'), std::string(47, 'b')});
        d.Divide(dir.Path());
        EXPECT_EQ(message, "");
        const auto pages = ReadPages(dir.Path(), "L");
        ASSERT_EQ(pages.size(), 2u);
        EXPECT_EQ(pages[0], (Lines{std::string(47, 'a')}));
        EXPECT_EQ(pages[1], (Lines{std::string(47, 'b')}));
    }
    {
        TempDir dir;
        TTolvMemoDivider d;
        d.FTitle = "L";
        d.FPageSize = 50;
        std::vector<std::string> messages;
        d.FOnMessage = [&](const std::string& m) { messages.push_back(m); };
        d.AssignText({std::string(30, 'a'), std::string(30, 'b'), std::string(48, 'c'), "tail"});
        d.Divide(dir.Path());
        EXPECT_EQ(messages, (Lines{"行に文字を詰め込みすぎです。行によるカット処理が行えません。"}));
        const auto pages = ReadPages(dir.Path(), "L");
        ASSERT_EQ(pages.size(), 1u) << "pages before the long line stay, the current one is dropped";
        EXPECT_EQ(pages[0], (Lines{std::string(30, 'a')}));
    }
}

TEST(MemoDivider, JapaneseCutKeepsTheFullStopOnThePageBefore) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "J";
    d.FPageSize = 12;
    d.FCutType = 1;
    // 12 bytes of room: "あいう。" is 8 bytes, "えおかき" runs the room out.
    d.AssignText({"あいう。えおかき"});
    d.Divide(dir.Path());
    const auto pages = ReadPages(dir.Path(), "J");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], (Lines{Sjis("あいう。")}));
    EXPECT_EQ(pages[1], (Lines{Sjis("えおかき")}));
}

TEST(MemoDivider, EnglishCutBreaksAfterPunctuation) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "E";
    d.FPageSize = 16;
    d.FCutType = 2;
    d.AssignText({"Hello, world. How are you?"});
    d.Divide(dir.Path());
    const auto pages = ReadPages(dir.Path(), "E");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], (Lines{"Hello, world."}));
    EXPECT_EQ(pages[1], (Lines{" How are you?"}));
}

TEST(MemoDivider, CharacterCutsNeverSplitOrLoseText) {
    // Two-byte characters at every page end, and stretches without any break character.
    const std::string kana = "あいうえおかきくけこさしすせそたちつてと";
    std::string long_line;
    for (int i = 0; i < 20; ++i) long_line += kana;
    for (int type : {1, 2, 3}) {
        SCOPED_TRACE(type);
        CheckCharacterCut(type, long_line, 4050 / 50);
        CheckCharacterCut(type, "a" + long_line + "\r\nshort\r\n" + long_line, 61);
        // Without a break character the cut falls where the room runs out, full pages and not a
        // page per character: types 1 and 2 leave the character that ran out for the next page
        // (99 bytes a page), type 3 takes it (100).
        size_t pages = 0;
        CheckCharacterCut(type, std::string(1000, 'x'), 100, &pages);
        EXPECT_EQ(pages, type == 3 ? 10u : 11u);
    }
    std::mt19937 random(42);
    const std::vector<std::string> pieces = {"a", "b", " ", ".", ",", "。", "、", "漢", "字", "\r\n", "！", "ｶ"};
    for (int round = 0; round < 30; ++round) {
        std::string text;
        const int length = 50 + static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
        for (int type : {1, 2, 3}) {
            SCOPED_TRACE(text);
            CheckCharacterCut(type, text, 8 + static_cast<int>(random() % 60));
        }
    }
}

TEST(MemoDivider, TypeThreeFillsPagesToTheRoom) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "X";
    d.FPageSize = 10;
    d.FCutType = 3;
    d.AssignText({std::string(25, 'x')});
    d.Divide(dir.Path());
    const auto pages = ReadPages(dir.Path(), "X");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0], (Lines{std::string(10, 'x')}));
    EXPECT_EQ(pages[1], (Lines{std::string(10, 'x')}));
    EXPECT_EQ(pages[2], (Lines{std::string(5, 'x')}));
}

TEST(MemoDivider, LastCharacterEndingAPageLeavesNoDanglingLink) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "D";
    d.FCutType = 3;
    d.FNextLink = true;
    d.FPageSize = 8 + 33;  // room 8
    // 14 letters and CR LF: the room runs out at the final line feed, which ends the text.
    d.AssignText({std::string(14, 'z')});
    d.Divide(dir.Path());
    const auto pages = ReadPages(dir.Path(), "D");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].back().rfind("<A HREF=", 0), std::string::npos) << "the last page links nowhere";
}

TEST(MemoDivider, RubyRemoval) {
    EXPECT_EQ(TTolvMemoDivider::RemoveRuby(Sjis("漢字《かんじ》です"), nullptr), Sjis("漢字です"));
    EXPECT_EQ(TTolvMemoDivider::RemoveRuby(Sjis("注］記［注記《入れ子》まだ］後"), nullptr), Sjis("注］記後"));
    EXPECT_EQ(TTolvMemoDivider::RemoveRuby(Sjis("前《閉じない"), nullptr), Sjis("前"));
    int calls = 0;
    TTolvMemoDivider::RemoveRuby(Sjis("aあ"), [&](int32_t pos, int32_t max, const std::string& msg) {
        ++calls;
        EXPECT_EQ(max, 3);
        EXPECT_EQ(msg, "ルビを除去中です");
        EXPECT_TRUE(pos == 2 || pos == 3);
    });
    EXPECT_EQ(calls, 2);

    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "R";
    d.FPageSize = 4050;
    d.FDelRuby = true;
    d.AssignText({"青空《あおぞら》文庫"});
    d.Divide(dir.Path());
    EXPECT_EQ(ReadFileText(dir / "R.txt"), Sjis("青空文庫\r\n\r\n"));
    EXPECT_EQ(d.FLines, (Lines{"青空文庫"}));
}

TEST(MemoDivider, UnknownCutTypeAndTooSmallRoomWriteNothing) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "N";
    d.FPageSize = 20;
    d.FCutType = 4;
    d.AssignText({std::string(100, 'n')});
    d.Divide(dir.Path());
    EXPECT_EQ(FileCount(dir.Path()), 0u);

    std::vector<std::string> messages;
    d.FOnMessage = [&](const std::string& m) { messages.push_back(m); };
    d.FTitleTag = true;  // reserves 1 + 20
    d.FNextLink = true;  // reserves 1 + 32
    // No room at all: refused with the message of a line too long, whatever the cut type,
    // before a sub-folder is made.
    d.FCopyDir = true;
    for (int32_t page_size : {54, 40}) {
        for (int32_t cut : {0, 3}) {
            d.FPageSize = page_size;
            d.FCutType = cut;
            ASSERT_LE(d.Room(), 0);
            messages.clear();
            d.Divide(dir.Path());
            EXPECT_EQ(FileCount(dir.Path()), 0u);
            EXPECT_EQ(messages, (Lines{"行に文字を詰め込みすぎです。行によるカット処理が行えません。"}));
        }
    }
    // One byte of room cuts (a page per character in type 3) instead.
    d.FPageSize = 55;
    d.FCopyDir = false;
    d.AssignText({"xy"});
    messages.clear();
    d.Divide(dir.Path());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(FileCount(dir.Path()), 2u);
}

TEST(MemoDivider, TitleCannotLeaveTheFolder) {
    TempDir dir;
    const std::string inner = dir.Write("notes/keep", "");
    (void)inner;
    TTolvMemoDivider d;
    d.FPageSize = 4050;
    d.FCopyDir = true;
    d.FTitle = "..";
    d.AssignText({"x"});
    d.Divide(dir / "notes");
    EXPECT_TRUE(NameTaken(dir / "notes/__/...txt"));
    EXPECT_FALSE(NameTaken(dir / "...txt"));

    d.FCopyDir = false;
    d.FTitle = "../../escape";
    d.Divide(dir / "notes");
    EXPECT_TRUE(NameTaken(dir / "notes/.. .. escape.txt"));

    // The link names the page as it is written.
    d.FTitle = "a/b";
    d.FPageSize = 40 + 35;  // room 40
    d.FNextLink = true;
    d.FCutType = 3;
    d.AssignText({std::string(60, 'q')});
    d.Divide(dir / "notes");
    const auto pages = ReadPages(dir / "notes", "a b");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].back(), Sjis("<A HREF=\"a b 002.txt\">≪次へ≫</A>"));
}

TEST(MemoDivider, CopyDirCreatesOneLevelAndFailsBelowAMissingFolder) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "News";
    d.FPageSize = 4050;
    d.FCopyDir = true;
    d.AssignText({"x"});
    d.Divide("  " + dir.Path() + "  ");
    EXPECT_EQ(ReadFileText(dir / "News/News.txt"), "x\r\n\r\n");
    EXPECT_THROW(d.Divide(dir / "missing/deeper"), EFileError);
}

TEST(MemoDivider, ProgressReportsEveryLineAndCharacterWhenSet) {
    TempDir dir;
    TTolvMemoDivider d;
    d.FTitle = "P";
    d.FPageSize = 10;
    std::vector<int32_t> positions;
    d.FOnProgress = [&](int32_t pos, int32_t max, const std::string& msg) {
        positions.push_back(pos);
        EXPECT_EQ(max, 3);
        EXPECT_EQ(msg, "メモ[ P ]の分割処理中");
    };
    d.AssignText({"aaaa", "bbbb", "cccc"});
    d.Divide(dir.Path());
    // Line 2 is tried again on the second page.
    EXPECT_EQ(positions, (std::vector<int32_t>{1, 2, 2, 3, 3}));

    // Cutting by characters reports each character: one past its 1-based byte position, out
    // of the text's length (a two-byte character is one call).
    TempDir dir2;
    TTolvMemoDivider c;
    c.FTitle = "P";
    c.FPageSize = 3;
    c.FCutType = 3;
    std::vector<int32_t> at;
    c.FOnProgress = [&](int32_t pos, int32_t max, const std::string& msg) {
        at.push_back(pos);
        EXPECT_EQ(max, 6);
        EXPECT_EQ(msg, "メモ[ P ]の分割処理中");
    };
    c.AssignText({"aあb"});
    c.Divide(dir2.Path());
    EXPECT_EQ(at, (std::vector<int32_t>{2, 3, 5, 6, 7}));
}

TEST(MemoDivider, NeverWritesOverANoteItMayNotReplace) {
    TempDir dir;
    const std::string mine = dir.Write("T 002.txt", "the user's own");
    TTolvMemoDivider d;
    d.FTitle = "T";
    d.FPageSize = 40;
    d.AssignText({std::string(30, 'a'), std::string(30, 'b'), std::string(30, 'c')});
    std::vector<std::string> messages;
    d.FOnMessage = [&](const std::string& m) { messages.push_back(m); };
    d.Divide(dir.Path());
    EXPECT_EQ(FileCount(dir.Path()), 1u) << "nothing written when one page's name is taken";
    EXPECT_EQ(d.FKept, mine);
    EXPECT_EQ(messages, (Lines{MemoKeptMessage("T 002.txt", "T")}));
    EXPECT_EQ(ReadFileText(mine), "the user's own");
    // A note the owner allows is replaced.
    d.FMayReplace = [&](const std::string& path) { return path == mine; };
    d.Divide(dir.Path());
    EXPECT_TRUE(d.FKept.empty());
    EXPECT_EQ(ReadPages(dir.Path(), "T").size(), 3u);
    EXPECT_EQ(ReadPages(dir.Path(), "T")[1], (Lines{std::string(30, 'b')}));
}

TEST(MemoDivider, AssignTextSplitsEmbeddedBreaks) {
    TTolvMemoDivider d;
    d.AssignText({"a\r\nb", "c\rd\n", ""});
    EXPECT_EQ(d.FLines, (Lines{"a", "b", "c", "d", "", ""}));
}

}  // namespace
