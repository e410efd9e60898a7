#include "foundation/file_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "tests/support/temp_dir.h"

namespace {

int EntryCount(const std::string& folder) {
    int count = 0;
    DIR* dir = opendir(folder.c_str());
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.' || (entry->d_name[1] != '\0' && entry->d_name[1] != '.')) ++count;
    }
    closedir(dir);
    return count;
}

// Files written by this process may grow no further than the limit while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        old_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_);
    }

private:
    rlimit saved_{};
    void (*old_)(int) = nullptr;
};

}  // namespace

TEST(WriteWholeFile, NeverWritesThroughALinkNorLeavesAPartialFile) {
    TempDir dir;
    const std::string outside = dir.Write("outside/user.txt", "precious");
    dir.Write("player/Notes/old.txt", "old page");
    ASSERT_EQ(symlink(outside.c_str(), (dir / "player/Notes/news.txt").c_str()), 0);
    ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "player/Notes/linked").c_str()), 0);

    EXPECT_THROW(WriteWholeFile(dir / "player/Notes/news.txt", "feed text"), EFileError);
    EXPECT_THROW(WriteWholeFile(dir / "player/Notes/linked/user.txt", "feed text"), EFileError);
    EXPECT_THROW(WriteNewFile(dir / "player/Notes/linked/new.vcf", "x"), EFileError);
    EXPECT_EQ(ReadFileText(outside), "precious");
    EXPECT_EQ(EntryCount(dir / "outside"), 1);
    // A folder the user picked may be a link (a linked home folder); its file still may not.
    WriteWholeFile(dir / "player/Notes/linked/picked.txt", "saved", TFolderLink::Follow);
    EXPECT_EQ(ReadFileText(dir / "outside/picked.txt"), "saved");
    EXPECT_THROW(WriteWholeFile(dir / "player/Notes/news.txt", "x", TFolderLink::Follow), EFileError);
    ASSERT_EQ(unlink((dir / "outside/picked.txt").c_str()), 0);

    // A write that fails part-way (the disk full) keeps the old file whole and leaves no other.
    {
        FileSizeLimit limit(4);
        EXPECT_THROW(WriteWholeFile(dir / "player/Notes/old.txt", "new page, longer than the room"), EFileError);
    }
    EXPECT_EQ(ReadFileText(dir / "player/Notes/old.txt"), "old page");
    EXPECT_EQ(EntryCount(dir / "player/Notes"), 3);

    // A new file never takes the place of anything of its name, a dangling link included.
    ASSERT_EQ(symlink((dir / "outside/made.txt").c_str(), (dir / "player/Notes/dangling").c_str()), 0);
    EXPECT_THROW(WriteNewFile(dir / "player/Notes/dangling", "x"), EFileError);
    EXPECT_THROW(WriteNewFile(dir / "player/Notes/old.txt", "x"), EFileError);
    EXPECT_EQ(EntryCount(dir / "outside"), 1);
    WriteWholeFile(dir / "player/Notes/old.txt", "replaced");
    EXPECT_EQ(ReadFileText(dir / "player/Notes/old.txt"), "replaced");
}

