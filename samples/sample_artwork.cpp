// The pictures of the sample player: album artwork for the songs of a few albums (read back
// from the sample's iTunesDB, so the artwork follows the songs' database ids) and a photo
// database with the photo library and two albums, each photo with its thumbnails and its
// full-size JPEG file. The pictures are drawn here; nothing is copied from elsewhere.
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "player/song_records.h"
#include "samples/sample_areas.h"
#include "tests/support/artwork_db_writer.h"

namespace {

struct Colour {
    int r, g, b;
};

uint8_t Clamp(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

uint32_t Mix(Colour a, Colour b, double t) {
    return Bitmap32::Rgb(Clamp(a.r + (b.r - a.r) * t), Clamp(a.g + (b.g - a.g) * t), Clamp(a.b + (b.b - a.b) * t));
}

// A record sleeve: a diagonal gradient with a disc and a band, in the album's colours.
Bitmap32 DrawCover(int32_t size, Colour from, Colour to, Colour disc) {
    Bitmap32 b(size, size, TPixelFormat::pf32bit);
    const double c = size / 2.0, radius = size * 0.32;
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            const double d = std::hypot(x - c, y - c);
            uint32_t p = Mix(from, to, static_cast<double>(x + y) / (2.0 * size));
            if (d < radius) p = Mix(disc, {255, 255, 255}, d < radius * 0.15 ? 0.8 : 0.1 * (d / radius));
            if (y > size * 0.82 && y < size * 0.9) p = Mix(to, {0, 0, 0}, 0.5);
            b.SetPixel(x, y, p);
        }
    }
    return b;
}

// A landscape: sky, sun, two rows of hills and water or a field.
Bitmap32 DrawLandscape(int32_t width, int32_t height, int seed) {
    const Colour skies[] = {{90, 160, 235},  {250, 170, 110}, {40, 60, 120},
                            {150, 200, 240}, {200, 120, 160}, {120, 180, 200}};
    const Colour grounds[] = {{60, 140, 70},  {200, 170, 90}, {30, 90, 130},
                              {110, 160, 60}, {90, 70, 110},  {40, 120, 150}};
    const Colour sky = skies[seed % 6], ground = grounds[seed % 6];
    Bitmap32 b(width, height, TPixelFormat::pf32bit);
    const double sun_x = width * (0.2 + 0.12 * (seed % 6)), sun_y = height * 0.28, sun_r = height * 0.09;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const double fx = static_cast<double>(x) / width, fy = static_cast<double>(y) / height;
            const double far_hill = 0.55 + 0.06 * std::sin(fx * 9 + seed) + 0.03 * std::sin(fx * 23);
            const double near_hill = 0.7 + 0.08 * std::sin(fx * 5 + seed * 2);
            uint32_t p;
            if (fy > near_hill) {
                p = Mix(ground, {0, 0, 0}, (fy - near_hill) * 1.2);
            } else if (fy > far_hill) {
                p = Mix(ground, sky, 0.45);
            } else if (std::hypot(x - sun_x, y - sun_y) < sun_r) {
                p = Bitmap32::Rgb(255, 240, 180);
            } else {
                p = Mix(sky, {255, 255, 255}, fy * 0.9);
            }
            b.SetPixel(x, y, p);
        }
    }
    return b;
}

// Fits a picture into width x height by nearest-neighbour sampling (thumbnails of a photo).
Bitmap32 Shrink(const Bitmap32& from, int32_t width, int32_t height) {
    Bitmap32 b(width, height, TPixelFormat::pf32bit);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            b.SetPixel(x, y, from.Pixel(x * from.Width() / width, y * from.Height() / height));
        }
    }
    return b;
}

void WriteSampleArtwork(const std::string& root) {
    TITunesDBLoader music;
    music.LoadFromFile(root + "/iPod_Control/iTunes/iTunesDB");
    // The albums that have artwork; the others show none, as on a real player.
    const std::map<std::string, std::vector<Colour>> covers = {
        {"季節の歌", {{250, 200, 210}, {120, 170, 90}, {230, 90, 120}}},
        {"ミッドナイト", {{20, 20, 60}, {200, 40, 160}, {40, 220, 230}}},
        {"Small Hours", {{60, 40, 30}, {200, 150, 90}, {30, 30, 30}}},
        {"森のうた", {{40, 110, 50}, {210, 220, 120}, {120, 80, 40}}},
    };
    std::map<std::string, std::pair<Bitmap32, Bitmap32>> drawn;
    ArtworkDbWriter w;
    uint32_t image_id = 100;
    for (int32_t i = 0; i < music.Songs.GetCount(); ++i) {
        const TITBSongItem* song = music.Songs.GetItem(i);
        const auto cover = covers.find(song->Album);
        if (cover == covers.end()) continue;
        auto [it, fresh] = drawn.try_emplace(song->Album);
        if (fresh) {
            const Bitmap32 big = DrawCover(200, cover->second[0], cover->second[1], cover->second[2]);
            it->second = {Shrink(big, 100, 100), big};
        }
        ArtworkTestImage& image = w.AddImage(image_id++, static_cast<uint64_t>(song->DatabaseId));
        // The sizes of a fifth-generation player: 100 x 100 and 200 x 200, 16-bit little-endian.
        w.AddThumbnail(image, ":F1028_1.ithmb", it->second.first, ThumbFormat::Rgb565LE, 1028);
        w.AddThumbnail(image, ":F1029_1.ithmb", it->second.second, ThumbFormat::Rgb565LE, 1029);
    }
    w.WriteTo(root + "/iPod_Control/Artwork", "ArtworkDB");
}

void WriteSamplePhotos(const std::string& root) {
    struct SamplePhoto {
        const char* file;  // below "Full Resolution"
        int seed;
    };
    const SamplePhoto photos[] = {
        {"2007/07/21/IMG_0101.jpg", 0}, {"2007/07/21/IMG_0102.jpg", 1}, {"2007/07/22/IMG_0107.jpg", 2},
        {"2007/08/12/IMG_0140.jpg", 3}, {"2007/08/12/IMG_0141.jpg", 4}, {"2007/08/13/IMG_0152.jpg", 5},
    };
    const std::string folder = root + "/Photos";
    ArtworkDbWriter w;
    std::vector<uint32_t> library;
    uint32_t id = 64;
    for (const SamplePhoto& p : photos) {
        const Bitmap32 full = DrawLandscape(800, 600, p.seed);
        ArtworkTestImage& image = w.AddImage(id);
        // The thumbnail set of a photo player: list icon, browsing picture, the picture stored
        // on its side, and the full-screen picture for a television.
        w.AddThumbnail(image, ":Thumbs:F1009_1.ithmb", Shrink(full, 42, 30), ThumbFormat::Rgb565LE, 1009);
        w.AddThumbnail(image, ":Thumbs:F1015_1.ithmb", Shrink(full, 130, 88), ThumbFormat::Rgb565BE, 1015);
        w.AddThumbnail(image, ":Thumbs:F1013_1.ithmb", Shrink(full, 220, 176), ThumbFormat::Sideways, 1013);
        w.AddThumbnail(image, ":Thumbs:F1019_1.ithmb", Shrink(full, 720, 480), ThumbFormat::Rgb565LE, 1019);
        std::string stored = std::string(":Full Resolution:") + p.file;
        for (char& c : stored) {
            if (c == '/') c = ':';
        }
        image.PhotoName = stored;
        image.FullSize = WriteJpegPicture(folder + "/Full Resolution/" + p.file, full);
        library.push_back(id++);
    }
    w.AddAlbum("Photo Library", 1, library);
    w.AddAlbum("夏休み 2007", 2, {library[0], library[1], library[2]});
    w.AddAlbum("お盆の帰省", 2, {library[3], library[4], library[5]});
    w.WriteTo(folder, "Photo DataBase");
}

}  // namespace

void WriteSamplePictures(const std::string& root) {
    WriteSampleArtwork(root);
    WriteSamplePhotos(root);
}
