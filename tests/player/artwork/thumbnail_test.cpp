#include "player/artwork/thumbnail.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>

#include "player/artwork/artwork_db.h"
#include "player/artwork/decoded_pictures.h"
#include "player/artwork/jpeg_codec.h"
#include "player/artwork/pic_filters.h"
#include "tests/support/artwork_db_writer.h"
#include "tests/support/temp_dir.h"

namespace {

// A thumbnail over bytes in memory that counts how often its file is opened.
struct MemoryThumb {
    MemoryThumb(std::vector<uint8_t> file_bytes, int32_t offset, int32_t size, int32_t width, int32_t height)
        : bytes(std::move(file_bytes)) {
        thumb.Offset = offset;
        thumb.ByteSize = size;
        thumb.Width = thumb.StoredWidth = width;
        thumb.Height = thumb.StoredHeight = height;
        thumb.OnOpenFile = [this](const std::string&) -> std::unique_ptr<std::istream> {
            ++opens;
            return std::make_unique<std::istringstream>(std::string(bytes.begin(), bytes.end()));
        };
    }
    std::vector<uint8_t> bytes;
    TArtImageObject thumb;
    int opens = 0;
};

// Rows [from, to) of the bitmap are all blank.
bool RowsBlank(const Bitmap32& b, int32_t from, int32_t to) {
    for (int32_t y = from; y < to; ++y) {
        for (int32_t x = 0; x < b.Width(); ++x) {
            if (b.Pixel(x, y) != Bitmap32::kBlank) return false;
        }
    }
    return true;
}

// Largest difference of any colour channel between two pictures of one size.
int MaxChannelError(const Bitmap32& a, const Bitmap32& b) {
    int worst = 0;
    for (int32_t y = 0; y < a.Height(); ++y) {
        for (int32_t x = 0; x < a.Width(); ++x) {
            const uint32_t p = a.Pixel(x, y), q = b.Pixel(x, y);
            worst = std::max({worst, std::abs(Bitmap32::Red(p) - Bitmap32::Red(q)),
                              std::abs(Bitmap32::Green(p) - Bitmap32::Green(q)),
                              std::abs(Bitmap32::Blue(p) - Bitmap32::Blue(q))});
        }
    }
    return worst;
}

// A picture of smooth colour areas, which JPEG keeps close.
Bitmap32 SmoothPicture(int32_t width, int32_t height) {
    Bitmap32 b(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            b.SetPixel(x, y,
                       Bitmap32::Rgb(static_cast<uint8_t>(x * 255 / width), static_cast<uint8_t>(y * 255 / height),
                                     static_cast<uint8_t>((x + y) * 255 / (width + height))));
        }
    }
    return b;
}

}  // namespace

// Every format the player writes, stored through the database writer, read back through the
// loader and its thumbnail files, and compared pixel by pixel.
TEST(Thumbnail, EveryPixelFormatDecodesFromThePlayerFiles) {
    TempDir dir;
    ArtworkDbWriter w;
    struct Case {
        ThumbFormat format;
        int32_t width, height;
        uint32_t expected_size;  // 0: any
    };
    const Case cases[] = {
        {ThumbFormat::Rgb565BE, 50, 41, 4100},    {ThumbFormat::Rgb565BE, 130, 88, 22880},
        {ThumbFormat::Rgb565BE, 176, 132, 46464}, {ThumbFormat::Rgb565BE, 320, 240, 153600},
        {ThumbFormat::Rgb565LE, 176, 220, 77440}, {ThumbFormat::Sideways, 220, 176, 77440},
        {ThumbFormat::Bgrx32, 320, 240, 307200},  {ThumbFormat::Rgb565LE, 100, 100, 20000},
        {ThumbFormat::Rgb565LE, 56, 56, 6272},
    };
    std::vector<Bitmap32> pictures;
    uint32_t id = 1;
    for (const Case& c : cases) {
        pictures.push_back(MakeTestPicture(c.width, c.height, id));
        ArtworkTestImage& image = w.AddImage(id++);
        const ArtworkTestThumb& t =
            w.AddThumbnail(image, ":Thumbs:F10" + std::to_string(id % 3) + "_1.ithmb", pictures.back(), c.format);
        ASSERT_EQ(t.ByteSize, c.expected_size);
    }
    const Bitmap32 smooth = SmoothPicture(96, 64);
    w.AddThumbnail(w.AddImage(id++), ":Thumbs:F1_1.ithmb", smooth, ThumbFormat::Jpeg);

    TArtworkDBLoader loader;
    loader.LoadFromFile(w.WriteTo(dir / "Photos", "Photo DataBase"));
    ASSERT_EQ(loader.Items.GetCount(), static_cast<int32_t>(std::size(cases)) + 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        TArtImageObject* t = loader.GetItem(static_cast<int32_t>(i))->GetImageByWidth(0);
        ASSERT_NE(t, nullptr);
        t->LoadBitmap();
        EXPECT_EQ(t->Bitmap.PixelFormat, TPixelFormat::pf32bit);
        EXPECT_EQ(t->Bitmap.Width(), pictures[i].Width());
        EXPECT_EQ(t->Bitmap.Height(), pictures[i].Height());
        EXPECT_EQ(t->Bitmap.Pixels(), pictures[i].Pixels());
    }
    TArtImageObject* jpeg = loader.GetItem(static_cast<int32_t>(std::size(cases)))->GetImageByWidth(0);
    jpeg->LoadBitmap();
    EXPECT_EQ(jpeg->Bitmap.PixelFormat, TPixelFormat::pf24bit);
    ASSERT_EQ(jpeg->Bitmap.Width(), 96);
    ASSERT_EQ(jpeg->Bitmap.Height(), 64);
    EXPECT_LE(MaxChannelError(jpeg->Bitmap, smooth), 24);
}

TEST(Thumbnail, Rgb565ExpandsWithoutBitReplication) {
    // 0xFFFF is white in RGB565, but the low bits of each channel stay zero.
    MemoryThumb le({0xFF, 0xFF, 0x1F, 0x00, 0xE0, 0x07, 0x00, 0xF8}, 0, 8, 4, 1);
    le.thumb.LoadBitmap();
    ASSERT_EQ(le.thumb.Bitmap.Width(), 4);
    EXPECT_EQ(le.thumb.Bitmap.Pixel(0, 0), Bitmap32::Rgb(0xF8, 0xFC, 0xF8));
    EXPECT_EQ(le.thumb.Bitmap.Pixel(1, 0), Bitmap32::Rgb(0, 0, 0xF8));
    EXPECT_EQ(le.thumb.Bitmap.Pixel(2, 0), Bitmap32::Rgb(0, 0xFC, 0));
    EXPECT_EQ(le.thumb.Bitmap.Pixel(3, 0), Bitmap32::Rgb(0xF8, 0, 0));
    // In memory a pixel is blue, green, red, alpha on this machine.
    EXPECT_EQ(le.thumb.Bitmap.Bits()[4], 0xF8);
    EXPECT_EQ(le.thumb.Bitmap.Bits()[5], 0);
    EXPECT_EQ(le.thumb.Bitmap.Bits()[6], 0);
}

TEST(Thumbnail, ByteSizeAloneDecidesTheFormat) {
    // 4100 bytes are big-endian whatever the dimensions; 4102 bytes that are no JPEG are
    // little-endian.
    std::vector<uint8_t> data(4102, 0);
    data[0] = 0xF8;
    data[1] = 0x00;
    MemoryThumb be(data, 0, 4100, 10, 10);
    be.thumb.LoadBitmap();
    EXPECT_EQ(be.thumb.Bitmap.Pixel(0, 0), Bitmap32::Rgb(0xF8, 0, 0));
    MemoryThumb le(data, 0, 4102, 10, 10);
    le.thumb.LoadBitmap();
    EXPECT_EQ(le.thumb.Bitmap.Pixel(0, 0), Bitmap32::Rgb(0, 0x1C, 0xC0));

    // 77440 bytes with another stored width: 176 x 220 big-endian, turned to 220 x 176.
    const Bitmap32 landscape = MakeTestPicture(220, 176, 3);
    MemoryThumb sideways(EncodeThumbnail(landscape, ThumbFormat::Sideways), 0, 77440, 220, 176);
    sideways.thumb.LoadBitmap();
    EXPECT_EQ(sideways.thumb.Bitmap, landscape);

    // 307200 bytes at 320 x 250: 240 rows filled, the last 10 blank.
    const Bitmap32 picture = MakeTestPicture(320, 240, 4);
    MemoryThumb tall(EncodeThumbnail(picture, ThumbFormat::Bgrx32), 0, 307200, 320, 250);
    tall.thumb.LoadBitmap();
    ASSERT_EQ(tall.thumb.Bitmap.Height(), 250);
    EXPECT_EQ(tall.thumb.Bitmap.Pixel(319, 239), picture.Pixel(319, 239));
    EXPECT_TRUE(RowsBlank(tall.thumb.Bitmap, 240, 250));

    // Data that begins FF D8 and has none of the listed sizes is JPEG; it takes its own size.
    MemoryThumb jpeg(EncodeJpeg(SmoothPicture(24, 16), 90), 0, 0, 500, 500);
    jpeg.thumb.ByteSize = static_cast<int32_t>(jpeg.bytes.size());
    jpeg.thumb.LoadBitmap();
    EXPECT_EQ(jpeg.thumb.Bitmap.Width(), 24);
    EXPECT_EQ(jpeg.thumb.Bitmap.Height(), 16);
}

TEST(Thumbnail, OddWidthsAreCutBackAfterDecoding) {
    // Stored 41 x 41 (padding included) but written 42 wide: decoded 42 wide, cut to 41.
    const Bitmap32 wide = MakeTestPicture(42, 41, 5);
    TempDir dir;
    ArtworkDbWriter w;
    w.AddRawThumbnail(w.AddImage(1), ":F1.ithmb", EncodeThumbnail(wide, ThumbFormat::Rgb565LE), 40, 41, 1, 0);
    TArtworkDBLoader loader;
    loader.LoadFromFile(w.WriteTo(dir.Path(), "ArtworkDB"));
    TArtImageObject* t = loader.GetItem(0)->GetImageByWidth(0);
    ASSERT_TRUE(t->Crop);
    EXPECT_EQ(t->Width, 42);
    t->LoadBitmap();
    ASSERT_EQ(t->Bitmap.Width(), 41);
    ASSERT_EQ(t->Bitmap.Height(), 41);
    for (int32_t y = 0; y < 41; ++y) {
        for (int32_t x = 0; x < 41; ++x) ASSERT_EQ(t->Bitmap.Pixel(x, y), wide.Pixel(x, y));
    }
}

TEST(Thumbnail, DecodesOnceAndOnlyWhatTheFileHolds) {
    const Bitmap32 picture = MakeTestPicture(8, 4, 6);
    std::vector<uint8_t> file(10, 0xEE);
    const std::vector<uint8_t> pixels = EncodeThumbnail(picture, ThumbFormat::Rgb565LE);
    file.insert(file.end(), pixels.begin(), pixels.end());

    MemoryThumb once(file, 10, 64, 8, 4);
    once.thumb.LoadBitmap();
    once.thumb.LoadBitmap();
    EXPECT_EQ(once.opens, 1);
    EXPECT_EQ(once.thumb.Bitmap, picture);

    // The file ends after 2 rows and a half: 2 rows filled, the rest blank.
    MemoryThumb short_file(std::vector<uint8_t>(file.begin(), file.begin() + 10 + 40), 10, 64, 8, 4);
    short_file.thumb.LoadBitmap();
    ASSERT_EQ(short_file.thumb.Bitmap.Height(), 4);
    EXPECT_EQ(short_file.thumb.Bitmap.Pixel(7, 1), picture.Pixel(7, 1));
    EXPECT_TRUE(RowsBlank(short_file.thumb.Bitmap, 2, 4));

    // Nothing at the offset, a negative offset or size, no handler, no file: no picture.
    for (auto [offset, size] : {std::pair{1000, 64}, std::pair{-4, 64}, std::pair{10, -1}, std::pair{10, 0}}) {
        MemoryThumb none(file, offset, size, 8, 4);
        none.thumb.LoadBitmap();
        EXPECT_TRUE(none.thumb.Bitmap.Empty());
    }
    TArtImageObject unset;
    unset.Width = unset.Height = 4;
    unset.LoadBitmap();
    EXPECT_TRUE(unset.Bitmap.Empty());
    MemoryThumb missing(file, 10, 64, 8, 4);
    missing.thumb.OnOpenFile = [](const std::string&) { return std::unique_ptr<std::istream>(); };
    missing.thumb.LoadBitmap();
    EXPECT_TRUE(missing.thumb.Bitmap.Empty());
}

TEST(Thumbnail, HostileDimensionsAndDataStayHarmless) {
    // Dimensions of a damaged database do not turn into gigabytes of blank picture.
    MemoryThumb huge(std::vector<uint8_t>(64, 1), 0, 64, 65535, 65535);
    huge.thumb.LoadBitmap();
    EXPECT_TRUE(huge.thumb.Bitmap.Empty());
    MemoryThumb negative(std::vector<uint8_t>(64, 1), 0, 64, -8, 4);
    EXPECT_NO_THROW(negative.thumb.LoadBitmap());
    EXPECT_EQ(negative.thumb.Bitmap.Pixels().size(), 0u);

    // A broken JPEG: the error reaches the caller once, the picture stays blank at the stated
    // size and is not decoded again.
    std::vector<uint8_t> broken = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00};
    MemoryThumb jpeg(broken, 0, static_cast<int32_t>(broken.size()), 6, 5);
    EXPECT_THROW(jpeg.thumb.LoadBitmap(), EJpegError);
    EXPECT_EQ(jpeg.thumb.Bitmap.Width(), 6);
    EXPECT_TRUE(RowsBlank(jpeg.thumb.Bitmap, 0, 5));
    EXPECT_NO_THROW(jpeg.thumb.LoadBitmap());
    EXPECT_EQ(jpeg.opens, 1);
}

TEST(Thumbnail, ClaimsBeyondTheBytesCostNoMemory) {
    // 8191 x 8192 pixels over 2 bytes: no row is filled, no picture (not 256 MB of blank).
    MemoryThumb claim(std::vector<uint8_t>(2, 1), 0, 2, 8192, 8192);
    claim.thumb.StoredWidth = 8191;
    claim.thumb.Crop = true;
    claim.thumb.LoadBitmap();
    EXPECT_TRUE(claim.thumb.Bitmap.Empty());
    EXPECT_EQ(claim.thumb.Bitmap.Pixels().capacity(), 0u);
    // Bytes for one row of 100 pixels under a claim of 8000 rows: the row they fill.
    const Bitmap32 row = MakeTestPicture(100, 1, 8);
    MemoryThumb tall(EncodeThumbnail(row, ThumbFormat::Rgb565LE), 0, 200, 100, 8000);
    tall.thumb.LoadBitmap();
    EXPECT_EQ(tall.thumb.Bitmap, row);
    // The cut of an odd width never enlarges the picture to a damaged stored size.
    MemoryThumb cut(EncodeThumbnail(MakeTestPicture(4, 2, 9), ThumbFormat::Rgb565LE), 0, 16, 4, 2);
    cut.thumb.StoredWidth = 8191;
    cut.thumb.StoredHeight = 8192;
    cut.thumb.Crop = true;
    cut.thumb.LoadBitmap();
    EXPECT_EQ(cut.thumb.Bitmap.Width(), 5);
    EXPECT_EQ(cut.thumb.Bitmap.Height(), 2);
    // A stated size no thumbnail has decodes to nothing, however many bytes stand behind it.
    MemoryThumb huge(std::vector<uint8_t>(4096 * 1100 * 2, 1), 0, 4096 * 1100 * 2, 4096, 1100);
    huge.thumb.LoadBitmap();
    EXPECT_TRUE(huge.thumb.Bitmap.Empty());
}

TEST(Thumbnail, KeptPicturesStayWithinTheirBudget) {
    // Room for two 8 x 4 pictures: drawing a third lets go of the one drawn longest ago.
    const Bitmap32 picture = MakeTestPicture(8, 4, 6);
    std::deque<MemoryThumb> thumbs;  // never moved: each one's handler points at it
    for (int i = 0; i < 3; ++i) thumbs.emplace_back(EncodeThumbnail(picture, ThumbFormat::Rgb565LE), 0, 64, 8, 4);
    TDecodedPictures kept(2 * (8 * 4 * 4 + 96));
    kept.Use(thumbs[0].thumb);
    kept.Use(thumbs[1].thumb);
    kept.Use(thumbs[0].thumb);  // drawn again: now the newest
    kept.Use(thumbs[2].thumb);
    EXPECT_FALSE(thumbs[0].thumb.Bitmap.Empty());
    EXPECT_TRUE(thumbs[1].thumb.Bitmap.Empty());
    EXPECT_EQ(thumbs[2].thumb.Bitmap, picture);
    EXPECT_EQ(thumbs[0].opens, 1);
    // A picture let go is decoded again when it is drawn again.
    kept.Use(thumbs[1].thumb);
    EXPECT_EQ(thumbs[1].thumb.Bitmap, picture);
    EXPECT_EQ(thumbs[1].opens, 2);
    // A picture larger than the whole budget is still drawn.
    TDecodedPictures tiny(1);
    tiny.Use(thumbs[2].thumb);
    EXPECT_FALSE(thumbs[2].thumb.Bitmap.Empty());

    // The loader forgets its kept pictures with the entries they belong to.
    ArtworkDbWriter w;
    w.AddThumbnail(w.AddImage(1), ":F1.ithmb", picture, ThumbFormat::Rgb565LE);
    TempDir dir;
    TArtworkDBLoader loader;
    loader.LoadFromFile(w.WriteTo(dir.Path(), "ArtworkDB"));
    loader.Pictures.Use(*loader.GetItem(0)->GetImageByWidth(-1));
    EXPECT_GT(loader.Pictures.Bytes(), 0u);
    loader.Clear();
    EXPECT_EQ(loader.Pictures.Bytes(), 0u);
}

TEST(Thumbnail, CutKeepsTheRectangleAndLeavesTheRestBlank) {
    const Bitmap32 picture = MakeTestPicture(4, 3, 7);
    Bitmap32 b = picture;
    CutBitmap(1, 1, 2, 2, b);
    ASSERT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Pixel(0, 0), picture.Pixel(1, 1));
    EXPECT_EQ(b.Pixel(1, 1), picture.Pixel(2, 2));
    b = picture;
    CutBitmap(0, 0, 6, 2, b);
    EXPECT_EQ(b.Pixel(3, 1), picture.Pixel(3, 1));
    EXPECT_EQ(b.Pixel(5, 0), Bitmap32::kBlank);
}

TEST(Thumbnail, CutOnePastTheRightEdgeTakesNothingFromTheNextRow) {
    // A damaged database may ask for one column more than was decoded (the odd-width cut).
    const Bitmap32 picture = MakeTestPicture(4, 3, 7);
    Bitmap32 b = picture;
    CutBitmap(0, 0, 5, 3, b);
    for (int32_t y = 0; y < 3; ++y) EXPECT_EQ(b.Pixel(4, y), Bitmap32::kBlank) << "row " << y;
}

TEST(PicFilters, Rotate90TurnsClockwise) {
    const uint32_t A = Bitmap32::Rgb(1, 0, 0), B = Bitmap32::Rgb(2, 0, 0), C = Bitmap32::Rgb(3, 0, 0),
                   D = Bitmap32::Rgb(4, 0, 0);
    TTolvPicFilters filters;
    std::vector<std::pair<int32_t, int32_t>> calls;
    filters.OnProgress = [&](int32_t pos, int32_t max) { calls.emplace_back(pos, max); };

    Bitmap32 row(2, 1);
    row.SetPixel(0, 0, A);
    row.SetPixel(1, 0, B);
    ASSERT_TRUE(filters.Rotate90(row));
    ASSERT_EQ(row.Width(), 1);
    ASSERT_EQ(row.Height(), 2);
    EXPECT_EQ(row.Pixel(0, 0), A);
    EXPECT_EQ(row.Pixel(0, 1), B);

    Bitmap32 square(2, 2, TPixelFormat::pf24bit);
    square.SetPixel(0, 0, A);
    square.SetPixel(1, 0, B);
    square.SetPixel(0, 1, C);
    square.SetPixel(1, 1, D);
    ASSERT_TRUE(filters.Rotate90(square));
    EXPECT_EQ(square.PixelFormat, TPixelFormat::pf24bit);
    EXPECT_EQ(square.Pixel(0, 0), C);
    EXPECT_EQ(square.Pixel(1, 0), A);
    EXPECT_EQ(square.Pixel(0, 1), D);
    EXPECT_EQ(square.Pixel(1, 1), B);
    EXPECT_EQ(calls, (std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {0, 2}, {1, 2}}));

    // A bitmap nothing has set up is not turned.
    Bitmap32 device;
    device.SetSize(3, 1);
    EXPECT_FALSE(filters.Rotate90(device));
    EXPECT_EQ(device.Width(), 3);
}
