// The file work the organiser pages share: which rows lie before the base, deleting listed
// files, names of new files, the import copy.
#include <QtTest>
#include <filesystem>
#include <set>
#include <unistd.h>

#include "foundation/errors.h"
#include "harrowin_work/past_entries.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

class PastEntriesTest : public QObject {
    Q_OBJECT
private slots:
    void collectIsStrictAndStopsAtAnEmptyStart();
    void newFileNames();
    void namesStayInsideTheFolder();
    void deleteAndCopy();
};

void PastEntriesTest::collectIsStrictAndStopsAtAnEmptyStart() {
    const TDateTime base = EncodeDateTime(2007, 3, 15, 14, 30, 0);
    std::vector<std::string> names;
    QVERIFY(CollectPastEntries(
        names,
        {{"20070315T142900", "a"}, {"20070315T143000", "equal"}, {"20070315T143100", "b"}, {"20070101T000000", "c"}},
        base));
    QCOMPARE(names, (std::vector<std::string>{"a", "c"}));
    // An empty start ends the walk, whatever follows.
    names.clear();
    QVERIFY(!CollectPastEntries(names, {{"", "x"}, {"20000101T000000", "old"}}, base));
    QVERIFY(names.empty());
    QVERIFY(!CollectPastEntries(names, {}, base));
    // A start that is no date-time raises.
    QVERIFY_THROWS_EXCEPTION(EConvertError, CollectPastEntries(names, {{"20070315", "bad"}}, base));
}

void PastEntriesTest::newFileNames() {
    std::set<std::string> taken;
    auto exists = [&taken](const std::string& p) { return taken.count(p) > 0; };
    QCOMPARE(MakeEventFileName("/p/", "20070315T143000", exists), std::string("/p/20070315T143000_0.ics"));
    for (int i = 0; i < 10; ++i) taken.insert("/p/20070315T143000_" + std::to_string(i) + ".ics");
    QCOMPARE(MakeEventFileName("/p/", "20070315T143000", exists), std::string("/p/20070315T143000_A.ics"));
    QCOMPARE(MakeTaskFileName("/p/", "20070320T180000", exists), std::string("/p/t20070320T180000_0"));
    taken.insert("/p/t20070320T180000_0.ics");
    QCOMPARE(MakeTaskFileName("/p/", "20070320T180000", exists), std::string("/p/t20070320T180000_1"));
    // All 65 537 names taken: the error name, kept inside the folder.
    unsigned asked = 0;
    auto all = [&asked](const std::string&) {
        ++asked;
        return true;
    };
    QCOMPARE(MakeEventFileName("/p/", "B", all), std::string("/p/B_Error"));
    QCOMPARE(asked, 65537u);
    QCOMPARE(MakeTaskFileName("/p/", "B", all), std::string("/p/B_Error"));
    // The real file system.
    TempDir dir;
    dir.Write("20070315T143000_0.ics", "x");
    QCOMPARE(MakeEventFileName(dir.Path() + "/", "20070315T143000"), dir / "20070315T143000_1.ics");
}

void PastEntriesTest::namesStayInsideTheFolder() {
    QCOMPARE(FileInFolder("/p/", "sub/a.ics"), std::string("/p/sub/a.ics"));
    QCOMPARE(FileInFolder("/p", "a.ics"), std::string("/p/a.ics"));
    QCOMPARE(FileInFolder("/p/", "../a.ics"), std::string());
    QCOMPARE(FileInFolder("/p/", "sub/../../a.ics"), std::string());
    QCOMPARE(FileInFolder("/p/", "/etc/passwd"), std::string());
    QCOMPARE(FileInFolder("/p/", ""), std::string());
    QCOMPARE(FileInFolder("", "a.ics"), std::string());
    QCOMPARE(RelativeToFolder("/p/", "/p/sub/a.ics"), std::string("sub/a.ics"));
    QCOMPARE(RelativeToFolder("/p", "/q/a.ics"), std::string("/q/a.ics"));
    QCOMPARE(NewContactFileName("/p/", ""), std::string("/p/.vcf"));
    QCOMPARE(NewContactFileName("/p/", "山田 太郎"), std::string("/p/山田 太郎.vcf"));
    QCOMPARE(NewContactFileName("/p/", ".."), std::string("/p/...vcf"));
    QVERIFY_THROWS_EXCEPTION(EFileError, NewContactFileName("", "x"));
    for (const char* bad : {"../x", "a/b", "a\\b", "a:b", "a?b", "a*b", "a|b", "a<b", "\"q\"", "a\nb"}) {
        QVERIFY_THROWS_EXCEPTION(EFileError, NewContactFileName("/p/", bad));
    }
}

void PastEntriesTest::deleteAndCopy() {
    TempDir dir;
    const std::string folder = dir.Path() + "/";
    dir.Write("a.ics", "a");
    dir.Write("sub/b.ics", "b");
    const std::string ro = dir.Write("ro.ics", "r");
    std::filesystem::permissions(ro, std::filesystem::perms::owner_read);
    const std::string outside = dir.Write("../outside-" + std::to_string(::getpid()) + ".ics", "o");
    std::vector<std::string> failed;
    DeleteListedFiles(
        folder,
        {"a.ics", "missing.ics", "sub/b.ics", "ro.ics", "../" + std::filesystem::path(outside).filename().string()},
        [&failed](const std::string& p) { failed.push_back(p); });
    QCOMPARE(failed.size(), size_t(2));
    QCOMPARE(failed[0], folder + "missing.ics");
    QVERIFY(!std::filesystem::exists(dir / "a.ics"));
    QVERIFY(!std::filesystem::exists(dir / "sub/b.ics"));
    QVERIFY(!std::filesystem::exists(ro));
    // A name that climbs out of the folder is never deleted.
    QVERIFY(std::filesystem::exists(outside));
    std::filesystem::remove(outside);

    const std::string source = dir.Write("pc/c.vcf", "new");
    dir.Write("dst/c.vcf", "old");
    QVERIFY(!CopyIntoFolder(source, dir / "dst"));
    QCOMPARE(ReadFileText(dir / "dst/c.vcf"), std::string("old"));
    std::filesystem::create_directories(dir / "dst2");
    QVERIFY(CopyIntoFolder(source, dir / "dst2"));
    QCOMPARE(ReadFileText(dir / "dst2/c.vcf"), std::string("new"));
    QVERIFY(!CopyIntoFolder(dir / "pc", dir / "dst"));
    QVERIFY(!CopyIntoFolder(dir / "pc/none.vcf", dir / "dst"));
    QVERIFY(!CopyIntoFolder(source, dir / "no-such-folder"));
    QVERIFY(!CopyIntoFolder(source, ""));
    // A sub-folder planted as a link would lead the deletion or the edit outside the folder.
    std::filesystem::create_directory_symlink(dir / "pc", dir / "dst2/linked");
    QCOMPARE(FileInFolder(dir / "dst2", "linked/c.vcf"), std::string());
}

QTEST_APPLESS_MAIN(PastEntriesTest)
#include "past_entries_test.moc"
