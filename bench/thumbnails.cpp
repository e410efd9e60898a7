// Speed and memory of the photo page's pictures: a photo database of 1,000 photos, each with
// the thumbnails a photo player keeps (42 x 30 little-endian, 130 x 88 and 320 x 240
// big-endian, 176 x 220 on its side, 720 x 480 full screen, and every tenth photo a JPEG),
// loaded and every thumbnail decoded. The files are made in a child process so that the peak
// memory reported is the reading's own. Usage: bench_thumbnails [photo count]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_support.h"
#include "player/artwork/artwork_db.h"
#include "tests/support/artwork_db_writer.h"
#include "tests/support/temp_dir.h"

namespace {

void WritePhotoDatabase(const std::string& folder, int photos) {
    // One picture of each size, stored again for every photo (the bytes do not change the work).
    const Bitmap32 icon = MakeTestPicture(42, 30, 1), small = MakeTestPicture(130, 88, 2),
                   sideways = MakeTestPicture(220, 176, 3), medium = MakeTestPicture(320, 240, 4),
                   full = MakeTestPicture(720, 480, 5), jpeg = MakeTestPicture(320, 240, 6);
    ArtworkDbWriter w;
    for (int i = 0; i < photos; ++i) {
        ArtworkTestImage& image = w.AddImage(static_cast<uint32_t>(100 + i));
        w.AddThumbnail(image, ":Thumbs:F1009_1.ithmb", icon, ThumbFormat::Rgb565LE, 1009);
        w.AddThumbnail(image, ":Thumbs:F1015_1.ithmb", small, ThumbFormat::Rgb565BE, 1015);
        w.AddThumbnail(image, ":Thumbs:F1013_1.ithmb", sideways, ThumbFormat::Sideways, 1013);
        w.AddThumbnail(image, ":Thumbs:F1024_1.ithmb", medium, ThumbFormat::Rgb565BE, 1024);
        w.AddThumbnail(image, ":Thumbs:F1019_1.ithmb", full, ThumbFormat::Rgb565LE, 1019);
        if (i % 10 == 0) w.AddThumbnail(image, ":Thumbs:F1_1.ithmb", jpeg, ThumbFormat::Jpeg, 1);
        image.PhotoName = ":Full Resolution:IMG" + std::to_string(i) + ".jpg";
        image.FullSize = 1000000;
    }
    w.AddAlbum("Photo Library", 1, {});
    w.WriteTo(folder, "Photo DataBase");
}

}  // namespace

int main(int argc, char** argv) {
    const int photos = argc > 1 ? std::atoi(argv[1]) : 1000;
    TempDir dir;
    const std::string folder = dir / "Photos";

    const auto made = std::chrono::steady_clock::now();
    if (!MadeInChild([&] { WritePhotoDatabase(folder, photos); })) {
        std::fprintf(stderr, "could not write the photo database\n");
        return 1;
    }
    std::printf("photo database of %d photos written in %.0f ms\n", photos,
                Milliseconds(std::chrono::steady_clock::now() - made));

    const long rss_before = PeakRssKb();
    TArtworkDBLoader loader;
    auto start = std::chrono::steady_clock::now();
    loader.LoadFromFile(folder + "/Photo DataBase");
    const double load_ms = Milliseconds(std::chrono::steady_clock::now() - start);

    // The photo page's icons: the narrowest thumbnail of every photo.
    start = std::chrono::steady_clock::now();
    int icons = 0;
    for (int32_t i = 0; i < loader.Items.GetCount(); ++i) {
        TArtImageObject* icon = loader.GetItem(i)->GetImageByWidth(-1);
        icon->LoadBitmap();
        icons += icon->Bitmap.Width() == 42 ? 1 : 0;
    }
    const double icons_ms = Milliseconds(std::chrono::steady_clock::now() - start);

    // Then every other thumbnail, each kept decoded as the program keeps it.
    start = std::chrono::steady_clock::now();
    int decoded = 0;
    int64_t pixels = 0;
    for (int32_t i = 0; i < loader.Items.GetCount(); ++i) {
        const TArtImageObjectList& images = loader.GetItem(i)->Images;
        for (int32_t j = 0; j < images.GetCount(); ++j) {
            TArtImageObject* t = images.GetItem(j);
            t->LoadBitmap();
            decoded += t->Bitmap.Empty() ? 0 : 1;
            pixels += int64_t{t->Bitmap.Width()} * t->Bitmap.Height();
        }
    }
    const double all_ms = Milliseconds(std::chrono::steady_clock::now() - start);
    const long rss_after = PeakRssKb();

    const bool ok = loader.Items.GetCount() == photos && icons == photos && decoded == photos * 5 + (photos + 9) / 10;
    std::printf("load database:               %8.1f ms (%d entries)\n", load_ms, loader.Items.GetCount());
    std::printf("decode icons (width -1):     %8.1f ms (%d)\n", icons_ms, icons);
    std::printf("decode all other thumbnails: %8.1f ms (%d pictures, %.1f Mpixel)\n", all_ms, decoded,
                static_cast<double>(pixels) / 1e6);
    std::printf("peak memory: %ld MB before loading, %ld MB after decoding (pictures kept: %.0f MB)\n",
                rss_before / 1024, rss_after / 1024, static_cast<double>(pixels) * 4 / (1024 * 1024));
    std::printf("%s\n", ok ? "all thumbnails decoded" : "FAILED: thumbnails missing");
    return ok ? 0 : 1;
}
