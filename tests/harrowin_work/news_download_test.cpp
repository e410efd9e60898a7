// The folders and files of the news download.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "harrowin_work/news_download.h"
#include "tests/support/fat_volume.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

namespace fs = std::filesystem;

TEST(NewsDownload, FolderRules) {
    // The news sub-folder is always one level below the notes folder, or none at all.
    EXPECT_EQ(NewsSubFolder(true, "RSS News"), std::string("RSS News"));
    EXPECT_EQ(NewsSubFolder(false, "RSS News"), std::string());
    EXPECT_EQ(NewsSubFolder(true, ""), std::string());
    EXPECT_EQ(NewsSubFolder(true, ".."), std::string());
    EXPECT_EQ(NewsSubFolder(true, "."), std::string());
    EXPECT_EQ(NewsSubFolder(true, "  "), std::string());
    EXPECT_EQ(NewsSubFolder(true, "../../home"), std::string(".. .. home"));
    EXPECT_EQ(NewsTargetFolder("/p/Notes/", true, "RSS News"), std::string("/p/Notes/RSS News/"));
    EXPECT_EQ(NewsTargetFolder("/p/Notes", true, ".."), std::string("/p/Notes/"));
    EXPECT_EQ(NewsCacheFile("/c/RDFData/", "a/b"), std::string("/c/RDFData/a b.RDF"));
    EXPECT_EQ(NewsCacheFile("/c/RDFData/", ".."), std::string("/c/RDFData/.RDF"));
    // A sub-folder named ".." never removes the notes folder or anything above it.
    TempDir dir;
    dir.Write("Notes/keep.txt", std::string("k"));
    PrepareNewsDownload(dir / "cache");
    EXPECT_TRUE(fs::exists(dir / "Notes/keep.txt"));
    EXPECT_TRUE(fs::is_directory(dir / "cache"));
    // Plain-text addresses by their own extension.
    bool plain = false;
    const std::string cached = dir.Write("cache/x.RDF", std::string("a\r\nb\r\n"));
    EXPECT_EQ(NewsDocumentLines("http://h/x.TXT", cached, TNewsOptions{}, plain), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(plain);
    NewsDocumentLines("http://h/x.html", cached, TNewsOptions{}, plain);
    EXPECT_FALSE(plain);
}

// Whatever moment a download stops at (here between two pages of a long division, as a kill
// leaves it), the record on disk lists what was written: the next download replaces exactly
// those pages, and a page the user changed since is not among them.
TEST(NewsDownload, ACutDownloadLeavesTheRecordTrue) {
    TempDir dir;
    const std::string notes = dir / "Notes/";
    const std::string folder = notes + "RSS News/";
    fs::create_directories(folder);
    const std::string record = dir / "NewsPages.LST";
    TNewsOptions options;
    options.MakeWordSize = 300;
    std::vector<std::string> lines(60, std::string(100, 'x'));
    std::string atCut;
    {
        TNewsPages pages(record, notes);
        const TTolvProgressEvent stop = [&](int32_t, int32_t, const std::string&) {
            if (FilesUnder(folder).size() < 10) return;
            atCut = ReadFileText(record);
            throw std::runtime_error("killed");
        };
        EXPECT_THROW(DivideNews("Big", folder, lines, options, {}, &pages, stop), std::runtime_error);
    }
    fs::remove(record);
    if (!atCut.empty()) dir.Write("NewsPages.LST", atCut);
    dir.Write("Notes/RSS News/Big 002.txt", std::string("my own words"));
    {
        const TNewsPages pages(record, notes);
        EXPECT_TRUE(pages.MayReplace(folder + "Big 001.txt"));
        EXPECT_TRUE(pages.MayReplace(folder + "Big 010.txt"));
        EXPECT_FALSE(pages.MayReplace(folder + "Big 002.txt"));
    }
    fs::remove(folder + "Big 002.txt");
    TNewsPages pages(record, notes);
    lines.resize(4);
    EXPECT_TRUE(DivideNews("Big", folder, lines, options, {}, &pages));
    pages.Save();
    EXPECT_EQ(FilesUnder(folder), (std::vector<std::string>{"Big 001.txt", "Big 002.txt", "Big 003.txt", "Big 004.txt"}));
}

// On a volume that folds case a site renamed by case finds its recorded pages as the volume
// finds them: they are replaced, and the pages the new name no longer takes go.
TEST(NewsDownload, ASiteRenamedByCaseOnFat) {
    TempDir dir;
    const TFatVolume fat(dir);
    if (!fat.Mounted()) GTEST_SKIP() << "no FAT volume to mount (mkfs.vfat, fusefat, /dev/fuse)";
    const std::string notes = fat.Root() + "/Notes/";
    const std::string folder = notes + "RSS News/";
    fs::create_directories(folder);
    const std::string record = dir / "NewsPages.LST";
    TNewsOptions options;
    options.MakeWordSize = 300;
    {
        TNewsPages pages(record, notes);
        EXPECT_TRUE(DivideNews("News", folder, std::vector<std::string>(3, std::string(100, 'x')), options, {}, &pages));
        pages.Save();
    }
    EXPECT_EQ(FilesUnder(folder).size(), size_t(3));
    TNewsPages pages(record, notes);
    std::string kept;
    EXPECT_TRUE(DivideNews("news", folder, std::vector<std::string>(2, std::string(100, 'y')), options, {}, &pages, {},
                            &kept));
    EXPECT_EQ(kept, std::string());
    pages.DropSitesOtherThan({"news"});
    pages.Save();
    EXPECT_EQ(FilesUnder(folder).size(), size_t(2));
}
