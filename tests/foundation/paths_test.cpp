#include "foundation/paths.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

#include "tests/support/temp_dir.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Makes a file undeletable with the immutable flag (root ignores permissions, and the tree
// deletion opens up folder permissions of its own accord). Undone by the destructor.
class LockedFile {
public:
    explicit LockedFile(const std::string& path) : path_(path) { locked_ = SetImmutable(true); }
    ~LockedFile() {
        if (locked_) SetImmutable(false);
    }
    bool Locked() const { return locked_; }

private:
    bool SetImmutable(bool on) {
        int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        close(fd);
        return ok;
    }
    std::string path_;
    bool locked_ = false;
};

}  // namespace

TEST(PathText, TrailingSeparators) {
    EXPECT_EQ(TrimmedWithTrailingSlash("  /media/ipod \t"), "/media/ipod/");
    EXPECT_EQ(TrimmedWithTrailingSlash("/media/ipod/"), "/media/ipod/");
    EXPECT_EQ(TrimmedWithTrailingSlash(" \r\n"), "");
    EXPECT_EQ(TrimmedWithTrailingSlash(""), "");
    EXPECT_EQ(TrimmedWithTrailingSlash("\xE3\x80\x80"), "\xE3\x80\x80/");  // U+3000 is not trimmed

    EXPECT_EQ(WithTrailingSlash("/a/"), "/a/");
    EXPECT_EQ(WithTrailingSlash(" /a "), " /a /");  // no trimming
    EXPECT_EQ(WithTrailingSlash(""), "");

    EXPECT_EQ(TrimmedWithoutTrailingSlash("/a//"), "/a/");  // only one removed
    EXPECT_EQ(TrimmedWithoutTrailingSlash(" /a/ "), "/a");
    EXPECT_EQ(TrimmedWithoutTrailingSlash("/a"), "/a");
    EXPECT_EQ(TrimmedWithoutTrailingSlash("   "), "");
}

TEST(PathText, PartsAtTheLastSeparator) {
    for (const std::string path : {"/a/b.mp3", "b.mp3", "/a/", "/", "", "a//b"}) {
        EXPECT_EQ(FolderPartOf(path) + FileNameOf(path), path);
    }
    EXPECT_EQ(FileNameOf("/a/"), "");  // names a folder: no file name
    EXPECT_EQ(FolderPartOf("b.mp3"), "");
    // What a file in the path is opened in: never with a trailing "/" that follows a link.
    EXPECT_EQ(ContainingFolder("/a/link//b"), "/a/link");
    EXPECT_EQ(ContainingFolder("/b"), "/");
    EXPECT_EQ(ContainingFolder("b"), ".");
    EXPECT_EQ(ExtensionOf("/x.d/Makefile"), "");  // a dot of a folder is no extension
    EXPECT_EQ(ExtensionOf("/x/a.b.MP3"), ".MP3");
    EXPECT_EQ(ExtensionOf("notes."), ".");

    EXPECT_TRUE(PathInside("/a/b/", "/a/b/c"));
    EXPECT_FALSE(PathInside("/a/b/", "/a/b"));
    EXPECT_FALSE(PathInside("/a/b/", "/a/bc/d"));
    EXPECT_FALSE(PathInside("/a/b", "/a/b/../c"));
}

TEST(MatchesExtension, MaskEntriesEndInSemicolons) {
    const std::string news = "*.txt;*.c;*.pas;*.h;*.cpp;*.cs;*.vhd;";
    EXPECT_TRUE(MatchesExtension("/x/README.TXT", news));
    EXPECT_TRUE(MatchesExtension("main.cpp", news));
    EXPECT_TRUE(MatchesExtension("a.b.vhd", news));  // last dot counts
    EXPECT_FALSE(MatchesExtension("index.htm", news));
    EXPECT_FALSE(MatchesExtension("Makefile", news));
    EXPECT_FALSE(MatchesExtension("dir.d/Makefile", news));  // a dot of a folder is no extension
    EXPECT_FALSE(MatchesExtension("notes.", news + "*.;"));
    EXPECT_FALSE(MatchesExtension("Makefile", "*;*.;"));
    // The last entry counts only when the list ends in ";".
    EXPECT_TRUE(MatchesExtension("a.TXT", "*.Txt;"));
    EXPECT_FALSE(MatchesExtension("a.txt", "*.txt"));
    EXPECT_FALSE(MatchesExtension("a.txt", ""));
    EXPECT_FALSE(MatchesExtension("a.txt", "*.tx;*.txtx;"));
    // The key is trimmed, the entries are not: a blank after a ";" is part of the next entry.
    EXPECT_TRUE(MatchesExtension("a.TXT \t", "*.txt;"));
    EXPECT_FALSE(MatchesExtension("a.c", "*.txt; *.c;"));
    EXPECT_TRUE(MatchesExtension("a.c", "*.txt;;*.c;"));  // an empty entry is harmless
}

TEST(DeleteFileForced, DeletesReadOnlyFilesAndReportsMissingOnes) {
    TempDir dir;
    std::string file = dir.Write("ro.txt", "x");
    chmod(file.c_str(), 0444);
    EXPECT_TRUE(DeleteFileForced(file));
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(DeleteFileForced(file));
    EXPECT_FALSE(DeleteFileForced(dir.Path()));  // a folder is no file
    EXPECT_FALSE(DeleteFileForced(""));
}

TEST(DeleteFileForced, RemovesALinkButNotItsTarget) {
    TempDir dir;
    std::string target = dir.Write("target.txt", "keep");
    chmod(target.c_str(), 0444);
    ASSERT_EQ(symlink(target.c_str(), (dir / "link").c_str()), 0);
    EXPECT_TRUE(DeleteFileForced(dir / "link"));
    EXPECT_FALSE(Exists(dir / "link"));
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);  // the target's permissions are untouched
}

TEST(DeleteFolderTree, RemovesNestedTreeWithReadOnlyEntries) {
    TempDir dir;
    dir.Write("tree/a.txt", "a");
    std::string ro = dir.Write("tree/sub/deeper/ro.txt", "r");
    chmod(ro.c_str(), 0444);
    chmod((dir / "tree/sub/deeper").c_str(), 0555);
    dir.Write("tree/sub/b.bin", std::string(10000, 'b'));
    EXPECT_TRUE(DeleteFolderTree(dir / "tree/"));  // a trailing "/" is fine
    EXPECT_FALSE(Exists(dir / "tree"));
    EXPECT_FALSE(DeleteFolderTree(dir / "tree"));  // gone already
}

TEST(DeleteFolderTree, NeverFollowsSymbolicLinks) {
    TempDir dir;
    std::string outside = dir.Write("outside/precious.txt", "keep");
    dir.Write("tree/file.txt", "x");
    ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "tree/folder-link").c_str()), 0);
    ASSERT_EQ(symlink(outside.c_str(), (dir / "tree/file-link").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/target", (dir / "tree/dangling").c_str()), 0);
    EXPECT_TRUE(DeleteFolderTree(dir / "tree"));
    EXPECT_FALSE(Exists(dir / "tree"));
    EXPECT_EQ(ReadFileText(outside), "keep");

    // A folder given as a link: the link goes, the folder it points to stays.
    ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "given-link").c_str()), 0);
    EXPECT_TRUE(DeleteFolderTree(dir / "given-link"));
    EXPECT_FALSE(Exists(dir / "given-link"));
    EXPECT_EQ(ReadFileText(outside), "keep");
}

TEST(DeleteFolderTree, LockedFileStopsTheDeletionAndKeepsTheFolder) {
    TempDir dir;
    std::string locked = dir.Write("tree/sub/locked.txt", "l");
    dir.Write("tree/other.txt", "o");
    bool result = true;
    {
        LockedFile lock(locked);
        if (!lock.Locked()) GTEST_SKIP() << "the immutable flag needs root and a file system that keeps it";
        result = DeleteFolderTree(dir / "tree");
        EXPECT_TRUE(Exists(locked));
    }
    EXPECT_FALSE(result);
    EXPECT_TRUE(Exists(dir / "tree/sub"));
    EXPECT_TRUE(Exists(dir / "tree"));
    EXPECT_FALSE(DeleteFolderTree(dir / "not-a-folder-at-all"));
}

TEST(DeleteFolderTree, PlainFileIsNoFolder) {
    TempDir dir;
    std::string file = dir.Write("file.txt", "x");
    EXPECT_FALSE(DeleteFolderTree(file));
    EXPECT_TRUE(Exists(file));
    EXPECT_FALSE(DeleteFolderTree(""));
}

TEST(GetFileSize64, FullSizeAboveFourGigabytes) {
    TempDir dir;
    std::string file = dir / "sparse.bin";
    int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const int64_t size = 5LL * 1024 * 1024 * 1024 + 3;
    ASSERT_EQ(ftruncate(fd, size), 0);
    close(fd);
    EXPECT_EQ(GetFileSize64(file), size);
    EXPECT_EQ(GetFileSize64(dir / "missing"), 0);
    EXPECT_EQ(GetFileSize64(dir.Path()), 0);
    EXPECT_EQ(GetFileSize64(dir.Write("empty", "")), 0);
}

TEST(ListFiles, OnlyFilesWithFullPathsAppended) {
    TempDir dir;
    dir.Write("b.mp3", "b");
    dir.Write("a.xml", "a");
    dir.Write("sub/inner.txt", "i");
    ASSERT_EQ(symlink((dir / "sub").c_str(), (dir / "link-to-sub").c_str()), 0);
    std::vector<std::string> files{"kept"};
    ListFiles(dir.Path(), files);
    EXPECT_EQ(files, (std::vector<std::string>{"kept", dir / "a.xml", dir / "b.mp3"}));
    ListFiles(dir / "missing", files);
    EXPECT_EQ(files.size(), 3u);
}

TEST(FindPlayerPath, PartsMatchWithoutRegardToCaseAndNeverThroughALink) {
    TempDir dir;
    dir.Write("player/IPOD_CONTROL/ITUNES/ITUNESDB", "db");
    const std::string root = dir / "player";
    EXPECT_EQ(FindPlayerPath(root, "iPod_Control/iTunes/iTunesDB"), root + "/IPOD_CONTROL/ITUNES/ITUNESDB");
    EXPECT_EQ(FindPlayerPath(root + "/", "iPod_Control/iTunes/"), root + "/IPOD_CONTROL/ITUNES/");
    // Parts that do not exist keep their given spelling.
    EXPECT_EQ(FindPlayerPath(root, "Nothing/Here"), root + "/Nothing/Here");
    // An empty root is no folder: never the file-system root.
    EXPECT_EQ(FindPlayerPath("", "etc"), "etc");

    ASSERT_EQ(symlink((dir / "player/IPOD_CONTROL").c_str(), (root + "/Notes").c_str()), 0);
    EXPECT_EQ(FindPlayerPath(root, "notes/ITUNES"), root + "/Notes/ITUNES");
    EXPECT_EQ(FindPlayerPathNoLinks(root, "notes/ITUNES"), "");
    EXPECT_EQ(FindPlayerPathNoLinks(root, "ipod_control/itunes/itunesdb"), root + "/IPOD_CONTROL/ITUNES/ITUNESDB");
}

TEST(FolderReader, LinkedFoldersAreNeverOpenedAndPipesAreOnlyNamed) {
    TempDir dir;
    dir.Write("tree/file", "f");
    dir.Write("tree/sub/inner", "i");
    ASSERT_EQ(symlink((dir / "tree/sub").c_str(), (dir / "tree/link").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "tree/pipe").c_str(), 0600), 0);
    // A trailing "/" does not lead through the link.
    EXPECT_EQ(PathKindOf(dir / "tree/link/"), TPathKind::Link);
    EXPECT_FALSE(EntryExists(dir / "tree/link/"));
    EXPECT_TRUE(NameTaken(dir / "tree/pipe"));

    TFolderReader reader(dir / "tree");
    ASSERT_TRUE(reader.IsOpen());
    std::map<std::string, TPathKind> seen;
    TFolderEntry entry{};
    while (reader.Next(entry)) {
        seen[std::string(entry.Name)] = entry.Kind;
        TFolderReader sub(reader, entry.Name);
        EXPECT_EQ(sub.IsOpen(), entry.Kind == TPathKind::Folder) << entry.Name;
    }
    EXPECT_EQ(reader.Error(), 0);
    EXPECT_EQ(seen, (std::map<std::string, TPathKind>{
                        {"file", TPathKind::File}, {"sub", TPathKind::Folder}, {"link", TPathKind::Link}}));
    EXPECT_EQ(reader.Skipped(), std::vector<std::string>{"pipe"});
    int64_t size = -1;
    EXPECT_EQ(reader.Look("link", false, &size), TPathKind::Link);
    EXPECT_EQ(reader.Look("file", true, &size), TPathKind::File);
    EXPECT_EQ(size, 1);
}
