// The file work the organiser pages share: which rows lie before the base, deleting listed
// files, names of new files, the import copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <unistd.h>

#include "foundation/errors.h"
#include "harrowin_work/past_entries.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

TEST(PastEntries, CollectIsStrictAndStopsAtAnEmptyStart) {
    const TDateTime base = EncodeDateTime(2007, 3, 15, 14, 30, 0);
    std::vector<std::string> names;
    EXPECT_TRUE(CollectPastEntries(
        names,
        {{"20070315T142900", "a"}, {"20070315T143000", "equal"}, {"20070315T143100", "b"}, {"20070101T000000", "c"}},
        base));
    EXPECT_EQ(names, (std::vector<std::string>{"a", "c"}));
    // An empty start ends the walk, whatever follows.
    names.clear();
    EXPECT_FALSE(CollectPastEntries(names, {{"", "x"}, {"20000101T000000", "old"}}, base));
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(CollectPastEntries(names, {}, base));
    // A start that is no date-time raises.
    EXPECT_THROW(CollectPastEntries(names, {{"20070315", "bad"}}, base), EConvertError);
}

TEST(PastEntries, NewFileNames) {
    std::set<std::string> taken;
    auto exists = [&taken](const std::string& p) { return taken.count(p) > 0; };
    EXPECT_EQ(MakeEventFileName("/p/", "20070315T143000", exists), std::string("/p/20070315T143000_0.ics"));
    for (int i = 0; i < 10; ++i) taken.insert("/p/20070315T143000_" + std::to_string(i) + ".ics");
    EXPECT_EQ(MakeEventFileName("/p/", "20070315T143000", exists), std::string("/p/20070315T143000_A.ics"));
    EXPECT_EQ(MakeTaskFileName("/p/", "20070320T180000", exists), std::string("/p/t20070320T180000_0"));
    taken.insert("/p/t20070320T180000_0.ics");
    EXPECT_EQ(MakeTaskFileName("/p/", "20070320T180000", exists), std::string("/p/t20070320T180000_1"));
    // All 65 537 names taken: the error name, kept inside the folder.
    unsigned asked = 0;
    auto all = [&asked](const std::string&) {
        ++asked;
        return true;
    };
    EXPECT_EQ(MakeEventFileName("/p/", "B", all), std::string("/p/B_Error"));
    EXPECT_EQ(asked, 65537u);
    EXPECT_EQ(MakeTaskFileName("/p/", "B", all), std::string("/p/B_Error"));
    // The real file system.
    TempDir dir;
    dir.Write("20070315T143000_0.ics", "x");
    EXPECT_EQ(MakeEventFileName(dir.Path() + "/", "20070315T143000"), dir / "20070315T143000_1.ics");
}

TEST(PastEntries, NamesStayInsideTheFolder) {
    EXPECT_EQ(FileInFolder("/p/", "sub/a.ics"), std::string("/p/sub/a.ics"));
    EXPECT_EQ(FileInFolder("/p", "a.ics"), std::string("/p/a.ics"));
    EXPECT_EQ(FileInFolder("/p/", "../a.ics"), std::string());
    EXPECT_EQ(FileInFolder("/p/", "sub/../../a.ics"), std::string());
    EXPECT_EQ(FileInFolder("/p/", "/etc/passwd"), std::string());
    EXPECT_EQ(FileInFolder("/p/", ""), std::string());
    EXPECT_EQ(FileInFolder("", "a.ics"), std::string());
    EXPECT_EQ(RelativeToFolder("/p/", "/p/sub/a.ics"), std::string("sub/a.ics"));
    EXPECT_EQ(RelativeToFolder("/p", "/q/a.ics"), std::string("/q/a.ics"));
    EXPECT_EQ(NewContactFileName("/p/", ""), std::string("/p/.vcf"));
    EXPECT_EQ(NewContactFileName("/p/", "山田 太郎"), std::string("/p/山田 太郎.vcf"));
    EXPECT_EQ(NewContactFileName("/p/", ".."), std::string("/p/...vcf"));
    EXPECT_THROW(NewContactFileName("", "x"), EFileError);
    for (const char* bad : {"../x", "a/b", "a\\b", "a:b", "a?b", "a*b", "a|b", "a<b", "\"q\"", "a\nb"}) {
        EXPECT_THROW(NewContactFileName("/p/", bad), EFileError);
    }
}

TEST(PastEntries, DeleteAndCopy) {
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
    ASSERT_EQ(failed.size(), size_t(2));
    EXPECT_EQ(failed[0], folder + "missing.ics");
    EXPECT_FALSE(std::filesystem::exists(dir / "a.ics"));
    EXPECT_FALSE(std::filesystem::exists(dir / "sub/b.ics"));
    EXPECT_FALSE(std::filesystem::exists(ro));
    // A name that climbs out of the folder is never deleted.
    EXPECT_TRUE(std::filesystem::exists(outside));
    std::filesystem::remove(outside);

    const std::string source = dir.Write("pc/c.vcf", "new");
    dir.Write("dst/c.vcf", "old");
    EXPECT_FALSE(CopyIntoFolder(source, dir / "dst"));
    EXPECT_EQ(ReadFileText(dir / "dst/c.vcf"), std::string("old"));
    std::filesystem::create_directories(dir / "dst2");
    EXPECT_TRUE(CopyIntoFolder(source, dir / "dst2"));
    EXPECT_EQ(ReadFileText(dir / "dst2/c.vcf"), std::string("new"));
    EXPECT_FALSE(CopyIntoFolder(dir / "pc", dir / "dst"));
    EXPECT_FALSE(CopyIntoFolder(dir / "pc/none.vcf", dir / "dst"));
    EXPECT_FALSE(CopyIntoFolder(source, dir / "no-such-folder"));
    EXPECT_FALSE(CopyIntoFolder(source, ""));
    // A sub-folder planted as a link would lead the deletion or the edit outside the folder.
    std::filesystem::create_directory_symlink(dir / "pc", dir / "dst2/linked");
    EXPECT_EQ(FileInFolder(dir / "dst2", "linked/c.vcf"), std::string());
}

