#include "foundation/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "tests/support/temp_dir.h"

TEST(FileRead, FailuresNameTheFile) {
    TempDir dir;
    std::string path = dir.Write("a.bin", std::string("0123456789"));
    EXPECT_EQ(ReadWholeFile(path).size(), 10u);
    auto part = ReadFilePart(path, 8, 100);
    ASSERT_EQ(part.size(), 2u);
    EXPECT_EQ(part[0], '8');
    EXPECT_TRUE(ReadFilePart(path, 50, 10).empty());
    try {
        ReadWholeFile(dir / "missing.bin");
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find("missing.bin"), std::string::npos);
    }
}

TEST(ReadPlayerFile, PipesLinksAndOversizeFilesFailAtOnce) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    const std::string outside = dir.Write("outside.txt", "secret");
    ASSERT_EQ(symlink(outside.c_str(), (dir / "link").c_str()), 0);
    // A pipe nobody writes to: opening or reading it would wait for ever.
    EXPECT_THROW(ReadWholeFile(dir / "pipe"), EFileError);
    EXPECT_THROW(ReadPlayerFilePart(dir / "pipe", 0, 16), EFileError);
    EXPECT_THROW(ReadPlayerFile(dir / "link", 100), EFileError);
    EXPECT_THROW(ReadPlayerFile("/dev/zero", 100), EFileError);

    // A sparse 3 GB file: the whole read is refused, a head read takes only the head.
    const std::string big = dir / "big";
    const int fd = open(big.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 3LL << 30), 0);
    close(fd);
    EXPECT_THROW(ReadPlayerFile(big, 1 << 20), EFileError);
    EXPECT_EQ(ReadPlayerFilePart(big, 0, 4096).size(), 4096u);
}
