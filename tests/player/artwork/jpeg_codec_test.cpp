#include "player/artwork/jpeg_codec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "foundation/file_read.h"
#include "tests/support/temp_dir.h"

namespace {

Bitmap32 Gradient(int32_t width, int32_t height) {
    Bitmap32 b(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            b.SetPixel(x, y,
                       Bitmap32::Rgb(static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4),
                                     static_cast<uint8_t>(128 + (x + y) / 2)));
        }
    }
    return b;
}

int MaxError(const Bitmap32& a, const Bitmap32& b) {
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

}  // namespace

TEST(JpegCodec, EncodesAtTheQualityAndDecodesBack) {
    const Bitmap32 picture = Gradient(50, 30);
    const std::vector<uint8_t> q90 = EncodeJpeg(picture, kJpegSaveQuality);
    const std::vector<uint8_t> q20 = EncodeJpeg(picture, 20);
    ASSERT_GE(q90.size(), 4u);
    EXPECT_EQ(q90[0], 0xFF);
    EXPECT_EQ(q90[1], 0xD8);
    EXPECT_EQ(q90[q90.size() - 2], 0xFF);
    EXPECT_EQ(q90[q90.size() - 1], 0xD9);
    EXPECT_LT(q20.size(), q90.size());

    Bitmap32 decoded;
    DecodeJpeg(q90, decoded);
    EXPECT_EQ(decoded.Width(), 50);
    EXPECT_EQ(decoded.Height(), 30);
    EXPECT_EQ(decoded.PixelFormat, TPixelFormat::pf24bit);
    EXPECT_LE(MaxError(decoded, picture), 12);
    for (uint32_t pixel : decoded.Pixels()) ASSERT_EQ(pixel >> 24, 0xFFu);  // opaque for the windows

    // Pictures larger than the encoder's first buffer grow it.
    Bitmap32 noisy(600, 400);
    uint32_t state = 1;
    for (int32_t y = 0; y < 400; ++y) {
        for (int32_t x = 0; x < 600; ++x)
            noisy.SetPixel(x, y, Bitmap32::kBlank | ((state = state * 1664525u + 1013904223u) >> 8));
    }
    const std::vector<uint8_t> big = EncodeJpeg(noisy, 100);
    EXPECT_GT(big.size(), 64u * 1024);
    DecodeJpeg(big, decoded);
    EXPECT_EQ(decoded.Width(), 600);
}

TEST(JpegCodec, ErrorsBecomeExceptionsAndLeaveTheBitmap) {
    Bitmap32 bitmap = Gradient(4, 4);
    const Bitmap32 before = bitmap;
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {0x00, 0x01, 0x02},
        {0xFF, 0xD8},                                // nothing after the start
        {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x03, 0x00},  // a marker length too short
    };
    for (const auto& data : bad) {
        EXPECT_THROW(DecodeJpeg(data, bitmap), EJpegError);
        EXPECT_EQ(bitmap, before);
    }
    EXPECT_THROW(EncodeJpeg(Bitmap32(), 90), EJpegError);
}

TEST(JpegCodec, AFileCutShortDecodesAsFarAsItGoes) {
    const Bitmap32 picture = Gradient(64, 64);
    std::vector<uint8_t> data = EncodeJpeg(picture, 90);
    data.resize(data.size() * 2 / 3);
    Bitmap32 decoded;
    ASSERT_NO_THROW(DecodeJpeg(data, decoded));
    EXPECT_EQ(decoded.Width(), 64);
    // The top rows are there.
    Bitmap32 top = decoded;
    top.SetSize(64, 8);
    Bitmap32 expected_top = picture;
    expected_top.SetSize(64, 8);
    EXPECT_LE(MaxError(top, expected_top), 12);
}

TEST(JpegCodec, RefusesHugeDeclaredSizes) {
    // A valid header declaring 60000 x 60000 pixels: refused before any memory is taken.
    std::vector<uint8_t> data = EncodeJpeg(Gradient(8, 8), 90);
    for (size_t i = 0; i + 8 < data.size(); ++i) {
        if (data[i] == 0xFF && data[i + 1] == 0xC0) {
            data[i + 5] = 0xEA;  // height 0xEA60 = 60000
            data[i + 6] = 0x60;
            data[i + 7] = 0xEA;
            data[i + 8] = 0x60;
            break;
        }
    }
    Bitmap32 bitmap;
    EXPECT_THROW(DecodeJpeg(data, bitmap), EJpegError);
    EXPECT_TRUE(bitmap.Empty());
}

TEST(JpegCodec, FilesOnDisk) {
    TempDir dir;
    const Bitmap32 picture = Gradient(20, 10);
    SaveJpegFile(picture, dir / "a.jpg");
    const Bitmap32 loaded = LoadJpegFile(dir / "a.jpg");
    EXPECT_EQ(loaded.Width(), 20);
    EXPECT_LE(MaxError(loaded, picture), 12);
    const FileBytes saved = ReadWholeFile(dir / "a.jpg");
    EXPECT_EQ(std::vector<uint8_t>(saved.begin(), saved.end()), EncodeJpeg(picture, 90));
    EXPECT_THROW(SaveJpegFile(picture, dir / "no/such/folder/a.jpg"), EFileError);
    EXPECT_THROW(LoadJpegFile(dir / "missing.jpg"), EFileError);
}

namespace {

// A valid progressive grey JPEG of `bands` x 10 + 1 scans: each AC coefficient band in its own
// scan, refined bit by bit.
std::vector<uint8_t> ManyScanJpeg(int bands) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    jpeg_mem_dest(&cinfo, &out, &out_size);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    std::vector<jpeg_scan_info> scans;
    scans.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
    for (int k = 1; k <= bands; ++k) {
        scans.push_back({1, {0, 0, 0, 0}, k, k, 0, 9});
        for (int al = 8; al >= 0; --al) scans.push_back({1, {0, 0, 0, 0}, k, k, al + 1, al});
    }
    cinfo.scan_info = scans.data();
    cinfo.num_scans = static_cast<int>(scans.size());
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) row[static_cast<size_t>(x)] = static_cast<JSAMPLE>((x * 16 + y * 7) & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> data(out, out + out_size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return data;
}

}  // namespace

TEST(JpegCodec, ProgressiveFilesOfEndlessScansAreRefused) {
    Bitmap32 bitmap;
    // 491 scans: an odd but acceptable file.
    ASSERT_NO_THROW(DecodeJpeg(ManyScanJpeg(49), bitmap));
    EXPECT_EQ(bitmap.Width(), 16);
    EXPECT_EQ(Bitmap32::Red(bitmap.Pixel(3, 0)), Bitmap32::Green(bitmap.Pixel(3, 0)));  // grey stays grey
    // 631 scans: refused.
    Bitmap32 other;
    EXPECT_THROW(DecodeJpeg(ManyScanJpeg(63), other), EJpegError);
    EXPECT_TRUE(other.Empty());
}
