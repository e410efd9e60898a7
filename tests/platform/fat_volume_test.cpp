// The program folder on a FAT volume mounted through FUSE (fusefat), as a user may put it on a
// memory card: no permissions (chmod fails with ENOSYS), no hard links, and files that are
// written in place come back damaged. Skipped where FUSE cannot mount.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/http_fetch.h"
#include "platform/media_library.h"
#include "tests/support/fat_volume.h"
#include "tests/support/temp_dir.h"

namespace {

class FatVolume : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fat_.Mounted()) GTEST_SKIP() << "no FAT volume through FUSE here (mkfs.vfat, fusefat, /dev/fuse)";
    }

    TempDir dir_;
    TFatVolume fat_{dir_};
    const std::string mount_ = fat_.Root();
};

TEST_F(FatVolume, DownloadsArriveAndTheLibrarySaysWhyItCannotBeKeptThere) {
    const std::string source = dir_.Write("ep.mp3", std::string(100000, 'e'));
    ASSERT_TRUE(HttpFetchToFile("file://" + source, mount_ + "/ep.mp3"));
    EXPECT_EQ(ReadFileText(mount_ + "/ep.mp3"), ReadFileText(source));

    // Every transaction of a database rewrites its first page and then adds pages: this volume
    // loses the added ones. The library refuses before it makes a file there.
    try {
        TMediaLibrary library(mount_ + "/MediaLibrary.sqlite");
        ADD_FAILURE() << "a library was opened where its file cannot be kept";
    } catch (const EMediaLibraryError& e) {
        EXPECT_NE(e.Message().find("ファイルシステム"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(std::filesystem::exists(mount_ + "/MediaLibrary.sqlite"));
}

}  // namespace
