#include "player/tags/lyrics_reader.h"
#include "player/tags/media_file_kind.h"

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/mp4_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

std::string LyricsOf(const Bytes& bytes) {
    TMPEGExtLoader loader;
    loader.LoadFromBytes(bytes);
    return loader.Lyrics;
}

Bytes Mp3With(const Bytes& id3v2) {
    Mp3FileLayout layout;
    layout.id3v2 = id3v2;
    return BuildMp3(layout);
}

// The bytes this process has read from files so far (/proc/self/io), or -1 when not known.
int64_t BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

Bytes Le(const std::string& utf8) {
    std::string s = encoding::Utf8ToUtf16Le(utf8);
    return Bytes(s.begin(), s.end());
}

}  // namespace

TEST(LyricsReader, Version23UsltWithEmptyDescriptorGivesTheLines) {
    // Content: "eng", FF FE, 00 00, FF FE, the UTF-16 text of two lines.
    Bytes content = {1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE};
    Bytes text = Le("一行目\r\nsecond line");
    content.insert(content.end(), text.begin(), text.end());
    Bytes tag = Id3v2TagBuilder(3).Text("TIT2", "T").Text("TPE1", "A").Frame("USLT", content).Padding(64).Build();
    EXPECT_EQ(LyricsOf(Mp3With(tag)), "一行目\r\nsecond line");
}

TEST(LyricsReader, Version22UltBehavesTheSame) {
    Bytes tag = Id3v2TagBuilder(2).Text("TT2", "T").Lyrics("la la\nla").Build();
    EXPECT_EQ(LyricsOf(Mp3With(tag)), "la la\nla");
}

TEST(LyricsReader, LaterFrameReplacesEarlierAndOversizedIsPassedOver) {
    Bytes tag = Id3v2TagBuilder(3).Lyrics("first").Lyrics("second").Build();
    EXPECT_EQ(LyricsOf(Mp3With(tag)), "second");

    Bytes huge(TMPEGExtLoader::kMaxFrameContent + 1 + 1, 'x');  // encoding byte + content
    huge[0] = 0;
    Bytes big = Id3v2TagBuilder(3).Frame("USLT", huge).Build();
    EXPECT_EQ(LyricsOf(Mp3With(big)), "");
    Bytes keep = Id3v2TagBuilder(3).Lyrics("kept").Frame("USLT", huge).Build();
    EXPECT_EQ(LyricsOf(Mp3With(keep)), "kept");
    // Exactly the limit is still read.
    Bytes limit(TMPEGExtLoader::kMaxFrameContent + 1, 0);
    limit[1] = 'e', limit[2] = 'n', limit[3] = 'g', limit[4] = 0, limit[5] = 'L';
    EXPECT_EQ(LyricsOf(Mp3With(Id3v2TagBuilder(3).Frame("USLT", limit).Build())), "L");
}

TEST(LyricsReader, OtherKindsGiveNoLyrics) {
    EXPECT_EQ(LyricsOf(BuildM4a({.title = "x"})), "");
    Mp3FileLayout v1;
    v1.id3v1 = Id3v1Fields{.title = "t"};
    EXPECT_EQ(LyricsOf(BuildMp3(v1)), "");
    Bytes ogg = {'O', 'G', 'G'};
    ogg.resize(500, 0);
    EXPECT_EQ(LyricsOf(ogg), "");
    EXPECT_EQ(LyricsOf({}), "");
    EXPECT_EQ(LyricsOf(Mp3With(Id3v2TagBuilder(3).Text("TIT2", "no lyrics").Build())), "");

    auto marks = [](const Bytes& b) {
        TagStream s(b);
        return ReadMediaFileMarks(s);
    };
    EXPECT_EQ(marks(Id3v2TagBuilder(2).Build()).ID3v2Major, 2);
    EXPECT_EQ(marks(Id3v2TagBuilder(4).Build()).ID3v2Major, 4);
    EXPECT_TRUE(marks(BuildMp3(v1)).ID3v1);
    EXPECT_FALSE(marks(BuildMp3(v1)).ID3v2);
    EXPECT_TRUE(marks(BuildM4a({})).MP4);
    EXPECT_FALSE(marks(Bytes(10, 1)).ID3v2);
    // A bare ID3v1 tag is a file of exactly its 128 bytes.
    Bytes bare = BuildId3v1({.title = "t"});
    EXPECT_TRUE(marks(bare).ID3v1);
}

TEST(LyricsReader, EncodingsOtherThanLittleEndianUtf16AreDecoded) {
    Bytes be = Id3v2TagBuilder(3).Lyrics("ビッグエンディアン", Id3Encoding::Utf16WithBigEndianBom).Build();
    EXPECT_EQ(LyricsOf(Mp3With(be)), "ビッグエンディアン");
    Bytes be2 = Id3v2TagBuilder(4).Lyrics("two", Id3Encoding::Utf16BE, "desc").Build();
    EXPECT_EQ(LyricsOf(Mp3With(be2)), "two");
    Bytes utf8 = Id3v2TagBuilder(4).Lyrics("歌詞\nです", Id3Encoding::Utf8, "d").Build();
    EXPECT_EQ(LyricsOf(Mp3With(utf8)), "歌詞\nです");
    Bytes sjis = Id3v2TagBuilder(3).Lyrics(encoding::Utf8ToCp932("桜の歌"), Id3Encoding::Latin1, "x").Build();
    EXPECT_EQ(LyricsOf(Mp3With(sjis)), "桜の歌");
}

TEST(LyricsReader, Version24FrameSizesAreSyncsafe) {
    Bytes tag = Id3v2TagBuilder(4).Text("TIT2", std::string(300, 'x')).Lyrics("after a long frame").Build();
    EXPECT_EQ(LyricsOf(Mp3With(tag)), "after a long frame");
}

TEST(LyricsReader, Version24PlainFrameSizesBeforeTheLyrics) {
    Bytes cover(36074, 0xD8);  // stored as 00 00 8c ea
    cover[0] = 0;
    Bytes priv(300, 0);  // stored as 00 00 01 2c, which could be syncsafe
    Bytes tag = Id3v2TagBuilder(4)
                    .PlainFrameSizes()
                    .Frame("APIC", cover)
                    .Frame("PRIV", priv)
                    .Lyrics("iTunes lyrics")
                    .Padding(512)
                    .Build();
    EXPECT_EQ(LyricsOf(Mp3With(tag)), "iTunes lyrics");
}

TEST(LyricsReader, DecodeLyricsJoinsMarkedStrings) {
    Bytes content = {'e', 'n', 'g', 0xFF, 0xFE};
    Bytes d = Le("desc");
    content.insert(content.end(), d.begin(), d.end());
    content.insert(content.end(), {0, 0, 0xFF, 0xFE});
    Bytes t = Le("text");
    content.insert(content.end(), t.begin(), t.end());
    EXPECT_EQ(DecodeLyrics(content, 1), "desctext");
    EXPECT_EQ(DecodeLyrics(Bytes{'e', 'n'}, 1), "");
    EXPECT_EQ(DecodeLyrics(Bytes{'e', 'n', 'g', 0xFF}, 1), "");
    EXPECT_EQ(DecodeLyrics(Bytes{'e', 'n', 'g', 0xFF, 0xFE, 'a'}, 1), "");     // odd last byte dropped
    EXPECT_EQ(DecodeLyrics(Bytes{'e', 'n', 'g', 'd', 'e', 's', 'c'}, 0), "");  // no descriptor end: no text
    // Encoding byte 0 with marked UTF-16 text is read by its marks.
    EXPECT_EQ(DecodeLyrics(content, 0), "desctext");
}

TEST(LyricsReader, BadSizesAndTruncationEndTheWalk) {
    for (uint32_t size : {0u, 1u, 0xFFFFFFFFu}) {
        Bytes tag =
            Id3v2TagBuilder(3).Lyrics("before").FrameWithStatedSize("TXXX", size, {0, 'x'}).Lyrics("after").Build();
        std::string lyrics = LyricsOf(Mp3With(tag));
        EXPECT_EQ(lyrics, "before") << size;
    }
    Bytes tag = Id3v2TagBuilder(3).Lyrics("whole text here").Build();
    Bytes cut(tag.begin(), tag.end() - 6);
    EXPECT_EQ(LyricsOf(cut), "whole text h");  // three code units cut off
    // A tag size beyond the file: the walk ends at the end of the file.
    Bytes claims = Id3v2TagBuilder(3).Lyrics("x").Build();
    claims[6] = 0x7F;
    EXPECT_EQ(LyricsOf(claims), "x");
}

TEST(LyricsReader, FrameWalkLimitIsTheTagSizeLessOne) {
    // Version 2.3 reads while the position is below the tag size - 1, version 2.2 while it is at
    // most that: the position counts from the file's start.
    auto statedSize = [](Bytes file, uint32_t size) {
        file[6] = static_cast<uint8_t>((size >> 21) & 0x7F);
        file[7] = static_cast<uint8_t>((size >> 14) & 0x7F);
        file[8] = static_cast<uint8_t>((size >> 7) & 0x7F);
        file[9] = static_cast<uint8_t>(size & 0x7F);
        return file;
    };
    auto offsetOf = [](const Bytes& bytes, const std::string& id) {
        return static_cast<uint32_t>(std::search(bytes.begin(), bytes.end(), id.begin(), id.end()) - bytes.begin());
    };
    Bytes v23 = Mp3With(Id3v2TagBuilder(3).Text("TIT2", "T").Lyrics("three").Build());
    uint32_t at = offsetOf(v23, "USLT");
    EXPECT_EQ(LyricsOf(statedSize(v23, at + 2)), "three");
    EXPECT_EQ(LyricsOf(statedSize(v23, at + 1)), "");
    Bytes v22 = Mp3With(Id3v2TagBuilder(2).Text("TT2", "T").Lyrics("two").Build());
    at = offsetOf(v22, "ULT");
    EXPECT_EQ(LyricsOf(statedSize(v22, at + 1)), "two");
    EXPECT_EQ(LyricsOf(statedSize(v22, at)), "");
}

TEST(LyricsReader, ReadsFromFileOnlyTheTagRegion) {
    TempDir dir;
    std::string path = dir / "video.mp3";
    Mp3FileLayout layout;
    layout.id3v2 = Id3v2TagBuilder(3).Lyrics("file lyrics").Padding(50000).Build();
    layout.audioBytes = uint64_t(256) << 20;  // a hole of 256 MB that must not be read
    WriteMp3File(path, layout);
    TMPEGExtLoader loader;
    int64_t before = BytesReadSoFar();
    loader.LoadFromFile(path);
    int64_t read = BytesReadSoFar() - before;
    EXPECT_EQ(loader.Lyrics, "file lyrics");
    if (before >= 0) {
        EXPECT_LT(read, 200000);
    }
    EXPECT_THROW(loader.LoadFromFile(dir / "missing.mp3"), EFileError);
}
