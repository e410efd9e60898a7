#include "foundation/file_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "tests/support/file_size_limit.h"
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

TEST(WriteWholeFile, ClearsOnlyTheStaleTemporariesOfWriters) {
    TempDir dir;
    // A write killed before its rename, by a process that no longer runs (no process can have
    // this number).
    const std::string dead = dir.Write("Notes/.~hw1073741823-4.tmp", "cut short");
    // A copy of a running process that gave its temporary the source's times of two days ago,
    // one of this process, a note of a like name and a link.
    const std::string running = dir.Write("Notes/.~hw" + std::to_string(::getppid()) + "-8.tmp", "being copied");
    const timespec twoDaysAgo[2] = {{::time(nullptr) - 2 * 86400, 0}, {::time(nullptr) - 2 * 86400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, running.c_str(), twoDaysAgo, 0), 0);
    const std::string own = dir.Write("Notes/.~hw" + std::to_string(::getpid()) + "-999999.tmp", "ours");
    const std::string note = dir.Write("Notes/.~hw1073741823-4.tmp.txt", "a note");
    const std::string outside = dir.Write("outside.txt", "precious");
    ASSERT_EQ(symlink(outside.c_str(), (dir / "Notes/.~hw1073741823-5.tmp").c_str()), 0);

    WriteWholeFile(dir / "Notes/new.txt", "x");
    struct stat st {};
    EXPECT_NE(::lstat(dead.c_str(), &st), 0);
    for (const std::string& kept : {running, own, note, dir / "Notes/.~hw1073741823-5.tmp"}) {
        EXPECT_EQ(::lstat(kept.c_str(), &st), 0) << kept;
    }
    EXPECT_EQ(ReadFileText(outside), "precious");

    EXPECT_TRUE(IsWriterTemporaryName(".~hw12-3.tmp"));
    for (const char* other :
         {".~hw-3.tmp", ".~hw12-.tmp", ".~hw12.tmp", "a.~hw1-2.tmp", ".~hw1a-2.tmp", ".~hw1-2.tmp~"}) {
        EXPECT_FALSE(IsWriterTemporaryName(other)) << other;
    }
}
