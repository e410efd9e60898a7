#include <gtest/gtest.h>

#include <random>

#include "player/song_records.h"
#include "tests/support/itunesdb_writer.h"
#include "tests/support/temp_dir.h"

using itdb::Append;
using itdb::Bytes;

namespace {

ItdbSong FullSong() {
    ItdbSong s;
    s.Title = "夜明けのスキャット";
    s.Location = ":iPod_Control:Music:F01:ABCD.mp3";
    s.Album = "Альбом";
    s.Artist = "アーティスト 🎸";
    s.Genre = "J-Pop";
    s.Kind = "MPEG オーディオファイル";
    s.Equalizer = "Rock";
    s.Comment = "한국어 코멘트";
    s.Composer = "作曲者";
    s.Grouping = "Ελληνικά";
    s.Id = 77;
    s.Rating = 80;
    s.DateModified = 86400;
    s.Size = 4123456;
    s.Length = 245000;
    s.TrackNumber = 3;
    s.TrackCount = 12;
    s.Year = 1969;
    s.Bitrate = 192;
    s.SampleRate = 48000;
    s.SampleRateLow = 0x1234;
    s.Volume = -50;
    s.PlayCount = 9;
    s.LastPlayed = 3 * 86400;
    s.DiscNumber = 1;
    s.DiscCount = 2;
    s.DateAdded = 2 * 86400 + 43200;
    s.ExtraDate = 4 * 86400;
    s.DatabaseId = 0x1122334455667788LL;
    s.ArtworkCount = 2;
    s.ArtworkSize = 30000;
    return s;
}

Bytes Cat(Bytes a, const Bytes& b) {
    Append(a, b);
    return a;
}

TITunesDBLoader& Load(TITunesDBLoader& loader, const Bytes& bytes) {
    loader.ReadChunks(ByteReader(bytes));
    return loader;
}

Bytes TracksSection(const std::vector<ItdbSong>& songs) {
    Bytes tracks = itdb::ListHeader("mhlt", static_cast<int32_t>(songs.size()));
    for (const ItdbSong& s : songs) Append(tracks, itdb::Track(s));
    return itdb::Section(1, tracks);
}

}  // namespace

TEST(ITunesDBReader, ReadsEveryTrackFieldAndKeepsEveryCharacter) {
    ItdbDatabase db;
    db.Songs.push_back(FullSong());
    ItdbSong second;
    second.Title = "Second";
    second.Id = 78;
    second.Size = 10;
    second.Length = 1500;
    db.Songs.push_back(second);
    TITunesDBLoader loader;
    Load(loader, BuildITunesDB(db));

    ASSERT_EQ(loader.Songs.GetCount(), 2);
    const TITBSongItem& s = *loader.Songs.GetItem(0);
    EXPECT_EQ(s.Title, "夜明けのスキャット");
    EXPECT_EQ(s.Location, ":iPod_Control:Music:F01:ABCD.mp3");
    EXPECT_EQ(s.Album, "Альбом");
    EXPECT_EQ(s.Artist, "アーティスト 🎸");
    EXPECT_EQ(s.Genre, "J-Pop");
    EXPECT_EQ(s.Kind, "MPEG オーディオファイル");
    EXPECT_EQ(s.Equalizer, "Rock");
    EXPECT_EQ(s.Comment, "한국어 코멘트");
    EXPECT_EQ(s.Composer, "作曲者");
    EXPECT_EQ(s.Grouping, "Ελληνικά");
    EXPECT_EQ(s.Id, 77);
    EXPECT_EQ(s.Rating, 80);
    EXPECT_DOUBLE_EQ(s.DateModified, 1463.0);
    EXPECT_EQ(s.Size, 4123456);
    EXPECT_EQ(s.Length, 245000);
    EXPECT_EQ(s.TrackNumber, 3);
    EXPECT_EQ(s.TrackCount, 12);
    EXPECT_EQ(s.Year, 1969);
    EXPECT_EQ(s.Bitrate, 192);
    EXPECT_EQ(s.SampleRate, 48000);  // the lower 16 bits of the word do not count
    EXPECT_EQ(s.Volume, -50);
    EXPECT_EQ(s.PlayCount, 9);
    EXPECT_DOUBLE_EQ(s.LastPlayed, 1465.0);
    EXPECT_EQ(s.DiscNumber, 1);
    EXPECT_EQ(s.DiscCount, 2);
    EXPECT_DOUBLE_EQ(s.DateAdded, 1464.5);
    EXPECT_DOUBLE_EQ(s.ExtraDate, 1466.0);
    EXPECT_EQ(s.DatabaseId, 0x1122334455667788LL);
    EXPECT_EQ(s.ArtworkCount, 2);
    EXPECT_EQ(s.ArtworkSize, 30000);
    EXPECT_FALSE(s.IsVideo);
    EXPECT_EQ(loader.TotalSize, 4123456 + 10);
    EXPECT_EQ(loader.TotalTime, 245000 + 1500);
    EXPECT_EQ(loader.State, 2);
}

TEST(ITunesDBReader, DatesCountSecondsFrom1904) {
    EXPECT_DOUBLE_EQ(ItunesDate(0), 1462.0);
    EXPECT_DOUBLE_EQ(ItunesDate(86400), 1463.0);
    const TDateParts p = DecodeDateTime(ItunesDate(0));
    EXPECT_EQ(p.year, 1904);
    EXPECT_EQ(p.month, 1);
    EXPECT_EQ(p.day, 1);
    EXPECT_EQ(p.hour, 0);
    EXPECT_GT(ItunesDate(0xFFFFFFFFu), ItunesDate(0x7FFFFFFFu));  // unsigned: no date before 1904
}

TEST(ITunesDBReader, VideoTestByMediaTypeAndFileType) {
    struct Case {
        uint32_t media, fileType;
        bool video;
    } cases[] = {{0, 0x4D345620, false}, {5, 0x4D345620, true}, {5, 0x4D503320, false}, {2, 0, true},
                 {6, 0, true},           {32, 0, true},         {64, 0, true},          {96, 0, true},
                 {1, 0x4D345620, false}, {4, 0, false},         {8, 0x4D345620, false}};
    ItdbDatabase db;
    for (const Case& c : cases) {
        ItdbSong s;
        s.MediaType = c.media;
        s.FileType = c.fileType;
        db.Songs.push_back(s);
    }
    TITunesDBLoader loader;
    Load(loader, BuildITunesDB(db));
    ASSERT_EQ(loader.Songs.GetCount(), static_cast<int32_t>(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(loader.Songs.GetItem(static_cast<int32_t>(i))->IsVideo, cases[i].video) << "case " << i;
    }
    EXPECT_EQ(loader.Songs.GetVideoCount(), 6);
}

TEST(ITunesDBReader, SectionsOfOtherTypesArePassedOverWhole) {
    ItdbSong hidden;
    hidden.Title = "inside type 3";
    // A type-3 section holding what looks like a track: it must not be read.
    Bytes only3 = itdb::FileHeader(itdb::Section(3, itdb::Track(hidden)), 1);
    TITunesDBLoader loader;
    Load(loader, only3);
    EXPECT_EQ(loader.Songs.GetCount(), 0);
    EXPECT_EQ(loader.PlayLists.GetCount(), 0);
    EXPECT_EQ(loader.State, 3);

    ItdbSong visible;
    visible.Title = "visible";
    ItdbPlayList list;
    list.Title = "List";
    Bytes sections = TracksSection({visible});
    Append(sections, itdb::Section(3, itdb::Track(hidden)));
    Bytes lists = itdb::ListHeader("mhlp", 1);
    Append(lists, itdb::PlayList(list));
    Append(sections, itdb::Section(2, lists));
    TITunesDBLoader mixed;
    Load(mixed, itdb::FileHeader(sections, 3));
    ASSERT_EQ(mixed.Songs.GetCount(), 1);
    EXPECT_EQ(mixed.Songs.GetItem(0)->Title, "visible");
    ASSERT_EQ(mixed.PlayLists.GetCount(), 1);
    EXPECT_EQ(mixed.PlayLists.GetItem(0)->Title, "List");
}

TEST(ITunesDBReader, StringRecordsOverwriteAndPositionRecordsAreSkipped) {
    ItdbSong s;
    s.Location = ":first";
    s.ExtraStrings = {{2, ":second"}, {9, "ignored type"}, {14, "ignored too"}};
    Bytes track = itdb::Track(s);
    Append(track, itdb::StringRecord(1, "position record", 100));
    Bytes file = itdb::FileHeader(itdb::Section(1, Cat(itdb::ListHeader("mhlt", 1), track)), 1);
    TITunesDBLoader loader;
    Load(loader, file);
    ASSERT_EQ(loader.Songs.GetCount(), 1);
    EXPECT_EQ(loader.Songs.GetItem(0)->Location, ":second");
    EXPECT_EQ(loader.Songs.GetItem(0)->Title, "");
    EXPECT_EQ(loader.Songs.GetItem(0)->Comment, "");
}

TEST(ITunesDBReader, RecordsBeforeTheirOwnerAreIgnored) {
    Bytes tracks = itdb::ListHeader("mhlt", 0);
    Append(tracks, itdb::StringRecord(1, "orphan title"));
    Bytes lists = itdb::ListHeader("mhlp", 0);
    Append(lists, itdb::StringRecord(1, "orphan playlist title"));
    Append(lists, itdb::SmartRulesRecord({{15, 0, "abc", 0}}));
    Bytes sections = itdb::Section(1, tracks);
    Append(sections, itdb::Section(2, lists));
    TITunesDBLoader loader;
    Load(loader, itdb::FileHeader(sections, 2));
    EXPECT_EQ(loader.Songs.GetCount(), 0);
    EXPECT_EQ(loader.PlayLists.GetCount(), 0);
}

TEST(ITunesDBReader, PlaylistsKeepOrderTitlesCountsAndIds) {
    ItdbDatabase db;
    db.Songs.resize(3);
    for (int i = 0; i < 3; ++i) db.Songs[static_cast<size_t>(i)].Id = 100 + i;
    const char* titles[] = {"ライブラリ", "Favourites", "Пусто"};
    for (int i = 0; i < 3; ++i) {
        ItdbPlayList p;
        p.Title = titles[i];
        p.Id = (int64_t{0x7766} << 32) | (0x10 + i);
        p.Master = i == 0;
        for (int t = 0; t < 3 - i; ++t) p.TrackIds.push_back(100 + t);
        db.PlayLists.push_back(p);
    }
    TITunesDBLoader loader;
    Load(loader, BuildITunesDB(db));
    EXPECT_EQ(loader.PlayLists.DeclaredCount, 3);
    ASSERT_EQ(loader.PlayLists.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const TITBPlayListData* p = loader.PlayLists.GetItem(i);
        EXPECT_EQ(p->Title, titles[i]);
        EXPECT_EQ(p->ItemCount, 3 - i);
        EXPECT_EQ(p->Id, 0x10 + i);
        EXPECT_EQ(p->Rules.GetCount(), 0);
        EXPECT_TRUE(p->Tracks.empty());
    }
}

TEST(ITunesDBReader, SmartRulesAreBigEndianAndOnlyTextRulesCarryText) {
    ItdbDatabase db;
    ItdbPlayList text;
    text.Title = "Smart";
    text.Smart = true;
    text.Prefs.LiveUpdate = 1;
    text.Prefs.CheckRules = 1;
    text.Prefs.CheckLimits = 1;
    text.Prefs.LimitType = 3;
    text.Prefs.LimitSort = 2;
    text.Prefs.LimitValue = 25;
    text.Prefs.MatchChecked = 1;
    text.Prefs.ReverseSort = 1;
    text.Rules = {{15, 0x01000002, "abc", 0}, {4, 0x01000002, "second rule", 0}};
    ItdbPlayList numeric;
    numeric.Title = "Numeric";
    numeric.Smart = true;
    numeric.Rules = {{14, 0x01000002, "comment rule", 0}};
    ItdbPlayList japanese;
    japanese.Title = "日本";
    japanese.Smart = true;
    japanese.Rules = {{4, 0x01000002, "宇多田ヒカル", 0}};
    db.PlayLists = {text, numeric, japanese};
    TITunesDBLoader loader;
    Load(loader, BuildITunesDB(db));
    ASSERT_EQ(loader.PlayLists.GetCount(), 3);

    const TITBSmartPlayLists& rules = loader.PlayLists.GetItem(0)->Rules;
    ASSERT_EQ(rules.GetCount(), 1);  // only the first rule of a record
    EXPECT_EQ(rules.GetItem(0)->Value, "abc");
    EXPECT_EQ(rules.Prefs.Bytes[0], 1);
    EXPECT_EQ(rules.Prefs.Bytes[2], 1);
    EXPECT_EQ(rules.Prefs.Bytes[3], 3);
    EXPECT_EQ(rules.Prefs.Bytes[4], 2);
    EXPECT_EQ(rules.Prefs.Value, 25);
    EXPECT_EQ(rules.Prefs.Tail[0], 1);
    EXPECT_EQ(rules.Prefs.Tail[1], 1);

    ASSERT_EQ(loader.PlayLists.GetItem(1)->Rules.GetCount(), 1);
    EXPECT_EQ(loader.PlayLists.GetItem(1)->Rules.GetItem(0)->Value, "");  // kind 14 carries no text
    EXPECT_EQ(loader.PlayLists.GetItem(2)->Rules.GetItem(0)->Value, "宇多田ヒカル");
}

TEST(ITunesDBReader, RuleTextNeverReachesPastItsRecord) {
    ItdbPlayList p;
    p.Title = "Smart";
    p.Smart = true;
    p.Rules = {{15, 0x01000002, "abc", 0}};
    Bytes rules = itdb::SmartRulesRecord(p.Rules);
    // The rule's length word (file offset 212 of the record) claims far more than is there.
    itdb::PutU32BE(rules, 212, 0x7FFFFFF0);
    Bytes after = itdb::StringRecord(1, "ZZ");  // the next record must not end up in the rule
    Bytes lists = itdb::ListHeader("mhlp", 1);
    Bytes playlist = itdb::Chunk("mhyp", 0x6C);
    Append(lists, playlist);
    Append(lists, rules);
    Append(lists, after);
    TITunesDBLoader loader;
    Load(loader, itdb::FileHeader(itdb::Section(2, lists), 1));
    ASSERT_EQ(loader.PlayLists.GetCount(), 1);
    ASSERT_EQ(loader.PlayLists.GetItem(0)->Rules.GetCount(), 1);
    EXPECT_EQ(loader.PlayLists.GetItem(0)->Rules.GetItem(0)->Value, "abc");
    EXPECT_EQ(loader.PlayLists.GetItem(0)->Title, "ZZ");

    // The same record cut off inside its text: what is there is read, nothing beyond.
    Bytes cut = itdb::FileHeader(itdb::Section(2, lists), 1);
    const size_t ruleText = cut.size() - after.size() - 6;
    cut.resize(ruleText + 2);
    TITunesDBLoader truncated;
    Load(truncated, cut);
    ASSERT_EQ(truncated.PlayLists.GetCount(), 1);
    EXPECT_EQ(truncated.PlayLists.GetItem(0)->Rules.GetItem(0)->Value, "a");
}

TEST(ITunesDBReader, HeaderLengthOf65535EndsTheWalkQuietly) {
    ItdbDatabase db;
    db.Songs.resize(2);
    db.Songs[0].Size = 100;
    Bytes file = BuildITunesDB(db);
    itdb::PutU32(file, 0x68 + 4, 0xFFFF);  // the header length of the second chunk, the first section
    TITunesDBLoader loader;
    Load(loader, file);
    EXPECT_EQ(loader.Songs.GetCount(), 0);
    EXPECT_EQ(loader.State, 0);

    // A negative length is no shorter: it ends the walk too, instead of going backwards.
    Bytes negative = BuildITunesDB(db);
    const size_t secondTrack = 0x68 + 0x60 + 0x5C + itdb::Track(db.Songs[0]).size();
    itdb::PutU32(negative, secondTrack + 4, 0xFFFFFF00);
    TITunesDBLoader stopped;
    Load(stopped, negative);
    EXPECT_EQ(stopped.Songs.GetCount(), 1);
    EXPECT_EQ(stopped.TotalSize, 100);
}

TEST(ITunesDBReader, ZeroLengthsEndTheWalkAfterTheChunk) {
    ItdbDatabase db;
    db.Songs.resize(3);
    Bytes file = BuildITunesDB(db);
    const size_t firstTrack = 0x68 + 0x60 + 0x5C;
    itdb::PutU32(file, firstTrack + 4, 0);  // header length 0: the track is read, then the walk ends
    TITunesDBLoader loader;
    Load(loader, file);
    EXPECT_EQ(loader.Songs.GetCount(), 1);

    ItdbSong s;
    s.Title = "T";
    s.Artist = "A";
    Bytes track = itdb::Track(s);
    itdb::PutU32(track, 0x184 + 8, 0);  // the title record's total length 0
    Bytes zeroTotal = itdb::FileHeader(itdb::Section(1, Cat(itdb::ListHeader("mhlt", 1), track)), 1);
    TITunesDBLoader second;
    Load(second, zeroTotal);
    ASSERT_EQ(second.Songs.GetCount(), 1);
    EXPECT_EQ(second.Songs.GetItem(0)->Title, "T");
    EXPECT_EQ(second.Songs.GetItem(0)->Artist, "");
}

TEST(ITunesDBReader, ShortTrackHeaderTakesFieldsFromTheBytesThatFollow) {
    ItdbSong s;
    s.Id = 5;
    s.Size = 1234;
    s.MediaType = 2;
    Bytes track = itdb::Track(s, 0x40);  // header ends at 64: Size (36) is inside, the rest follows
    Bytes file = itdb::FileHeader(itdb::Section(1, Cat(itdb::ListHeader("mhlt", 1), track)), 1);
    TITunesDBLoader loader;
    Load(loader, file);
    ASSERT_EQ(loader.Songs.GetCount(), 1);
    EXPECT_EQ(loader.Songs.GetItem(0)->Id, 5);
    EXPECT_EQ(loader.Songs.GetItem(0)->Size, 1234);
    EXPECT_FALSE(loader.Songs.GetItem(0)->IsVideo);  // offset 208 lies past the data: media type 0
}

TEST(ITunesDBReader, TextLengthsOutOfRangeAreNotRead) {
    ItdbSong s;
    Bytes track = itdb::Track(s);
    Append(track, itdb::StringRecordRaw(1, {'A', 0}, 0x10000));
    Append(track, itdb::StringRecordRaw(4, {'B', 0}, 0xFFFFFFFE));
    Append(track, itdb::StringRecordRaw(3, {'C', 0, 'D', 0}, 3));  // odd length: the last byte meets the padding
    Bytes file = itdb::FileHeader(itdb::Section(1, Cat(itdb::ListHeader("mhlt", 1), track)), 1);
    TITunesDBLoader loader;
    Load(loader, file);
    ASSERT_EQ(loader.Songs.GetCount(), 1);
    EXPECT_EQ(loader.Songs.GetItem(0)->Title, "");
    EXPECT_EQ(loader.Songs.GetItem(0)->Artist, "");
    EXPECT_EQ(loader.Songs.GetItem(0)->Album, "CD");
}

TEST(ITunesDBReader, AlbumSectionRecordsApplyToTheSongReadLast) {
    ItdbDatabase db;
    ItdbSong a;
    a.Title = "first";
    a.Album = "Album";
    ItdbSong b;
    b.Title = "last";
    b.Album = "Other";
    db.Songs = {a, b};
    db.AlbumSection = true;  // its records are of types 200 and above: nothing changes
    TITunesDBLoader loader;
    Load(loader, BuildITunesDB(db));
    EXPECT_EQ(loader.State, 4);
    ASSERT_EQ(loader.Songs.GetCount(), 2);
    EXPECT_EQ(loader.Songs.GetItem(1)->Album, "Other");

    Bytes albums = itdb::ListHeader("mhla", 1);
    Append(albums, itdb::Chunk("mhia", 0x58));
    Append(albums, itdb::StringRecord(5, "Genre from the album list"));
    Bytes sections = TracksSection({a, b});
    Append(sections, itdb::Section(4, albums));
    TITunesDBLoader odd;
    Load(odd, itdb::FileHeader(sections, 2));
    EXPECT_EQ(odd.Songs.GetItem(0)->Genre, "");
    EXPECT_EQ(odd.Songs.GetItem(1)->Genre, "Genre from the album list");
}

TEST(ITunesDBReader, LoadAddsToWhatIsHeldUntilCleared) {
    TempDir dir;
    ItdbDatabase db;
    db.Songs.resize(2);
    db.PlayLists.resize(1);
    const std::string path = WriteITunesDB(dir / "iTunesDB", db);
    TITunesDBLoader loader;
    loader.LoadFromFile(path);
    loader.LoadFromFile(path);
    EXPECT_EQ(loader.Songs.GetCount(), 4);
    EXPECT_EQ(loader.PlayLists.GetCount(), 2);
    loader.Clear();
    loader.LoadFromFile(path);
    EXPECT_EQ(loader.Songs.GetCount(), 2);
    EXPECT_THROW(loader.LoadFromFile(dir / "missing"), EFileError);
}

TEST(ITunesDBReader, EveryTruncationOfAFileEndsQuietly) {
    ItdbDatabase db;
    db.Songs = {FullSong(), FullSong()};
    ItdbPlayList p;
    p.Title = "Smart";
    p.Smart = true;
    p.Rules = {{2, 0x01000002, "text", 0}};
    p.TrackIds = {77};
    db.PlayLists = {p};
    db.AlbumSection = true;
    const Bytes file = BuildITunesDB(db);
    int32_t lastCount = 0;
    for (size_t size = 0; size <= file.size(); ++size) {
        const Bytes prefix(file.begin(), file.begin() + static_cast<ptrdiff_t>(size));
        TITunesDBLoader loader;
        Load(loader, prefix);
        EXPECT_GE(loader.Songs.GetCount(), lastCount);  // a longer prefix never loses songs
        lastCount = loader.Songs.GetCount();
    }
    EXPECT_EQ(lastCount, 2);
}

TEST(ITunesDBReader, ZerosAndRandomBytesEndQuietly) {
    TITunesDBLoader zeros;
    Load(zeros, Bytes(100000, 0));
    EXPECT_EQ(zeros.Songs.GetCount(), 0);

    std::mt19937 random(1234);
    ItdbDatabase db;
    db.Songs = {FullSong()};
    db.PlayLists.resize(1);
    const Bytes valid = BuildITunesDB(db);
    for (int round = 0; round < 300; ++round) {
        Bytes noisy = valid;
        // Damage a few bytes of the lengths and types, where a walk can go wrong.
        for (int k = 0; k < 4; ++k) noisy[random() % noisy.size()] = static_cast<uint8_t>(random());
        TITunesDBLoader loader;
        Load(loader, noisy);
        EXPECT_LE(loader.Songs.GetCount(), static_cast<int32_t>(noisy.size() / 8));
    }
}

TEST(ITunesDBReader, TinyTrackChunksDoNotMakeASongEach) {
    // Ten thousand 8-byte track chunks: a walk that trusted each chunk's own length would make a
    // song of every one.
    Bytes tracks;
    for (int i = 0; i < 10000; ++i) {
        Bytes chunk = {'m', 'h', 'i', 't', 0, 0, 0, 0};
        itdb::PutU32(chunk, 4, 8);
        Append(tracks, chunk);
    }
    Bytes file = itdb::FileHeader(itdb::Section(1, Cat(itdb::ListHeader("mhlt", 10000), tracks)), 1);
    TITunesDBLoader loader;
    Load(loader, file);
    EXPECT_EQ(loader.Songs.GetCount(), 1);
}

TEST(ITunesDBReader, SongsNeverOutnumberTheShortestTrackHeadersTheFileHolds) {
    // A 16-byte section header, one track header of the shortest length the player writes, and
    // a second track beginning 155 bytes before the end: 311 bytes hold one such header only.
    Bytes file(16, 0);
    std::copy_n("mhsd", 4, file.begin());
    itdb::PutU32(file, 4, 16);
    itdb::PutU32(file, 12, 1);
    for (size_t length : {156, 139}) {
        Bytes track(length, 0);
        std::copy_n("mhit", 4, track.begin());
        itdb::PutU32(track, 4, 156);
        Append(file, track);
    }
    TITunesDBLoader loader;
    EXPECT_EQ(Load(loader, file).Songs.GetCount(), 1);
    // The bound counts from what the loader already holds.
    EXPECT_EQ(Load(loader, file).Songs.GetCount(), 2);
}
