// Peak memory and speed of the photo extraction: a photo database of 5,000 photos, each with a
// list icon (42 x 30) and a 720 x 480 JPEG picture as its widest small picture, all in one
// album, extracted as JPEG pictures into a folder. The extraction must hold one decoded picture
// at a time (each 720 x 480 picture takes 1.3 MB decoded); the aim is a peak under 300 MB.
// Every photo's records point at the same stored bytes, so the files stay small while every
// picture is still read and decoded on its own. The files are made in a child process so that
// the peak memory reported is the extraction's own.
// Usage: bench_photo_extract [photo count]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_support.h"
#include "harrowin_work/photo_extract.h"
#include "player/artwork/artwork_db.h"
#include "tests/support/artwork_db_writer.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

namespace {

constexpr long kAimMb = 300;

long PeakRssMb() { return PeakRssKb() / 1024; }

// A smooth picture, as photos are, so that its JPEG stays photo sized.
Bitmap32 PhotoLikePicture(int32_t width, int32_t height) {
    Bitmap32 picture(width, height, TPixelFormat::pf32bit);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            picture.SetPixel(
                x, y,
                Bitmap32::Rgb(static_cast<uint8_t>(x * 255 / width), static_cast<uint8_t>(y * 255 / height),
                              static_cast<uint8_t>((x + y) % 256)));
        }
    }
    return picture;
}

void WritePhotoDatabase(const std::string& folder, int photos) {
    ArtworkDbWriter w;
    std::vector<uint32_t> ids;
    ArtworkTestThumb icon, full;
    for (int i = 0; i < photos; ++i) {
        const uint32_t id = static_cast<uint32_t>(100 + i);
        ids.push_back(id);
        ArtworkTestImage& image = w.AddImage(id);
        if (i == 0) {
            icon =
                w.AddThumbnail(image, ":Thumbs:F1009_1.ithmb", MakeTestPicture(42, 30, 1), ThumbFormat::Rgb565LE, 1009);
            full = w.AddThumbnail(image, ":Thumbs:F1019_1.ithmb", PhotoLikePicture(720, 480), ThumbFormat::Jpeg, 1019);
        } else {
            image.Thumbs.push_back(icon);
            image.Thumbs.push_back(full);
        }
        image.PhotoName = ":Full Resolution:IMG" + std::to_string(i) + ".jpg";
        image.FullSize = 1000000;
    }
    w.AddAlbum("Photo Library", 1, ids);
    w.WriteTo(folder, "Photo DataBase");
}

}  // namespace

int main(int argc, char** argv) {
    const int photos = argc > 1 ? std::atoi(argv[1]) : 5000;
    TempDir dir;
    const std::string folder = dir / "Photos";

    if (!MadeInChild([&] { WritePhotoDatabase(folder, photos); })) {
        std::fprintf(stderr, "could not write the photo database\n");
        return 1;
    }

    const long rssStart = PeakRssMb();
    TArtworkDBLoader loader;
    loader.LoadFromFile(folder + "/Photo DataBase");
    const long rssLoaded = PeakRssMb();

    const auto start = std::chrono::steady_clock::now();
    TPhotoExtractRun run(loader, dir / "out", 0);
    run.ExtractAlbum("Photo Library", 1, 1, {}, {});
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    const long rssPeak = PeakRssMb();

    int kept = 0;
    for (int32_t i = 0; i < loader.Items.GetCount(); ++i) {
        const TArtImageObject* picture = loader.GetItem(i)->GetImageByWidth(0);
        kept += picture && !picture->Bitmap.Empty() ? 1 : 0;
    }

    std::printf("photos extracted:   %d of %d in %.1f s (%.1f ms each)\n", run.Written, photos, seconds,
                photos > 0 ? seconds * 1000 / photos : 0.0);
    std::printf("pictures kept decoded afterwards: %d\n", kept);
    std::printf("peak memory: %ld MB at start, %ld MB after loading, %ld MB after extracting (aim: under %ld MB)\n",
                rssStart, rssLoaded, rssPeak, kAimMb);
    const bool ok = run.Written == photos && kept == 0 && rssPeak < kAimMb;
    std::printf("%s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
