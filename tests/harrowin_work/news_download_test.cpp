// The folders and files of the news download.
#include <QtTest>
#include <filesystem>

#include "harrowin_work/news_download.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

namespace fs = std::filesystem;

class NewsDownloadTest : public QObject {
    Q_OBJECT
private slots:
    void folderRules();
};

void NewsDownloadTest::folderRules() {
    // The news sub-folder is always one level below the notes folder, or none at all.
    QCOMPARE(NewsSubFolder(true, "RSS News"), std::string("RSS News"));
    QCOMPARE(NewsSubFolder(false, "RSS News"), std::string());
    QCOMPARE(NewsSubFolder(true, ""), std::string());
    QCOMPARE(NewsSubFolder(true, ".."), std::string());
    QCOMPARE(NewsSubFolder(true, "."), std::string());
    QCOMPARE(NewsSubFolder(true, "  "), std::string());
    QCOMPARE(NewsSubFolder(true, "../../home"), std::string(".. .. home"));
    QCOMPARE(NewsTargetFolder("/p/Notes/", true, "RSS News"), std::string("/p/Notes/RSS News/"));
    QCOMPARE(NewsTargetFolder("/p/Notes", true, ".."), std::string("/p/Notes/"));
    QCOMPARE(NewsCacheFile("/c/RDFData/", "a/b"), std::string("/c/RDFData/a b.RDF"));
    QCOMPARE(NewsCacheFile("/c/RDFData/", ".."), std::string("/c/RDFData/.RDF"));
    // A sub-folder named ".." never removes the notes folder or anything above it.
    TempDir dir;
    dir.Write("Notes/keep.txt", std::string("k"));
    PrepareNewsDownload(dir / "cache");
    QVERIFY(fs::exists(dir / "Notes/keep.txt"));
    QVERIFY(fs::is_directory(dir / "cache"));
    // Plain-text addresses by their own extension.
    bool plain = false;
    const std::string cached = dir.Write("cache/x.RDF", std::string("a\r\nb\r\n"));
    QCOMPARE(NewsDocumentLines("http://h/x.TXT", cached, TNewsOptions{}, plain), (std::vector<std::string>{"a", "b"}));
    QVERIFY(plain);
    NewsDocumentLines("http://h/x.html", cached, TNewsOptions{}, plain);
    QVERIFY(!plain);
}

QTEST_APPLESS_MAIN(NewsDownloadTest)
#include "news_download_test.moc"
