// The program folder on a FAT volume mounted through FUSE (fusefat), as a user may put it on a
// memory card: no permissions (chmod fails with ENOSYS), no hard links, and files that are
// written in place come back damaged. Skipped where FUSE cannot mount.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/http_fetch.h"
#include "platform/media_library.h"
#include "tests/support/temp_dir.h"

namespace {

int RunProgram(std::vector<std::string> args) {
    const pid_t pid = fork();
    if (pid == 0) {
        // fusefat talks about the volume it mounted.
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class FatVolume : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string image = dir_ / "fat.img";
        std::filesystem::create_directory(mount_);
        std::filesystem::resize_file(dir_.Write("fat.img", ""), 16 << 20);
        if (RunProgram({"mkfs.vfat", "-n", "CARD", image}) != 0 || RunProgram({"fusefat", "-o", "rw+", image, mount_}) != 0)
            GTEST_SKIP() << "no FAT volume through FUSE here (mkfs.vfat, fusefat, /dev/fuse)";
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) RunProgram({"fusermount", "-u", "-z", mount_});
    }

    TempDir dir_;
    std::string mount_ = dir_ / "card";
    bool mounted_ = false;
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
