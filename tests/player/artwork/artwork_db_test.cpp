#include "player/artwork/artwork_db.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "tests/support/artwork_db_writer.h"
#include "tests/support/temp_dir.h"

using namespace artdb;

namespace {

// A loader that records the messages it would show.
struct RecordingLoader {
    RecordingLoader() {
        loader.OnShowMessage = [this](const std::string& msg) { messages.push_back(msg); };
    }
    void Parse(const Bytes& data) { loader.ParseStream(data); }
    TArtworkDBLoader loader;
    std::vector<std::string> messages;
};

// A database of the given data sets.
Bytes Db(std::initializer_list<Bytes> sets) {
    Bytes all;
    for (const Bytes& s : sets) Append(all, s);
    return FileHeader(all, static_cast<uint32_t>(sets.size()), 100);
}

Bytes ThumbEntry(uint32_t id, uint64_t song, uint16_t width, uint32_t size = 100) {
    return ImageEntry(id, song, Container(2, PictureHeader(1, 0, size, width, 10, 0, 0, ":F1.ithmb")), 1);
}

Bytes Images(std::initializer_list<Bytes> entries) {
    Bytes all;
    for (const Bytes& e : entries) Append(all, e);
    return DataSet(1, ListChunk("mhli", static_cast<uint32_t>(entries.size()), all));
}

Bytes Albums(std::initializer_list<Bytes> albums) {
    Bytes all;
    for (const Bytes& a : albums) Append(all, a);
    return DataSet(2, ListChunk("mhla", static_cast<uint32_t>(albums.size()), all));
}

}  // namespace

TEST(ArtworkDB, SizeAndFirstTagDecideWhetherTheFileIsRead) {
    RecordingLoader r;
    Bytes small(100, 0);
    std::copy_n("mhfd", 4, small.begin());
    r.Parse(small);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "ファイルが不正です");

    Bytes exact(101, 0);
    std::copy_n("mhfd", 4, exact.begin());
    PutU32(exact, 4, 101);
    r.Parse(exact);
    EXPECT_EQ(r.messages.size(), 1u);  // parsed quietly: nothing in it

    Bytes wrong = Db({Images({ThumbEntry(1, 0, 10)})});
    wrong[3] = 'x';
    r.Parse(wrong);
    ASSERT_EQ(r.messages.size(), 2u);
    EXPECT_EQ(r.messages[1], "ArtwokDBではないファイルが読み込まれました");
    EXPECT_EQ(r.loader.Items.GetCount(), 0);

    // Without a window nothing is shown and nothing raised.
    TArtworkDBLoader quiet;
    EXPECT_NO_THROW(quiet.ParseStream(small));
}

TEST(ArtworkDB, ReadsEntriesThumbnailsPhotosAndAlbums) {
    Bytes photo_children;
    Append(photo_children, Container(2, PictureHeader(1020, 8, 22880, 130, 88, 0, 0, ":Thumbs:F1020_1.ithmb")));
    Append(photo_children, Container(5, PictureHeader(1, 0, 123456, 0, 0, 0, 0, ":Full Resolution:2024:a.jpg")));
    const Bytes db = Db({Images({ImageEntry(7, 0x1122334455667788ull, photo_children, 2)}),
                         Albums({Album("Photo Library", 1, {7}), Album("旅行", 2, {7, 7})})});
    RecordingLoader r;
    r.Parse(db);
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(r.loader.Items.GetCount(), 1);
    const TArtItem* item = r.loader.GetItem(0);
    EXPECT_EQ(item->ImageId, 7u);
    EXPECT_EQ(item->SongId, 0x1122334455667788ull);
    EXPECT_EQ(item->PhotoName, "/Full Resolution/2024/a.jpg");
    EXPECT_EQ(item->FullSize, 123456);
    ASSERT_EQ(item->Images.GetCount(), 1);
    const TArtImageObject* t = item->Images.GetItem(0);
    EXPECT_EQ(t->FileName, "/Thumbs/F1020_1.ithmb");
    EXPECT_EQ(t->Offset, 8);
    EXPECT_EQ(t->ByteSize, 22880);
    EXPECT_EQ(t->Width, 130);
    EXPECT_EQ(t->Height, 88);
    EXPECT_FALSE(t->Crop);
    EXPECT_EQ(r.loader.GetItem(1), nullptr);
    EXPECT_EQ(r.loader.GetItem(-1), nullptr);

    ASSERT_EQ(r.loader.Albums.GetCount(), 2);
    EXPECT_EQ(r.loader.Albums.GetItem(0)->FName, "Photo Library");
    EXPECT_EQ(r.loader.Albums.GetItem(0)->FKind, 1);
    EXPECT_EQ(r.loader.Albums.GetItem(1)->FName, "旅行");
    EXPECT_EQ(r.loader.Albums.GetItem(1)->Count(), 2);
    EXPECT_EQ(r.loader.Albums.GetItem(2), nullptr);
    std::vector<std::pair<std::string, int32_t>> rows;
    r.loader.Albums.FillListView([&](const std::string& c, int32_t k) { rows.emplace_back(c, k); });
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, int32_t>>{{"Photo Library", 1}, {"旅行", 2}}));
}

TEST(ArtworkDB, StringEncodingsKeepEveryCharacter) {
    auto name_of = [](const Bytes& string_chunk) {
        Bytes header = PictureHeader(1, 0, 10, 4, 4, 0, 0, "");
        PutU32(header, 8, static_cast<uint32_t>(header.size() + string_chunk.size()));
        Append(header, string_chunk);
        RecordingLoader r;
        r.Parse(Db({Images({ImageEntry(1, 0, Container(2, header), 1)})}));
        return r.loader.GetItem(0)->Images.GetItem(0)->FileName;
    };
    EXPECT_EQ(name_of(StringChunk(":F1:日本.ithmb", 1)), "/F1/日本.ithmb");
    EXPECT_EQ(name_of(StringChunk(":F1:日本.ithmb", 2)), "/F1/日本.ithmb");
    EXPECT_EQ(name_of(StringChunk(":a", 0)), "/a");
    EXPECT_EQ(name_of(StringChunk(":a", 7)), "");
    // Both encodings keep characters that code page 932 cannot hold (a photo named so must
    // still be found), also a pair of UTF-16 surrogates.
    EXPECT_EQ(name_of(StringChunk("😀あé", 2)), "😀あé");
    EXPECT_EQ(name_of(StringChunk("😀あé", 0)), "😀あé");
    EXPECT_EQ(name_of(StringChunk("😀あ", 1)), "😀あ");
    // Both stop at the first zero.
    EXPECT_EQ(name_of(StringChunk(std::string("ab\0cd", 5), 1)), "ab");
    EXPECT_EQ(name_of(StringChunk(std::string("ab\0cd", 5), 2)), "ab");
    // A length beyond the file takes what is there; broken UTF-8 becomes replacement characters.
    EXPECT_EQ(name_of(StringChunk("a\xff", 1)), "a\xEF\xBF\xBD");
}

TEST(ArtworkDB, WidthRuleEvensOutOddStoredWidths) {
    auto thumb = [](uint16_t width, uint16_t height, int16_t hpad, int16_t vpad, uint32_t size) {
        RecordingLoader r;
        r.Parse(Db(
            {Images({ImageEntry(1, 0, Container(2, PictureHeader(1, 0, size, width, height, hpad, vpad, ":F")), 1)})}));
        return *r.loader.GetItem(0)->Images.GetItem(0);
    };
    const TArtImageObject narrower = thumb(40, 41, 1, 0, 3280);  // stored 41 x 41, 40 x 41 x 2 bytes
    EXPECT_EQ(narrower.StoredWidth, 41);
    EXPECT_EQ(narrower.StoredHeight, 41);
    EXPECT_EQ(narrower.Width, 40);
    EXPECT_TRUE(narrower.Crop);
    const TArtImageObject wider = thumb(40, 41, 1, 0, 3444);
    EXPECT_EQ(wider.Width, 42);
    EXPECT_TRUE(wider.Crop);
    const TArtImageObject even = thumb(42, 30, -2, 5, 0);  // padding is signed
    EXPECT_EQ(even.StoredWidth, 40);
    EXPECT_EQ(even.Width, 40);
    EXPECT_EQ(even.Height, 35);
    EXPECT_FALSE(even.Crop);
}

TEST(ArtworkDB, LookupsByWidthIdAndSong) {
    RecordingLoader r;
    Bytes children;
    for (uint16_t w : {140, 42, 320, 42}) Append(children, Container(2, PictureHeader(1, 0, 100, w, 10, 0, 0, ":F")));
    r.Parse(Db({Images({ImageEntry(5, 9, children, 4), ThumbEntry(5, 9, 10), ThumbEntry(6, 9, 10),
                        ThumbEntry(8, 0, 691200 / 1000, 691200)})}));
    ASSERT_EQ(r.loader.Items.GetCount(), 4);
    const TArtItem* first = r.loader.GetItem(0);
    EXPECT_EQ(first->GetImageByWidth(-1), first->Images.GetItem(1));  // the first 42
    EXPECT_EQ(first->GetImageByWidth(0), first->Images.GetItem(2));
    EXPECT_EQ(first->GetImageByWidth(200), first->Images.GetItem(0));
    EXPECT_EQ(first->GetImageByWidth(320), first->Images.GetItem(2));
    EXPECT_EQ(first->GetImageByWidth(30), nullptr);
    // The full-screen picture is never chosen, even alone.
    EXPECT_EQ(r.loader.GetItem(3)->GetImageByWidth(0), nullptr);
    EXPECT_EQ(r.loader.GetItem(3)->GetImageByWidth(-1), nullptr);

    EXPECT_EQ(r.loader.Items.FindByID(5), r.loader.GetItem(1));  // the later one
    EXPECT_EQ(r.loader.FindBySongID(9), r.loader.GetItem(0));    // the earlier one
    EXPECT_EQ(r.loader.Items.FindByID(99), nullptr);
    EXPECT_EQ(r.loader.FindBySongID(0x100000009ull), nullptr);  // both words must match
    std::vector<std::string> ids{"old"};
    r.loader.Items.GetIDList(ids);
    EXPECT_EQ(ids, (std::vector<std::string>{"5", "5", "6", "8"}));
}

TEST(ArtworkDB, AlbumIdsByName) {
    RecordingLoader r;
    r.Parse(Db({Albums({Album("", 1, {1}), Album("夏", 2, {2, 3}), Album("夏", 2, {4}), Album("冬", 2, {})})}));
    std::vector<std::string> ids{"x"};
    r.loader.Albums.GetAlbumImageIDs("", ids);
    EXPECT_EQ(ids, std::vector<std::string>{"x"});  // an empty name matches nothing
    r.loader.Albums.GetAlbumImageIDs("夏", ids);
    EXPECT_EQ(ids, std::vector<std::string>{"4"});  // the later album of the name
    r.loader.Albums.ListAlbumImageIDs("冬", ids);
    EXPECT_TRUE(ids.empty());
    ids = {"y"};
    r.loader.Albums.ListAlbumImageIDs("春", ids);
    EXPECT_EQ(ids, std::vector<std::string>{"y"});
}

TEST(ArtworkDB, DataSetsEndTheReading) {
    RecordingLoader r;
    // A file list (kind 3) ends the reading: the album list after it is not read.
    r.Parse(Db({Images({ThumbEntry(1, 0, 10)}), DataSet(3, ListChunk("mhlf", 0, {})), Albums({Album("a", 2, {1})})}));
    EXPECT_EQ(r.loader.Items.GetCount(), 1);
    EXPECT_EQ(r.loader.Albums.GetCount(), 0);

    // A chunk that is not a data set ends the reading quietly; what was read stays.
    Bytes broken = Images({ThumbEntry(1, 0, 10)});
    Bytes not_a_set = Albums({Album("a", 2, {1})});
    not_a_set[0] = 'X';
    r.Parse(Db({broken, not_a_set}));
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.loader.Items.GetCount(), 1);
    EXPECT_EQ(r.loader.Albums.GetCount(), 0);

    // Loading twice leaves exactly the second load.
    r.Parse(Db({Albums({Album("a", 2, {1}), Album("b", 2, {})})}));
    r.Parse(Db({Albums({Album("c", 2, {})})}));
    ASSERT_EQ(r.loader.Albums.GetCount(), 1);
    EXPECT_EQ(r.loader.Albums.GetItem(0)->FName, "c");
    EXPECT_EQ(r.loader.Items.GetCount(), 0);
}

TEST(ArtworkDB, ContainerStatesDecideWhatAPictureHeaderMeans) {
    // A picture header outside any container is skipped; a name before any picture header of
    // a thumbnail container belongs to nothing; an unknown child ends the entry.
    Bytes children = PictureHeader(1, 0, 10, 4, 4, 0, 0, ":lost");
    Append(children, Container(2, StringChunk(":orphan")));
    Append(children, PictureHeader(1, 0, 10, 6, 4, 0, 0, ":kept"));
    Bytes unknown = Container(9, StringChunk("x"));  // a container of another kind is skipped whole
    Append(children, unknown);
    Append(children, PictureHeader(1, 0, 10, 8, 4, 0, 0, ":still thumbnail state"));
    Bytes junk(24, 0);
    std::copy_n("mhzz", 4, junk.begin());
    Append(children, junk);
    Append(children, PictureHeader(1, 0, 10, 10, 4, 0, 0, ":after junk"));
    RecordingLoader r;
    r.Parse(Db({Images({ImageEntry(1, 0, children, 5), ThumbEntry(2, 0, 12)})}));
    ASSERT_EQ(r.loader.Items.GetCount(), 2);
    const TArtImageObjectList& images = r.loader.GetItem(0)->Images;
    ASSERT_EQ(images.GetCount(), 2);
    EXPECT_EQ(images.GetItem(0)->FileName, "/kept");
    EXPECT_EQ(images.GetItem(0)->Width, 6);
    EXPECT_EQ(images.GetItem(1)->Width, 8);
    EXPECT_EQ(r.loader.GetItem(1)->ImageId, 2u);
}

TEST(ArtworkDB, DamagedLengthsAndCountsEndWithoutLoopingOrReadingOutside) {
    const auto started = std::chrono::steady_clock::now();
    RecordingLoader r;
    // A data set of total length 0.
    Bytes set = Images({ThumbEntry(1, 0, 10)});
    PutU32(set, 8, 0);
    r.Parse(Db({set}));
    EXPECT_EQ(r.loader.Items.GetCount(), 1);

    // Counts far beyond the data.
    Bytes many = Images({ThumbEntry(1, 0, 10)});
    PutU32(many, 96 + 8, 0xFFFFFFFF);
    r.Parse(Db({many}));
    EXPECT_EQ(r.loader.Items.GetCount(), 1);
    Bytes albums = Albums({Album("a", 2, {1})});
    PutU32(albums, 96 + 8, 0xFFFFFFFF);
    PutU32(albums, 96 + 92 + 16, 0xFFFFFFFF);  // and items beyond the album
    r.Parse(Db({albums}));
    ASSERT_EQ(r.loader.Albums.GetCount(), 1);
    EXPECT_EQ(r.loader.Albums.GetItem(0)->Count(), 1);

    // An entry of length 0, an album item of header length 0, a string of total length 0.
    Bytes zero_entry = ThumbEntry(1, 0, 10);
    PutU32(zero_entry, 4, 0);
    PutU32(zero_entry, 8, 0);
    Bytes zero_set = Images({zero_entry});
    PutU32(zero_set, 96 + 8, 1000000);
    r.Parse(Db({zero_set}));
    EXPECT_EQ(r.loader.Items.GetCount(), 1);
    Bytes album = Album("a", 2, {5});
    PutU32(album, 148 + 40 + 4, 0);  // the mhia after the 40-byte title chunk
    PutU32(album, 16, 1000000);
    r.Parse(Db({Albums({album})}));
    ASSERT_EQ(r.loader.Albums.GetCount(), 1);
    EXPECT_EQ(r.loader.Albums.GetItem(0)->Count(), 1);
    Bytes name = StringChunk(":n");
    PutU32(name, 8, 0);
    Bytes header = PictureHeader(1, 0, 10, 4, 4, 0, 0, "");
    Append(header, name);
    r.Parse(Db({Images({ImageEntry(1, 0, Container(2, header), 1)})}));
    EXPECT_EQ(r.loader.Items.GetCount(), 1);

    // Offsets and lengths pointing far outside the file.
    Bytes outside = ThumbEntry(1, 0, 10);
    PutU32(outside, 4, 0xFFFFFFF0);
    PutU32(outside, 8, 0xFFFFFFFF);
    r.Parse(Db({Images({outside, ThumbEntry(2, 0, 10)})}));
    EXPECT_EQ(r.loader.Items.GetCount(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(ArtworkDB, ADamagedFileCannotMultiplyWhatItHolds) {
    // A thousand data sets of 16 bytes that all lead to one image list of an entry with 20
    // thumbnails: read as they point, they would make that entry a thousand times.
    Bytes children;
    for (uint16_t w = 1; w <= 20; ++w) Append(children, Container(2, PictureHeader(1, 0, 8, w, 2, 0, 0, ":F1.ithmb")));
    const Bytes list = ListChunk("mhli", 1, ImageEntry(7, 0, children, 20));
    constexpr uint32_t kSets = 1000;
    Bytes sets;
    for (uint32_t i = 0; i < kSets; ++i) {
        Bytes set(16, 0);
        std::copy_n("mhsd", 4, set.begin());
        PutU32(set, 4, (kSets - i) * 16);
        PutU32(set, 8, 16);
        PutU32(set, 12, 1);
        Append(sets, set);
    }
    Append(sets, list);
    const Bytes db = FileHeader(sets, kSets, 8);
    RecordingLoader r;
    r.Parse(db);
    ASSERT_GE(r.loader.Items.GetCount(), 1);
    EXPECT_EQ(r.loader.GetItem(0)->Images.GetCount(), 20);
    EXPECT_LE(r.loader.Items.GetCount() * (52 + 20 * 36), static_cast<int32_t>(db.size()));

    // A database beyond any player's is not read at all; the reason is told in Japanese.
    TempDir dir;
    const std::string big = dir / "ArtworkDB";
    dir.Write("ArtworkDB", std::string(db.begin(), db.end()));
    std::filesystem::resize_file(big, (uint64_t{64} << 20) + 1);
    try {
        r.loader.LoadFromFile(big);
        ADD_FAILURE() << "read a database of 64 MiB and more";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find("大きすぎます"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(r.loader.Items.GetCount(), 0);
}

TEST(ArtworkDB, LoadFromFileSetsTheFolderAndOpensThumbnailFiles) {
    TempDir dir;
    ArtworkDbWriter w;
    ArtworkTestImage& image = w.AddImage(1);
    w.AddRawThumbnail(image, ":Thumbs:F1019_1.ithmb", std::vector<uint8_t>(8, 0x11), 2, 2);
    w.AddRawThumbnail(image, ":..:secret", std::vector<uint8_t>(8, 0x33), 2, 2);
    w.AddRawThumbnail(image, ":Missing.ithmb", std::vector<uint8_t>(8, 0x44), 2, 2);
    const std::string db_path = w.WriteTo(dir / "Photos", "Photo DataBase");
    dir.Write("secret", std::string(8, 'S'));
    std::filesystem::remove(dir / "Photos/Missing.ithmb");
    // A thumbnail file planted as a link to a file outside the player is never opened.
    std::filesystem::create_symlink(dir / "secret", dir / "Photos/Linked.ithmb");

    TArtworkDBLoader loader;
    loader.LoadFromFile(db_path);
    EXPECT_EQ(loader.Folder, dir / "Photos/");
    ASSERT_EQ(loader.GetItem(0)->Images.GetCount(), 3);
    EXPECT_NE(loader.OpenThumbnailFile("/Thumbs/F1019_1.ithmb"), nullptr);
    EXPECT_NE(loader.OpenThumbnailFile("/THUMBS/f1019_1.ithmb"), nullptr);
    EXPECT_EQ(loader.OpenThumbnailFile("/../secret"), nullptr);
    EXPECT_EQ(loader.OpenThumbnailFile("/Linked.ithmb"), nullptr);
    EXPECT_EQ(loader.OpenThumbnailFile("/Thumbs"), nullptr);
    EXPECT_EQ(loader.OpenThumbnailFile(""), nullptr);
    TArtImageObject* missing = loader.GetItem(0)->Images.GetItem(2);
    missing->LoadBitmap();
    EXPECT_TRUE(missing->Bitmap.Empty());
    TArtImageObject* outside = loader.GetItem(0)->Images.GetItem(1);
    outside->LoadBitmap();
    EXPECT_TRUE(outside->Bitmap.Empty());

    // A later load of a file that cannot be read leaves the loader empty and says so.
    EXPECT_THROW(loader.LoadFromFile(dir / "nothing"), EFileError);
    EXPECT_EQ(loader.Items.GetCount(), 0);
}
