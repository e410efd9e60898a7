#include "player/tags/mp3_tag_reader.h"

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/mp4_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

TMP3Tag ReadBytes(const Bytes& bytes) {
    TMP3Tag tag;
    TTolvMP3TagReader().ReadBytes(bytes, tag);
    return tag;
}

TMP3Tag ReadPath(const std::string& path) {
    TMP3Tag tag;
    TTolvMP3TagReader().ReadFile(path, tag);
    return tag;
}

Bytes Mp3With(const Bytes& id3v2, uint64_t audioBytes = 4096) {
    Mp3FileLayout layout;
    layout.id3v2 = id3v2;
    layout.audioBytes = audioBytes;
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

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The file with its ID3v2 header's size field (bytes 6..9, syncsafe) set to `size`.
Bytes WithStatedTagSize(Bytes file, uint32_t size) {
    file[6] = static_cast<uint8_t>((size >> 21) & 0x7F);
    file[7] = static_cast<uint8_t>((size >> 14) & 0x7F);
    file[8] = static_cast<uint8_t>((size >> 7) & 0x7F);
    file[9] = static_cast<uint8_t>(size & 0x7F);
    return file;
}

size_t OffsetOf(const Bytes& bytes, const std::string& text) {
    return static_cast<size_t>(std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) - bytes.begin());
}

}  // namespace

// ---- kind detection and the steps of each kind ----

TEST(MP3TagReaderKinds, DetectsEachKindByItsMarks) {
    Bytes plain(200, 0);
    Bytes v1 = Concat(Bytes(100, 0), BuildId3v1({.title = "t"}));
    Bytes v2 = Mp3With(Id3v2TagBuilder(3).Text("TIT2", "x").Build());
    Bytes m4a = BuildM4a({.title = "x"});
    Bytes riff = Bytes{'R', 'I', 'F', 'F'};
    riff.resize(300, 0);
    Bytes riffV1 = Concat(riff, BuildId3v1({}));
    auto kind = [](const Bytes& b) {
        TagStream s(b);
        return DetectFileKind(s);
    };
    EXPECT_EQ(kind(plain), TMediaFileKind::Plain);
    EXPECT_EQ(kind(v1), TMediaFileKind::ID3v1);
    EXPECT_EQ(kind(v2), TMediaFileKind::ID3v2);
    EXPECT_EQ(kind(m4a), TMediaFileKind::MP4);
    EXPECT_EQ(kind(riff), TMediaFileKind::RIFF);
    EXPECT_EQ(kind(riffV1), TMediaFileKind::RIFFWithID3v1);
    // The order of the tests: RIFF before ID3v1, ID3v1 before the MP4 brand.
    Bytes m4aWithV1 = Concat(m4a, BuildId3v1({.title = "v1"}));
    EXPECT_EQ(kind(m4aWithV1), TMediaFileKind::ID3v1);
    Bytes riffM4a = riff;
    std::copy_n("M4A", 3, riffM4a.begin() + 8);
    EXPECT_EQ(kind(riffM4a), TMediaFileKind::RIFF);
    // The marks are compared byte for byte: lower case is no mark.
    Bytes lower = v2;
    lower[0] = 'i';
    EXPECT_EQ(kind(lower), TMediaFileKind::Plain);
}

TEST(MP3TagReaderKinds, FilesUnder129BytesAreKindZeroWhateverTheyHold) {
    Bytes small = Id3v2TagBuilder(3).Text("TIT2", "Title").Build();
    small.resize(128, 0);
    TMP3Tag tag;
    tag.Title = "given";
    TTolvMP3TagReader().ReadBytes(small, tag);
    EXPECT_EQ(tag.Title, "");  // kind 0 empties the texts
    EXPECT_EQ(tag.KindText, "MPEG オーディオファイル");
    EXPECT_EQ(tag.TagSize, 0);
    // The header is read at offset 0, from the tag's own bytes.
    EXPECT_EQ(tag.Length, 0);

    Bytes exactly129 = small;
    exactly129.push_back(0);
    EXPECT_EQ(ReadBytes(exactly129).Title, "Title");
}

TEST(MP3TagReaderKinds, EmptyFileGivesDefaults) {
    TMP3Tag tag = ReadBytes({});
    EXPECT_EQ(tag.KindText, "MPEG オーディオファイル");
    EXPECT_EQ(tag.Bitrate, 0);
    EXPECT_EQ(tag.SampleRate, 11025);  // four zero bytes: MPEG-2.5, index 0
    EXPECT_EQ(tag.Length, 0);
    EXPECT_EQ(tag.FileSize, 0);
}

TEST(MP3TagReaderKinds, WavWithoutId3v1KeepsGivenTextsAndReadsHeaderAtOffset20) {
    Bytes riff = {'R', 'I', 'F', 'F'};
    riff.resize(20, 0);
    riff = Concat(riff, MpegFrameHeader(1, 3, 192, 48000));
    riff.resize(192000 / 8 * 10 + 20, 0);
    TMP3Tag tag;
    tag.Title = "kept";
    TTolvMP3TagReader().ReadBytes(riff, tag);
    EXPECT_EQ(tag.KindText, "RIFF");
    EXPECT_EQ(tag.Title, "kept");
    EXPECT_EQ(tag.Artist, "");
    EXPECT_EQ(tag.Bitrate, 192);
    EXPECT_EQ(tag.SampleRate, 48000);
    EXPECT_EQ(tag.Length, 10);
    EXPECT_EQ(tag.FileSize, static_cast<int64_t>(riff.size()));

    Bytes riffV1 = Concat(riff, BuildId3v1({.title = "wav title"}));
    TMP3Tag withV1 = ReadBytes(riffV1);
    EXPECT_EQ(withV1.KindText, "MPEG オーディオファイル");
    EXPECT_EQ(withV1.Title, "wav title");
    EXPECT_EQ(withV1.Bitrate, 192);
}

// ---- ID3v1 ----

TEST(MP3TagReaderId3v1, ReadsFieldsTrimmedAndCutAtNul) {
    Id3v1Fields f{.title = "  Song Title  ",
                  .artist = "Artist",
                  .album = "Album",
                  .year = "1999",
                  .comment = "note",
                  .track = 7,
                  .genre = 17};
    Mp3FileLayout layout;
    layout.id3v1 = f;
    TMP3Tag tag = ReadBytes(BuildMp3(layout));
    EXPECT_EQ(tag.Title, "Song Title");
    EXPECT_EQ(tag.Artist, "Artist");
    EXPECT_EQ(tag.Album, "Album");
    EXPECT_EQ(tag.Year, "1999");
    EXPECT_EQ(tag.Comment, "note");  // the track number after the NUL is not kept
    EXPECT_EQ(tag.Genre, "Rock");
    EXPECT_EQ(tag.Bitrate, 128);
    EXPECT_EQ(tag.TagSize, 0);
}

TEST(MP3TagReaderId3v1, FieldsWithLeadingNulsAndFullWidth) {
    Bytes v1 = BuildId3v1({.artist = std::string(30, 'A')});
    v1[3] = 0;  // title: a NUL, then text
    v1[4] = 'x';
    TMP3Tag tag = ReadBytes(Concat(Bytes(200, 0), v1));
    EXPECT_EQ(tag.Title, "x");
    EXPECT_EQ(tag.Artist, std::string(30, 'A'));  // all 30 bytes, not spilling into the album
    EXPECT_EQ(tag.Album, "");
}

TEST(MP3TagReaderId3v1, EightBitTextIsUtf8WhenValidElseCodePage932) {
    std::string sjis = encoding::Utf8ToCp932("日本語");
    TMP3Tag tag = ReadBytes(Concat(Bytes(200, 0), BuildId3v1({.title = sjis, .artist = "日本"})));
    EXPECT_EQ(tag.Title, "日本語");
    EXPECT_EQ(tag.Artist, "日本");
}

TEST(MP3TagReaderId3v1, GenreTableEdges) {
    EXPECT_EQ(ID3v1GenreName(0), "Blues");
    EXPECT_EQ(ID3v1GenreName(1), "クラシックロック");
    EXPECT_EQ(ID3v1GenreName(50), "Drakwave");
    EXPECT_EQ(ID3v1GenreName(115), "Follore");
    EXPECT_EQ(ID3v1GenreName(125), "Dance Hall");
    // The names keep the spellings the player's users know, odd ones included.
    const std::pair<int, const char*> odd[] = {
        {7, "ヒップホップ"},      {22, "DeathMetal"},    {24, "サウンドトラック"},
        {25, "ユーロテクノ"},     {31, "トランス"},      {40, "AlternRock"},
        {62, "Pop/Folk"},         {67, "Psychadelic"},   {85, "Bebob"},
        {93, "Psychedelic Rock"}, {94, "SympathicRock"}, {107, "Booty Brass"},
        {118, "Rhytmic Soul"},    {120, "Suet"},         {123, "A Capela"}};
    for (const auto& [number, name] : odd) EXPECT_EQ(ID3v1GenreName(number), name) << number;
    EXPECT_EQ(ID3v1GenreName(126), "Unknown");
    EXPECT_EQ(ID3v1GenreName(255), "Unknown");
    EXPECT_EQ(ID3v1GenreName(-1), "Unknown");
    for (uint8_t g : {uint8_t(125), uint8_t(126), uint8_t(255)}) {
        TMP3Tag tag = ReadBytes(Concat(Bytes(200, 0), BuildId3v1({.genre = g})));
        EXPECT_EQ(tag.Genre, g == 125 ? "Dance Hall" : "Unknown");
    }
}

// ---- ID3v2 ----

TEST(MP3TagReaderId3v2, Version23TextFramesAndOnlyId3v2WhenBothTags) {
    Mp3FileLayout layout;
    layout.id3v2 = Id3v2TagBuilder(3)
                       .Text("TIT2", "Title")
                       .Text("TPE1", "Artist", Id3Encoding::Utf16)
                       .Text("TALB", "Album")
                       .Text("TYER", "2004")
                       .Text("TCON", "(17)")
                       .Text("TXXX", "ignored")
                       .Padding(100)
                       .Build();
    layout.id3v1 = Id3v1Fields{.title = "v1 title", .comment = "v1 comment", .genre = 3};
    TMP3Tag tag = ReadBytes(BuildMp3(layout));
    EXPECT_EQ(tag.Title, "Title");
    EXPECT_EQ(tag.Artist, "Artist");
    EXPECT_EQ(tag.Album, "Album");
    EXPECT_EQ(tag.Year, "2004");
    EXPECT_EQ(tag.Genre, "(17)");  // a genre number in parentheses is taken as it stands
    EXPECT_EQ(tag.Comment, "");
    EXPECT_EQ(tag.TagSize, static_cast<int32_t>(layout.id3v2.size() - 10));
}

TEST(MP3TagReaderId3v2, Version22FramesAndLaterFrameWins) {
    Bytes v22 = Id3v2TagBuilder(2)
                    .Text("TT2", "first")
                    .Text("TP1", "Artist")
                    .Text("TAL", "Album")
                    .Text("TYE", "1990")
                    .Text("TCO", "Pop")
                    .Comment("c22")
                    .Text("TT2", "second")
                    .Build();
    TMP3Tag tag = ReadBytes(Mp3With(v22));
    EXPECT_EQ(tag.Title, "second");
    EXPECT_EQ(tag.Artist, "Artist");
    EXPECT_EQ(tag.Album, "Album");
    EXPECT_EQ(tag.Year, "1990");
    EXPECT_EQ(tag.Genre, "Pop");
    EXPECT_EQ(tag.Comment, "c22");
}

TEST(MP3TagReaderId3v2, Utf16TextHonoursItsByteOrderMark) {
    // FF FE 41 00 42 00 is "AB".
    Bytes le = Id3v2TagBuilder(3).Frame("TIT2", {1, 0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00}).Build();
    EXPECT_EQ(ReadBytes(Mp3With(le)).Title, "AB");
    Bytes be = Id3v2TagBuilder(3).Text("TIT2", "日本語の歌", Id3Encoding::Utf16WithBigEndianBom).Build();
    EXPECT_EQ(ReadBytes(Mp3With(be)).Title, "日本語の歌");
    // Every character survives, also those code page 932 lacks.
    Bytes wide = Id3v2TagBuilder(3).Text("TIT2", "Café ✓ 😀", Id3Encoding::Utf16).Build();
    EXPECT_EQ(ReadBytes(Mp3With(wide)).Title, "Café ✓ 😀");
    // Text ends at the first NUL code unit, then is trimmed.
    Bytes nul = Id3v2TagBuilder(3).Frame("TIT2", {1, 0xFF, 0xFE, ' ', 0, 'A', 0, 0, 0, 'B', 0}).Build();
    EXPECT_EQ(ReadBytes(Mp3With(nul)).Title, "A");
}

TEST(MP3TagReaderId3v2, Utf16BigEndianAndUtf8EncodingsAreDecoded) {
    Bytes tag = Id3v2TagBuilder(4)
                    .Text("TIT2", "ビッグ", Id3Encoding::Utf16BE)
                    .Text("TPE1", "ユーティーエフ８", Id3Encoding::Utf8)
                    .Frame("TALB", {4, 'x'})
                    .Build();
    TMP3Tag t = ReadBytes(Mp3With(tag));
    EXPECT_EQ(t.Title, "ビッグ");
    EXPECT_EQ(t.Artist, "ユーティーエフ８");
    EXPECT_EQ(t.Album, "???");  // an encoding the format does not have
}

TEST(MP3TagReaderId3v2, Version24YearComesFromTheRecordingTime) {
    EXPECT_EQ(ReadBytes(Mp3With(Id3v2TagBuilder(4).Text("TDRC", "2008-05-01").Build())).Year, "2008");
    // Version 3 has no recording time: the frame is not its year.
    EXPECT_EQ(ReadBytes(Mp3With(Id3v2TagBuilder(3).Text("TDRC", "2008-05-01").Build())).Year, "");
}

TEST(MP3TagReaderId3v2, Encoding0TextIsUtf8WhenValidElseCodePage932) {
    Bytes tag = Id3v2TagBuilder(3).Text("TIT2", encoding::Utf8ToCp932("東京")).Text("TPE1", "名前").Build();
    TMP3Tag t = ReadBytes(Mp3With(tag));
    EXPECT_EQ(t.Title, "東京");
    EXPECT_EQ(t.Artist, "名前");
}

TEST(MP3TagReaderId3v2, Encoding0SkipsLeadingNulsAndCutsAtNextNul) {
    Bytes tag = Id3v2TagBuilder(3).Frame("TIT2", {0, 0, 0, ' ', 'N', 'a', 'm', 'e', ' ', 0, 'x'}).Build();
    EXPECT_EQ(ReadBytes(Mp3With(tag)).Title, "Name");
}

TEST(MP3TagReaderId3v2, CommentTextFollowsLanguageAndDescription) {
    Bytes latin = Id3v2TagBuilder(3).Comment("the comment", Id3Encoding::Latin1, "desc").Build();
    EXPECT_EQ(ReadBytes(Mp3With(latin)).Comment, "the comment");
    Bytes wide = Id3v2TagBuilder(3).Comment("コメント", Id3Encoding::Utf16, "説明").Build();
    EXPECT_EQ(ReadBytes(Mp3With(wide)).Comment, "コメント");
    Bytes be = Id3v2TagBuilder(4).Comment("be", Id3Encoding::Utf16BE).Build();
    EXPECT_EQ(ReadBytes(Mp3With(be)).Comment, "be");
    // Nothing after the language code: empty comment.
    Bytes bare = Id3v2TagBuilder(3).Frame("COMM", {0, 'e', 'n', 'g'}).Build();
    EXPECT_EQ(ReadBytes(Mp3With(bare)).Comment, "");
}

TEST(MP3TagReaderId3v2, Version24FrameSizesAreSyncsafe) {
    // A frame of 200 bytes: its plain reading (0x148) would derail the walk.
    std::string longTitle(199, 't');
    Bytes tag = Id3v2TagBuilder(4).Text("TIT2", longTitle).Text("TPE1", "after").Build();
    TMP3Tag t = ReadBytes(Mp3With(tag));
    EXPECT_EQ(t.Title, longTitle);
    EXPECT_EQ(t.Artist, "after");
    // Version 3 sizes stay plain.
    Bytes v3 = Id3v2TagBuilder(3).Text("TIT2", longTitle).Text("TPE1", "after").Build();
    EXPECT_EQ(ReadBytes(Mp3With(v3)).Artist, "after");
}

TEST(MP3TagReaderId3v2, Version24TagsWithPlainFrameSizesAsITunesWroteThem) {
    // A cover of 36,074 bytes stored as 00 00 8c ea: a byte of 0x80 or more is no syncsafe size.
    Bytes cover = {0, 'i', 'm', 'a', 'g', 'e', '/', 'j', 'p', 'e', 'g', 0, 3, 0};
    cover.resize(36074, 0xD8);
    Bytes itunes = Id3v2TagBuilder(4)
                       .PlainFrameSizes()
                       .Frame("APIC", cover)
                       .Text("TIT2", "Title")
                       .Text("TPE1", "Artist")
                       .Text("TALB", "Album")
                       .Text("TDRC", "2009")
                       .Text("TCON", "Pop")
                       .Padding(2048)
                       .Build();
    ASSERT_EQ(Bytes(itunes.begin() + 14, itunes.begin() + 18), (Bytes{0x00, 0x00, 0x8C, 0xEA}));
    TMP3Tag t = ReadBytes(Mp3With(itunes));
    EXPECT_EQ(t.Title, "Title");
    EXPECT_EQ(t.Artist, "Artist");
    EXPECT_EQ(t.Album, "Album");
    EXPECT_EQ(t.Year, "2009");
    EXPECT_EQ(t.Genre, "Pop");
    EXPECT_EQ(t.Bitrate, 128);
    // 300 bytes stored as 00 00 01 2c could be syncsafe (172), which lands in the frame's
    // zeros: the plain reading lands on the title's name and wins.
    Bytes priv = Id3v2TagBuilder(4).PlainFrameSizes().Frame("PRIV", Bytes(300, 0)).Text("TIT2", "after").Build();
    EXPECT_EQ(ReadBytes(Mp3With(priv)).Title, "after");
    // The last frame before the padding, plain, with the syncsafe reading inside its text.
    Bytes last =
        Id3v2TagBuilder(4).PlainFrameSizes().Text("TIT2", "t").Text("TPE1", std::string(299, 'A')).Padding(100).Build();
    Bytes lastFile = Mp3With(last);
    TMP3Tag lt = ReadBytes(lastFile);
    EXPECT_EQ(lt.Artist, std::string(299, 'A'));
    EXPECT_EQ(lt.Bitrate, 128);
}

TEST(MP3TagReaderId3v2, OversizedTextFrameIsSkippedAndTheWalkGoesOn) {
    Bytes big(65536, 'b');  // size - 1 = 65535: not read
    big[0] = 0;
    Bytes tag = Id3v2TagBuilder(3).Text("TIT2", "kept").Frame("TIT2", big).Text("TPE1", "next").Build();
    TMP3Tag t = ReadBytes(Mp3With(tag));
    EXPECT_EQ(t.Title, "kept");
    EXPECT_EQ(t.Artist, "next");
}

TEST(MP3TagReaderId3v2, BadFrameSizesEndQuietly) {
    for (uint32_t size : {0u, 1u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
        Bytes tag =
            Id3v2TagBuilder(3).Text("TIT2", "T").FrameWithStatedSize("TPE1", size, {0, 'A'}).Text("TALB", "Al").Build();
        TMP3Tag t = ReadBytes(Mp3With(tag, 100));
        EXPECT_EQ(t.Title, "T") << size;
        EXPECT_EQ(t.KindText, "MPEG オーディオファイル");
    }
    // Size 1: the frame holds only its encoding byte.
    Bytes one = Id3v2TagBuilder(3).FrameWithStatedSize("TPE1", 1, {0}).Text("TALB", "Al").Build();
    TMP3Tag t = ReadBytes(Mp3With(one));
    EXPECT_EQ(t.Artist, "");
    EXPECT_EQ(t.Album, "Al");
}

TEST(MP3TagReaderId3v2, TagSizePastTheEndAndTruncatedFrames) {
    Bytes tag = Id3v2TagBuilder(3).Text("TIT2", "Title").Text("TPE1", "Artist").Build();
    // Cut inside the second frame's content, and make the tag claim 100 MB.
    Bytes cut(tag.begin(), tag.end() - 3);
    cut[6] = 0x30;
    cut.resize(std::max<size_t>(cut.size(), 129), 0);
    TMP3Tag t = ReadBytes(cut);
    EXPECT_EQ(t.Title, "Title");
    EXPECT_EQ(t.TagSize, (0x30 << 21) + 33);
    EXPECT_EQ(t.Artist, "Art");
    EXPECT_EQ(t.Length, 0);  // the tag claims more than the file holds: no audio
    EXPECT_GE(t.Bitrate, 0);
}

TEST(MP3TagReaderId3v2, AudioStartsAtFirstNonZeroByteAfterPaddingAndZeros) {
    // A 20,000-byte tag with zero padding, then 500 zero bytes, then the frame header.
    Mp3FileLayout layout;
    layout.id3v2 = Id3v2TagBuilder(3).Text("TIT2", "padded").Padding(20000 - 10 - 17).Build();
    ASSERT_EQ(layout.id3v2.size(), 20000u);
    layout.zeroBytesBeforeAudio = 500;
    layout.bitrateKbps = 64;
    layout.audioBytes = 64000 / 8 * 5;  // 5 s
    TMP3Tag t = ReadBytes(BuildMp3(layout));
    EXPECT_EQ(t.Bitrate, 64);
    EXPECT_EQ(t.SampleRate, 44100);
    EXPECT_EQ(t.Length, 5);
    EXPECT_EQ(t.FileSize, int64_t(20000 + 500 + 40000));
    // Only zeros after the tag: the header is read at the tag's end (zeros: nothing).
    Bytes onlyZeros = layout.id3v2;
    onlyZeros.resize(onlyZeros.size() + 1000, 0);
    TMP3Tag z = ReadBytes(onlyZeros);
    EXPECT_EQ(z.Bitrate, 0);
    EXPECT_EQ(z.Length, 0);
}

TEST(MP3TagReaderId3v2, FrameWalkGoesOnWhileThePositionIsNotBeyondTheTagSize) {
    // The position counts from the file's start, the tag size leaves out the 10-byte header: a
    // frame that starts exactly at the tag size is still read, one byte later it is not.
    Bytes file = Mp3With(Id3v2TagBuilder(3).Text("TIT2", "T").Text("TPE1", "A").Build());
    uint32_t second = static_cast<uint32_t>(OffsetOf(file, "TPE1"));
    TMP3Tag at = ReadBytes(WithStatedTagSize(file, second));
    EXPECT_EQ(at.Title, "T");
    EXPECT_EQ(at.Artist, "A");
    TMP3Tag before = ReadBytes(WithStatedTagSize(file, second - 1));
    EXPECT_EQ(before.Title, "T");
    EXPECT_EQ(before.Artist, "");
    EXPECT_EQ(before.TagSize, static_cast<int32_t>(second - 1));
}

// ---- MPEG frame header ----

TEST(MP3TagReaderMpegHeader, BitRatesAndSampleRatesOfTheTables) {
    struct Case {
        unsigned version, layer, bitrateIndex, rateIndex;
        int bitrate, sampleRate;
    } cases[] = {
        {3, 1, 9, 0, 128, 44100},  // MPEG-1 Layer III
        {3, 1, 14, 1, 320, 48000},
        {3, 2, 14, 2, 384, 32000},  // Layer II
        {3, 3, 14, 0, 448, 44100},  // Layer I
        {2, 1, 0, 0, 0, 22050},     // MPEG-2 Layer III, index 0 (free format)
        {2, 1, 8, 1, 64, 24000},
        {2, 3, 9, 2, 144, 16000},  // MPEG-2 Layer I index 9
        {0, 1, 1, 0, 8, 11025},
        {0, 2, 14, 2, 160, 8000},  // MPEG-2.5
        // One entry inside each of the five tables.
        {3, 3, 5, 0, 160, 44100},
        {3, 2, 3, 0, 56, 44100},
        {3, 1, 2, 0, 40, 44100},
        {2, 3, 11, 0, 176, 22050},
        {2, 2, 14, 0, 160, 22050},
        {2, 1, 3, 0, 24, 22050},
        {0, 3, 15, 1, 1000, 12000},
        {3, 1, 15, 0, 1000, 44100},  // forbidden index 15
        {1, 1, 9, 0, 0, 0},          // reserved version
        {3, 0, 9, 0, 0, 44100},      // reserved layer
        {3, 1, 9, 3, 128, 0},        // reserved sample-rate index
    };
    for (const Case& c : cases) {
        Bytes file = MpegFrameHeaderBits(c.version, c.layer, c.bitrateIndex, c.rateIndex);
        file.resize(1000, 0);
        TMP3Tag t = ReadBytes(file);
        EXPECT_EQ(t.Bitrate, c.bitrate) << c.version << "/" << c.layer << "/" << c.bitrateIndex;
        EXPECT_EQ(t.SampleRate, c.sampleRate) << c.version << "/" << c.rateIndex;
        if (c.bitrate == 0 || c.sampleRate == 0) {
            EXPECT_EQ(t.Length, 0);
        }
    }
}

TEST(MP3TagReaderMpegHeader, LengthOfA4MBFileAt128IsWholeSecondsTruncated) {
    Mp3FileLayout layout;
    layout.audioBytes = 4000000;
    TMP3Tag t = ReadBytes(BuildMp3(layout));
    EXPECT_EQ(t.Length, 250);
    layout.audioBytes = 4000000 + 15999;  // 250.99 s
    EXPECT_EQ(ReadBytes(BuildMp3(layout)).Length, 250);
    // MPEG-2 Layer III at 8 kbit/s.
    layout.mpegVersion = 2;
    layout.bitrateKbps = 8;
    layout.sampleRate = 16000;
    layout.audioBytes = 1000 * 60;
    EXPECT_EQ(ReadBytes(BuildMp3(layout)).Length, 60);
}

TEST(MP3TagReaderMpegHeader, HeaderBytesPastTheEndCountAsZero) {
    TMP3Tag two = ReadBytes({0xFF, 0xFB});  // MPEG-1 Layer III, indices 0 from the missing bytes
    EXPECT_EQ(two.Bitrate, 0);
    EXPECT_EQ(two.SampleRate, 44100);
    EXPECT_EQ(two.Length, 0);
    TMP3Tag one = ReadBytes({0xFF});
    EXPECT_EQ(one.Bitrate, 0);
    EXPECT_EQ(one.SampleRate, 11025);
    EXPECT_EQ(one.FileSize, 1);
}

// ---- MP4 atoms ----

TEST(MP3TagReaderMp4, IlstAtomsFillFiveTextsAndNoAudioFacts) {
    Bytes m4a = BuildM4a({.title = "Title",
                          .artist = "Artist",
                          .album = "Album",
                          .year = "2007",
                          .genre = "Jazz",
                          .track = 3,
                          .trackCount = 12});
    TMP3Tag t = ReadBytes(m4a);
    EXPECT_EQ(t.KindText, "AAC オーディオファイル");
    EXPECT_EQ(t.Title, "Title");
    EXPECT_EQ(t.Artist, "Artist");
    EXPECT_EQ(t.Album, "Album");
    EXPECT_EQ(t.Year, "2007");
    EXPECT_EQ(t.Genre, "Jazz");
    EXPECT_EQ(t.Bitrate, 0);
    EXPECT_EQ(t.SampleRate, 0);
    EXPECT_EQ(t.Length, 0);
    EXPECT_EQ(t.FileSize, 0);
}

TEST(MP3TagReaderMp4, Utf8TextsTrimmedAndCutAtNul) {
    const char title[] = "  日本の曲 \0junk";
    Bytes ilst = BuildIlst(
        {}, Concat(Mp4TextAtom("\251nam", std::string(title, sizeof title - 1)), Mp4TextAtom("\251ART", "Ärtist")));
    TMP3Tag t = ReadBytes(BuildM4aAround(ilst));
    EXPECT_EQ(t.Title, "日本の曲");
    EXPECT_EQ(t.Artist, "Ärtist");
}

TEST(MP3TagReaderMp4, HandlerAtomOfAnyLengthIsPassedOver) {
    // Some encoders write the handler atom one byte shorter than iTunes does.
    M4aLayout layout;
    layout.hdlrPayloadBytes = 25;
    TMP3Tag t = ReadBytes(BuildM4a({.title = "short hdlr", .artist = "A"}, layout));
    EXPECT_EQ(t.Title, "short hdlr");
    EXPECT_EQ(t.Artist, "A");
}

TEST(MP3TagReaderMp4, ShortTextAtomIsEmptyAndTheWalkContinues) {
    Bytes shortAtom = Mp4Atom("\251alb", Bytes(8, 0));  // 16 bytes: no room for text
    Bytes ilst = BuildIlst({}, Concat(shortAtom, Mp4TextAtom("\251nam", "after")));
    TMP3Tag t = ReadBytes(BuildM4aAround(ilst));
    EXPECT_EQ(t.Album, "");
    EXPECT_EQ(t.Title, "after");
}

TEST(MP3TagReaderMp4, BadAtomSizesEndTheWalk) {
    for (uint32_t size : {0u, 1u, 7u}) {
        Bytes bad = {static_cast<uint8_t>(size >> 24),
                     static_cast<uint8_t>(size >> 16),
                     static_cast<uint8_t>(size >> 8),
                     static_cast<uint8_t>(size),
                     'f',
                     'r',
                     'e',
                     'e'};
        Bytes ilst = BuildIlst({.title = "before"}, Concat(bad, Mp4TextAtom("\251ART", "never")));
        TMP3Tag t = ReadBytes(BuildM4aAround(ilst));
        EXPECT_EQ(t.Title, "before");
        EXPECT_EQ(t.Artist, "") << size;
    }
    // A text atom that claims to reach past its parent and the file: its text is what the file
    // holds (cut at the NUL that starts the next atom's size), and the walk ends there.
    for (uint8_t top : {uint8_t(0x01), uint8_t(0xFF)}) {
        Bytes huge = Mp4TextAtom("\251nam", "x");
        huge[0] = top;
        Bytes m4a = BuildM4aAround(BuildIlst({}, Concat(huge, Mp4TextAtom("\251ART", "after"))));
        TMP3Tag t = ReadBytes(m4a);
        EXPECT_EQ(t.Title, "x") << int(top);
        EXPECT_EQ(t.Artist, "") << int(top);
    }
    // A container claiming a size past the file: its children are still walked in order.
    Bytes nested = BuildM4a({.title = "nested"});
    ASSERT_EQ(nested[32], 'm');  // moov after the 28-byte ftyp
    nested[28] = nested[29] = nested[30] = nested[31] = 0xFF;
    EXPECT_EQ(ReadBytes(nested).Title, "nested");
}

// ---- files on disk ----

TEST(MP3TagReaderFiles, ReadsLargeSparseFileWithoutLoadingIt) {
    TempDir dir;
    std::string path = dir / "big.mp3";
    Mp3FileLayout layout;
    layout.id3v2 = Id3v2TagBuilder(3).Text("TIT2", "big").Padding(40000).Build();  // past one block
    layout.bitrateKbps = 320;
    layout.audioBytes = uint64_t(320) * 125 * 3600;  // one hour
    layout.id3v1 = Id3v1Fields{.title = "ignored"};
    WriteMp3File(path, layout);
    int64_t before = BytesReadSoFar();
    TMP3Tag t = ReadPath(path);
    if (before >= 0) {
        EXPECT_LT(BytesReadSoFar() - before, 200000);  // the tag and one header, not 144 MB
    }
    EXPECT_EQ(t.Title, "big");
    EXPECT_EQ(t.Bitrate, 320);
    EXPECT_EQ(t.Length, 3600);
    EXPECT_EQ(t.FileSize, int64_t(layout.id3v2.size() + layout.audioBytes + 128));
}

TEST(MP3TagReaderFiles, ASmallTagAndItsAudioHeaderComeFromOneRead) {
    // The audio starts at 4,072, inside the block that the tag came in.
    TempDir dir;
    Mp3FileLayout layout;
    layout.id3v2 = Id3v2TagBuilder(3).Text("TIT2", "one read").Padding(4062 - 10 - 19).Build();
    ASSERT_EQ(layout.id3v2.size(), 4062u);
    layout.zeroBytesBeforeAudio = 10;
    layout.audioBytes = uint64_t(4) << 20;
    std::string path = dir / "song.mp3";
    WriteMp3File(path, layout);
    int64_t before = BytesReadSoFar();
    TMP3Tag t = ReadPath(path);
    if (before >= 0) {
        EXPECT_LE(BytesReadSoFar() - before, int64_t(TagStream::kFirstBlockSize + 4096));
    }
    EXPECT_EQ(t.Title, "one read");
    EXPECT_EQ(t.Bitrate, 128);
}

TEST(MP3TagReaderFiles, SameResultFromFileAndMemory) {
    TempDir dir;
    Mp3FileLayout layout;
    layout.id3v2 = Id3v2TagBuilder(4).Text("TIT2", std::string(70000, 'x')).Text("TPE1", "a").Padding(10).Build();
    layout.zeroBytesBeforeAudio = 70000;
    Bytes bytes = BuildMp3(layout);
    std::string path = dir.Write("f.mp3", bytes);
    TMP3Tag fromFile = ReadPath(path);
    TMP3Tag fromMemory = ReadBytes(bytes);
    EXPECT_EQ(fromFile, fromMemory);
    EXPECT_EQ(fromFile.Artist, "a");
    EXPECT_EQ(fromFile.Bitrate, 128);
    for (uint64_t block : {1u, 3u, 10u, 4096u}) {
        TagStream small(bytes, block);
        TMP3Tag t;
        TTolvMP3TagReader().ReadStream(small, t);
        EXPECT_EQ(t, fromMemory) << block;
    }
}

TEST(MP3TagReaderFiles, LengthOfFilesOver4GBAfterTheTag) {
    // 5,000,000,000 audio bytes at 8 kbit/s: the arithmetic must not wrap at 32 bits, and the
    // tag in front of the audio does not count.
    TempDir dir;
    std::string path = dir / "long.mp3";
    Mp3FileLayout layout;
    layout.id3v2 = Id3v2TagBuilder(3).Text("TIT2", "long").Padding(1000).Build();
    layout.mpegVersion = 2;
    layout.bitrateKbps = 8;
    layout.sampleRate = 16000;
    layout.audioBytes = 5000000000ull;
    WriteMp3File(path, layout);
    TMP3Tag t = ReadPath(path);
    EXPECT_EQ(t.Title, "long");
    EXPECT_EQ(t.Bitrate, 8);
    EXPECT_EQ(t.SampleRate, 16000);
    EXPECT_EQ(t.FileSize, static_cast<int64_t>(layout.id3v2.size() + layout.audioBytes));
    EXPECT_EQ(t.Length, 5000000);
}

TEST(MP3TagReaderFiles, MissingFileRaisesFileError) {
    TempDir dir;
    EXPECT_THROW(ReadPath(dir / "missing.mp3"), EFileError);
    TMP3Tag empty = ReadPath(dir.Write("empty.mp3", std::string()));
    EXPECT_EQ(empty.Title, "");
    EXPECT_EQ(empty.Length, 0);
}

TEST(MP3TagReaderFiles, TaggedMp3WriterGivesWhatItWasAsked) {
    TempDir dir;
    std::string path = dir / "song.mp3";
    WriteTaggedMp3(
        path,
        {.title = "さくら", .artist = "Artist", .album = "Album", .year = "2006", .comment = "memo", .genre = "J-Pop"},
        192, 215, 48000);
    TMP3Tag t = ReadPath(path);
    EXPECT_EQ(t.Title, "さくら");
    EXPECT_EQ(t.Artist, "Artist");
    EXPECT_EQ(t.Album, "Album");
    EXPECT_EQ(t.Year, "2006");
    EXPECT_EQ(t.Comment, "memo");
    EXPECT_EQ(t.Genre, "J-Pop");
    EXPECT_EQ(t.Bitrate, 192);
    EXPECT_EQ(t.SampleRate, 48000);
    EXPECT_EQ(t.Length, 215);
}
