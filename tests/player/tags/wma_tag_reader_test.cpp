#include "player/tags/wma_tag_reader.h"

#include "foundation/errors.h"
#include "tests/support/asf_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

TWMATagReader Read(const Bytes& bytes) {
    TWMATagReader reader;
    reader.LoadFromBytes(bytes);
    return reader;
}

Bytes Utf16(const std::string& ascii) {
    Bytes out;
    for (char c : ascii) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

}  // namespace

TEST(WMATagReader, TitleEmptyAuthorRightsAndDescriptionAtTheirOffsets) {
    // Title "abc" with its NUL: 8 bytes; no author; a 2-byte rights text; description "d".
    AsfContentDescription c{AsfString("abc"), {}, {0, 0}, AsfString("d"), {}};
    ASSERT_EQ(c.title.size(), 8u);
    Bytes file = BuildAsf(c);
    ASSERT_EQ(file[64 + 8 + 0 + 2], 'd');
    TWMATagReader r = Read(file);
    EXPECT_EQ(r.Title, "abc");
    EXPECT_EQ(r.Author, "");
    EXPECT_EQ(r.Description, "d");
}

TEST(WMATagReader, StringsOver256BytesAreNotReadButStillTakeTheirRoom) {
    AsfContentDescription c{AsfString(std::string(149, 't')), AsfString("author"), {}, AsfString("desc"), {}};
    ASSERT_EQ(c.title.size(), 300u);
    TWMATagReader r = Read(BuildAsf(c));
    EXPECT_EQ(r.Title, "");
    EXPECT_EQ(r.Author, "author");
    EXPECT_EQ(r.Description, "desc");

    // Exactly 256 bytes is still read.
    AsfContentDescription edge{AsfString(std::string(127, 'e')), {}, {}, {}, {}};
    ASSERT_EQ(edge.title.size(), 256u);
    EXPECT_EQ(Read(BuildAsf(edge)).Title, std::string(127, 'e'));
}

TEST(WMATagReader, OtherObjectFirstOrWrongIdentifierGivesNoTexts) {
    AsfContentDescription c{AsfString("t"), AsfString("a"), {}, AsfString("d"), {}};
    TWMATagReader notFirst = Read(BuildAsf(c, false));
    EXPECT_EQ(notFirst.Title, "");
    EXPECT_EQ(notFirst.Author, "");
    EXPECT_EQ(notFirst.Description, "");

    Bytes wrong = BuildAsf(c);
    wrong[32] = 0xB3;
    EXPECT_EQ(Read(wrong).Title, "");
}

TEST(WMATagReader, TextEndsAtFirstNulAndKeepsEveryCharacter) {
    Bytes title = Utf16("ab");
    title.insert(title.end(), {0, 0, 'x', 0});
    AsfContentDescription c{title, AsfString("作者 ✓ 😀"), {}, {}, {}};
    TWMATagReader r = Read(BuildAsf(c));
    EXPECT_EQ(r.Title, "ab");
    EXPECT_EQ(r.Author, "作者 ✓ 😀");
    // Without any NUL the stated length ends it; an odd last byte is dropped.
    AsfContentDescription odd{Bytes{'o', 0, 'k', 0, 'z'}, {}, {}, {}, {}};
    EXPECT_EQ(Read(BuildAsf(odd)).Title, "ok");
}

TEST(WMATagReader, TruncatedAndTinyFilesGiveEmptyTexts) {
    AsfContentDescription c{AsfString("title"), AsfString("author"), {}, AsfString("description"), {}};
    Bytes file = BuildAsf(c);
    for (size_t cut : {0u, 10u, 33u, 56u, 64u, 70u}) {
        TWMATagReader r = Read(Bytes(file.begin(), file.begin() + static_cast<long>(cut)));
        EXPECT_EQ(r.Author, "") << cut;
        EXPECT_EQ(r.Description, "") << cut;
    }
    // Cut inside the author: the title is whole, the author partial.
    TWMATagReader partial = Read(Bytes(file.begin(), file.begin() + 64 + 12 + 4));
    EXPECT_EQ(partial.Title, "title");
    EXPECT_EQ(partial.Author, "au");
}

TEST(WMATagReader, LoadClearsEarlierTextsAndFilesOnDisk) {
    TempDir dir;
    std::string good = dir.Write("a.wma", BuildWma("Song", "Singer", "About"));
    std::string bad = dir.Write("b.wma", std::string(100, 'x'));
    TWMATagReader r;
    r.LoadFromFile(good);
    EXPECT_EQ(r.Title, "Song");
    EXPECT_EQ(r.Author, "Singer");
    EXPECT_EQ(r.Description, "About");
    r.LoadFromFile(bad);
    EXPECT_EQ(r.Title, "");
    EXPECT_EQ(r.Author, "");
    EXPECT_THROW(r.LoadFromFile(dir / "missing.wma"), EFileError);
}
