// Photo extraction without windows: album folders with safe names, numbered JPEG pictures per
// album, full-size files under their own names, free names on a second run, the step that ends
// the run, and entries that have nothing to write.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/names.h"
#include "harrowin_work/photo_extract.h"
#include "player/artwork/artwork_db.h"
#include "player/artwork/jpeg_codec.h"
#include "tests/support/artwork_db_writer.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

namespace fs = std::filesystem;

namespace {

// A photo database under dir/Photos: ids 1..3 with a list icon (40 x 30) and a larger picture
// (120 x 90) and a full-size file each; id 4 without pictures and without a file.
std::string WritePhotoDb(const TempDir& dir, const std::vector<ArtworkTestAlbum>& albums) {
    ArtworkDbWriter w;
    for (uint32_t id = 1; id <= 3; ++id) {
        ArtworkTestImage& image = w.AddImage(id);
        w.AddThumbnail(image, ":Thumbs:F1009_1.ithmb", MakeTestPicture(40, 30, id), ThumbFormat::Rgb565LE, 1009);
        w.AddThumbnail(image, ":Thumbs:F1015_1.ithmb", MakeTestPicture(120, 90, id), ThumbFormat::Rgb565LE, 1015);
        const std::string file = "P" + std::to_string(id) + ".jpg";
        image.PhotoName = ":Full Resolution:2007:" + file;
        image.FullSize = WriteJpegPicture(dir / ("Photos/Full Resolution/2007/" + file), MakeTestPicture(64, 48, id));
    }
    w.AddImage(4);
    for (const ArtworkTestAlbum& a : albums) w.AddAlbum(a.Name, a.Kind, a.ImageIds);
    return w.WriteTo(dir / "Photos", "Photo DataBase");
}

bool Exists(const std::string& path) { return fs::exists(path); }

}  // namespace

TEST(PhotoExtract, NamesAndPaths) {
    EXPECT_EQ(PhotoAlbumFolderName("旅行.2007/夏"), std::string("旅行 2007 夏"));
    EXPECT_EQ(PhotoAlbumFolderName("a:b*c?"), std::string("a b c "));
    EXPECT_EQ(PhotoFileNamePart("/Full Resolution/2007/IMG_1.JPG"), std::string("IMG_1.JPG"));
    EXPECT_EQ(PhotoFileNamePart("IMG_1.JPG"), std::string("IMG_1.JPG"));
    // Names that would make the target the folder itself or its parent give nothing.
    EXPECT_EQ(PhotoFileNamePart(""), std::string());
    EXPECT_EQ(PhotoFileNamePart("/a/"), std::string());
    EXPECT_EQ(PhotoFileNamePart("/a/.."), std::string());
    EXPECT_TRUE(PhotoNameClimbs("/../../etc/passwd"));
    EXPECT_TRUE(PhotoNameClimbs(".."));
    EXPECT_TRUE(PhotoNameClimbs("/a/.."));
    EXPECT_FALSE(PhotoNameClimbs("/Full Resolution/..jpg"));
    EXPECT_FALSE(PhotoNameClimbs("/a/.b/c"));
    EXPECT_EQ(PhotoFileOf("/m/Photos/", "/Full Resolution/x.jpg"), std::string("/m/Photos/Full Resolution/x.jpg"));
    EXPECT_EQ(PhotoFileOf("/m/Photos/", "x.jpg"), std::string("/m/Photos/x.jpg"));
    EXPECT_EQ(PhotoFileOf("/m/Photos/", ""), std::string("/m/Photos"));
    EXPECT_EQ(PhotoTargetPath("/out", "A", "IMG00000.jpg"), std::string("/out/A/IMG00000.jpg"));
    EXPECT_EQ(PhotoTargetPath("/out/", "", "IMG00000.jpg"), std::string("/out/IMG00000.jpg"));
    uint32_t id = 0;
    EXPECT_TRUE(PhotoIdOfText("4294967295", id));
    EXPECT_EQ(id, 4294967295u);
    EXPECT_FALSE(PhotoIdOfText("4294967296", id));
    EXPECT_FALSE(PhotoIdOfText("", id));
    EXPECT_FALSE(PhotoIdOfText("12x", id));
    EXPECT_FALSE(PhotoIdOfText("-1", id));
}

TEST(PhotoExtract, SmallPicturesNumberedPerAlbum) {
    TempDir dir;
    TArtworkDBLoader db;
    db.LoadFromFile(WritePhotoDb(dir, {{"Library", 1, {1, 2, 3, 4}}, {"夏.休み/2007", 2, {3, 4, 1}}, {"..", 2, {2}}}));
    const std::string out = dir / "out";
    // A picture the page showed already stays decoded.
    TArtImageObject* shown = db.Items.FindByID(2)->GetImageByWidth(0);
    shown->LoadBitmap();
    std::vector<std::string> labels;
    int steps = 0;
    TPhotoExtractRun run(db, out, 0);
    auto label = [&](const std::string& t) { labels.push_back(t); };
    auto step = [&] {
        ++steps;
        return true;
    };
    EXPECT_TRUE(run.ExtractAlbum("Library", 1, 3, label, step));
    EXPECT_TRUE(run.ExtractAlbum("夏.休み/2007", 2, 3, label, step));
    EXPECT_TRUE(run.ExtractAlbum("..", 3, 3, label, step));
    // Numbers count every id of the album, so a photo without pictures leaves a gap.
    EXPECT_TRUE(Exists(out + "/Library/IMG00000.jpg"));
    EXPECT_TRUE(Exists(out + "/Library/IMG00002.jpg"));
    EXPECT_FALSE(Exists(out + "/Library/IMG00003.jpg"));
    EXPECT_TRUE(Exists(out + "/夏 休み 2007/IMG00000.jpg"));
    EXPECT_FALSE(Exists(out + "/夏 休み 2007/IMG00001.jpg"));
    EXPECT_TRUE(Exists(out + "/夏 休み 2007/IMG00002.jpg"));
    // An album named ".." stays inside the folder.
    EXPECT_TRUE(Exists(out + "/  /IMG00000.jpg"));
    EXPECT_EQ(run.Written, 6);
    EXPECT_EQ(steps, 8);  // every id with an entry, also those without a picture
    // Pictures decoded only to be written are released: a player's photos do not fit in memory.
    EXPECT_TRUE(db.Items.FindByID(1)->GetImageByWidth(0)->Bitmap.Empty());
    EXPECT_TRUE(db.Items.FindByID(3)->GetImageByWidth(0)->Bitmap.Empty());
    EXPECT_EQ(shown->Bitmap.Width(), 120);
    EXPECT_EQ(labels.front(), std::string("写真アルバム(1/3)のコピー中 0%"));
    EXPECT_EQ(labels[3], std::string("写真アルバム(1/3)のコピー中 75%"));
    EXPECT_EQ(labels[5], std::string("写真アルバム(2/3)のコピー中 33%"));
    // The widest small picture, as JPEG.
    const Bitmap32 saved = LoadJpegFile(out + "/Library/IMG00001.jpg");
    EXPECT_EQ(saved.Width(), 120);
    EXPECT_EQ(saved.Height(), 90);
    // A second run into the same folder adds a number before the extension.
    TPhotoExtractRun again(db, out, 0);
    EXPECT_TRUE(again.ExtractAlbum("Library", 1, 1, label, step));
    EXPECT_TRUE(Exists(out + "/Library/IMG00000(2).jpg"));
    EXPECT_TRUE(Exists(out + "/Library/IMG00002(2).jpg"));
}

TEST(PhotoExtract, FullSizeFilesUnderTheirNames) {
    TempDir dir;
    TArtworkDBLoader db;
    db.LoadFromFile(WritePhotoDb(dir, {{"Library", 1, {1, 2, 4, 3}}, {"", 2, {3}}}));
    const std::string out = dir / "out";
    // A record that names a file beside the player's photo folder is not copied.
    dir.Write("secret.jpg", std::string("private"));
    db.Items.FindByID(3)->PhotoName = "/../secret.jpg";
    TPhotoExtractRun run(db, out, 1);
    EXPECT_TRUE(run.ExtractAlbum("Library", 1, 1, {}, {}));
    EXPECT_FALSE(Exists(out + "/Library/secret.jpg"));
    EXPECT_EQ(ReadFileText(out + "/Library/P1.jpg"), ReadFileText(dir / "Photos/Full Resolution/2007/P1.jpg"));
    EXPECT_TRUE(Exists(out + "/Library/P2.jpg"));
    // Id 4 has no file of its own: nothing is written for it, not even the folder's name.
    EXPECT_EQ(run.Written, 2);
    // A second copy never overwrites: the numbered name.
    EXPECT_TRUE(run.ExtractAlbum("Library", 1, 1, {}, {}));
    EXPECT_TRUE(Exists(out + "/Library/P1(2).jpg"));
    EXPECT_EQ(run.Written, 4);
}

TEST(PhotoExtract, LinkedFullSizeFilesAreNotCopied) {
    TempDir dir;
    TArtworkDBLoader db;
    db.LoadFromFile(WritePhotoDb(dir, {{"A", 2, {1, 2, 3}}}));
    const std::string secret = dir.Write("home/secret.jpg", std::string("private"));
    const std::string p2 = dir / "Photos/Full Resolution/2007/P2.jpg";
    fs::remove(p2);
    fs::create_symlink(secret, p2);
    TPhotoExtractRun run(db, dir / "out", 1);
    EXPECT_TRUE(run.ExtractAlbum("A", 1, 1, {}, {}));
    EXPECT_FALSE(Exists(dir / "out/A/P2.jpg"));
    EXPECT_TRUE(Exists(dir / "out/A/P1.jpg") && Exists(dir / "out/A/P3.jpg"));
    EXPECT_EQ(run.Written, 2);
    // A linked folder on the way is not followed either.
    fs::rename(dir / "Photos/Full Resolution/2007", dir / "home/2007");
    fs::create_directory_symlink(dir / "home/2007", dir / "Photos/Full Resolution/2007");
    TPhotoExtractRun again(db, dir / "out2", 1);
    EXPECT_TRUE(again.ExtractAlbum("A", 1, 1, {}, {}));
    EXPECT_EQ(again.Written, 0);
}

TEST(PhotoExtract, NoFreeNameSkipsThePhoto) {
    TempDir dir;
    TArtworkDBLoader db;
    db.LoadFromFile(WritePhotoDb(dir, {{"A", 2, {1, 2}}}));
    dir.Write("out/A/IMG00000.jpg", std::string("old"));
    for (int n = 2; n <= 99; ++n) dir.Write("out/A/IMG00000(" + std::to_string(n) + ").jpg", std::string("old"));
    std::vector<std::string> labels;
    int steps = 0;
    TPhotoExtractRun run(db, dir / "out", 0);
    EXPECT_TRUE(run.ExtractAlbum(
        "A", 1, 1, [&](const std::string& t) { labels.push_back(t); },
        [&] {
            ++steps;
            return true;
        }));
    EXPECT_EQ(labels[1], std::string("[ IMG00000.jpg ]のリネームに失敗しました"));
    EXPECT_EQ(ReadFileText(dir / "out/A/IMG00000.jpg"), std::string("old"));
    EXPECT_EQ(steps, 1);  // the skipped photo does not reach the step
    EXPECT_EQ(run.Written, 1);
    EXPECT_TRUE(Exists(dir / "out/A/IMG00001.jpg"));
}

TEST(PhotoExtract, StepEndsTheWholeExtraction) {
    TempDir dir;
    TArtworkDBLoader db;
    db.LoadFromFile(WritePhotoDb(dir, {{"A", 2, {1, 2, 3}}, {"B", 2, {1}}, {"C", 2, {2}}}));
    TPhotoExtractRun run(db, dir / "out", 0);
    int steps = 0;
    bool going = true;
    for (const char* album : {"A", "B", "C"}) {
        going = run.ExtractAlbum(album, 1, 3, {}, [&] { return ++steps < 1; });
        if (!going) break;
    }
    EXPECT_FALSE(going);
    EXPECT_TRUE(Exists(dir / "out/A/IMG00000.jpg"));
    EXPECT_FALSE(Exists(dir / "out/A/IMG00001.jpg"));
    EXPECT_FALSE(Exists(dir / "out/B"));
    EXPECT_FALSE(Exists(dir / "out/C"));
}

TEST(PhotoExtract, DamagedPictureIsNotSaved) {
    TempDir dir;
    ArtworkDbWriter w;
    ArtworkTestImage& image = w.AddImage(7);
    // JPEG data the library refuses: starts as a JPEG, then nothing usable.
    std::vector<uint8_t> bad = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0xFF, 0xD9};
    bad.resize(600, 0);
    w.AddRawThumbnail(image, ":Thumbs:F1.ithmb", bad, 20, 10);
    w.AddAlbum("A", 2, {7});
    TArtworkDBLoader db;
    db.LoadFromFile(w.WriteTo(dir / "Photos", "Photo DataBase"));
    TArtItem* entry = db.Items.FindByID(7);
    ASSERT_TRUE(entry);
    std::string written;
    EXPECT_EQ(SavePhotoAsJpeg(*entry, dir / "x.jpg", written), kPhotoBadPicture);
    EXPECT_FALSE(Exists(dir / "x.jpg"));
    TArtItem empty;
    EXPECT_EQ(SavePhotoAsJpeg(empty, dir / "y.jpg", written), kPhotoNoPicture);
    EXPECT_FALSE(Exists(dir / "y.jpg"));
}

TEST(PhotoExtract, FailuresAreCountedWithTheirReason) {
    TempDir dir;
    TArtworkDBLoader db;
    db.LoadFromFile(WritePhotoDb(dir, {{"A", 2, {1, 2, 3}}, {"B", 2, {1, 2}}}));
    fs::create_directories(dir / "out/A");
    // A full disk: no picture stands under its name, none is reported as transferred.
    TPhotoExtractRun run(db, dir / "out", 0);
    {
        FileSizeLimit full(100);
        EXPECT_TRUE(run.ExtractAlbum("A", 1, 2, {}, {}));
    }
    EXPECT_EQ(run.Written, 0);
    EXPECT_EQ(run.Failed, 3);
    EXPECT_TRUE(fs::is_empty(dir / "out/A"));
    EXPECT_EQ(run.Failures.front(), "[ IMG00000.jpg ] " + SysErrorText(EFBIG));
    EXPECT_TRUE(PhotoExtractEndText("/out/", run.Written, run.Failed) != PhotoExtractEndText("/out/", 3, 0));
    EXPECT_TRUE(PhotoFailureMessage(run.Failures, run.Failed).find(SysErrorText(EFBIG)) != std::string::npos);
    // The player pulled: what was not reached counts as failed too.
    TPhotoExtractRun pulled(db, dir / "out2", 0);
    int photos = 0;
    pulled.PlayerGone = [&photos] { return photos > 0; };
    EXPECT_FALSE(pulled.ExtractAlbum("A", 1, 2, {}, [&photos] {
        ++photos;
        return true;
    }));
    pulled.SkipAlbum("B");
    EXPECT_EQ(pulled.Written, 1);
    EXPECT_EQ(pulled.Failed, 4);
}

