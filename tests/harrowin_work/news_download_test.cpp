// The folders and files of the news download.
#include <gtest/gtest.h>

#include <filesystem>

#include "harrowin_work/news_download.h"
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

