#include "foundation/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

TEST(IniFile, WrittenAndReadBackKeepsEveryValue) {
    TempDir dir;
    const std::string path = dir / "a.ini";
    {
        TIniFile ini(path);
        ini.WriteString("Sec", "Text", "日本語 テキスト;with=equals");
        ini.WriteInteger("Sec", "Neg", -42);
        ini.WriteBool("Other", "Flag", true);
        ini.WriteBool("Other", "Off", false);
        ini.WriteString("Other", "Multi", "line1\r\nline2");
        ini.UpdateFile();
    }
    const std::string text = ReadFileText(path);
    EXPECT_NE(text.find("[Sec]\r\nText=日本語 テキスト;with=equals\r\n"), std::string::npos);
    EXPECT_NE(text.find("Flag=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("Off=0\r\n"), std::string::npos);
    TIniFile back(path);
    EXPECT_EQ(back.ReadString("Sec", "Text", ""), "日本語 テキスト;with=equals");
    EXPECT_EQ(back.ReadInteger("Sec", "Neg", 0), -42);
    EXPECT_TRUE(back.ReadBool("Other", "Flag", false));
    EXPECT_FALSE(back.ReadBool("Other", "Off", true));
    // A line break inside a value can never start a new key.
    EXPECT_EQ(back.ReadString("Other", "Multi", ""), "line1  line2");
    EXPECT_FALSE(back.ValueExists("Other", "line2"));
}

TEST(IniFile, CaseInsensitiveFirstDuplicateWinsAndDefaults) {
    TIniFile ini("/nonexistent/x.ini");
    ini.LoadFromText(
        "garbage line\n[positions]\nMAIN_X = 12\nMain_X=99\nBad=12abc\nBig=99999999999\n"
        "Bool=7\n[Empty\nk=v\n");
    EXPECT_EQ(ini.ReadInteger("Positions", "main_x", 0), 12);
    EXPECT_EQ(ini.ReadInteger("Positions", "Bad", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Positions", "Big", 5), 5);
    EXPECT_TRUE(ini.ReadBool("Positions", "Bool", false));
    EXPECT_FALSE(ini.ReadBool("Positions", "Bad", false));
    EXPECT_EQ(ini.ReadString("Missing", "k", "def"), "def");
    EXPECT_EQ(ini.ReadString("Empty", "k", ""), "v");
    ini.WriteInteger("POSITIONS", "main_x", 3);
    EXPECT_EQ(ini.ReadInteger("Positions", "Main_X", 0), 3);
    ini.Clear();
    EXPECT_FALSE(ini.SectionExists("Positions"));
    // The same rules in a section long enough to be searched through its index.
    std::string many = "[Items]\n";
    for (int i = 0; i < 40; ++i) many += "Item-" + std::to_string(i) + ".NAME=n" + std::to_string(i) + "\n";
    ini.LoadFromText(many + "ITEM-7.name=later\n[items]\nItem-40.NAME=n40\n");
    EXPECT_EQ(ini.ReadString("ITEMS", "item-7.Name", ""), "n7");
    EXPECT_EQ(ini.ReadString("Items", "Item-40.NAME", ""), "n40");
    ini.WriteString("items", "ITEM-39.NAME", "changed");
    EXPECT_EQ(ini.ReadString("Items", "Item-39.NAME", ""), "changed");
    EXPECT_EQ(ini.ToText().find("later"), std::string::npos);
}

TEST(IniFile, Cp932FileIsReadAsJapanese) {
    TempDir dir;
    const std::string path = dir.Write("old.ini", "[A]\r\nName=" + encoding::Utf8ToCp932("保存先") + "\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "Name", ""), "保存先");
}

TEST(IniFile, AStrayByteGarblesNoUtf8LineWhileACp932FileReadsWhole) {
    TempDir dir;
    const std::string mostlyUtf8 = dir.Write("a.ini", "[Feed]\r\nGenre=M\xFCsik\r\nName=ニュース\r\n");
    {
        TIniFile ini(mostlyUtf8);
        EXPECT_EQ(ini.ReadString("Feed", "Name", ""), "ニュース");
        const std::string genre = ini.ReadString("Feed", "Genre", "");
        EXPECT_TRUE(genre.starts_with("M") && genre.ends_with("sik") && encoding::IsValidUtf8(genre)) << genre;
        ini.WriteString("Feed", "Other", "x");
        ini.UpdateFile();
    }
    TIniFile back(mostlyUtf8);
    EXPECT_EQ(back.ReadString("Feed", "Name", ""), "ニュース");
    EXPECT_TRUE(back.ReadString("Feed", "Genre", "").ends_with("sik"));

    // Half-width kana in code page 932 that happen to be valid UTF-8, line by line.
    const std::string kana = encoding::Utf8ToCp932("ﾏｲﾃｽﾄｰ");
    ASSERT_TRUE(encoding::IsValidUtf8(kana));
    const std::string cp932 = dir.Write("b.ini", "[Feed]\r\nA=" + kana + "\r\nB=" + kana + "\r\nC=" + kana +
                                                     "\r\nName=" + encoding::Utf8ToCp932("ニュース") + "\r\n");
    TIniFile old(cp932);
    EXPECT_EQ(old.ReadString("Feed", "A", ""), "ﾏｲﾃｽﾄｰ");
    EXPECT_EQ(old.ReadString("Feed", "C", ""), "ﾏｲﾃｽﾄｰ");
    EXPECT_EQ(old.ReadString("Feed", "Name", ""), "ニュース");
}

TEST(IniFile, UnwritableFileThrowsNamingIt) {
    TempDir dir;
    TIniFile ini(dir / "missing-folder/x.ini");
    ini.WriteString("A", "B", "C");
    try {
        ini.UpdateFile();
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find("x.ini"), std::string::npos);
    }
}

TEST(IniFile, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.Write("keep.ini", "[A]\r\nB=old\r\n");
    TIniFile ini(path);
    ini.WriteString("A", "B", std::string(4096, 'n'));
    // The disk fills up during the write: the old text must stay.
    {
        FileSizeLimit full(64);
        EXPECT_THROW(ini.UpdateFile(), EFileError);
    }
    EXPECT_EQ(ReadFileText(path), "[A]\r\nB=old\r\n");
    // A link planted beside the file, under a name a writer might take, leads nowhere.
    const std::string other = dir.Write("other.txt", "precious");
    std::filesystem::create_symlink(other, dir / "keep.ini.new");
    ini.UpdateFile();
    EXPECT_EQ(TIniFile(path).ReadString("A", "B", ""), std::string(4096, 'n'));
    EXPECT_EQ(ReadFileText(other), "precious");
    // Nothing is left beside the file but the planted link.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 3);
}

TEST(IniFile, AFileOverTheBoundIsNeitherReadNorReplaced) {
    TempDir dir;
    const std::string big = "[A]\r\nB=" + std::string(200, 'x') + "\r\n";
    const std::string path = dir.Write("big.ini", big);
    TIniFile ini(path, TIniFile::Start::ReadFile, 100);
    EXPECT_FALSE(ini.SectionExists("A"));
    ini.WriteString("A", "B", "default");
    EXPECT_THROW(ini.UpdateFile(), EFileError);
    EXPECT_EQ(ReadFileText(path), big);
    // Nor is a file written that could not be read back.
    TIniFile grown(dir / "grown.ini", TIniFile::Start::ReadFile, 100);
    grown.WriteString("A", "B", std::string(200, 'x'));
    EXPECT_THROW(grown.UpdateFile(), EFileError);
    EXPECT_FALSE(std::filesystem::exists(dir / "grown.ini"));
}

// A settings file the user may not read (mode 0200). Root reads any file, so when the tests run
// as root the reading happens in a child that has given root up.
TEST(IniFile, AFileThatIsThereButNotReadIsKeptAndSaysWhy) {
    TempDir dir;
    const std::string path = dir.Write("locked.ini", "[A]\r\nB=mine\r\n");
    ::chmod(dir.Path().c_str(), 0777);
    ::chmod(path.c_str(), 0200);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::chown(path.c_str(), 65534, 65534) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        TIniFile ini(path);
        ini.WriteString("A", "B", "default");
        bool refused = false;
        try {
            ini.UpdateFile();
        } catch (const EFileError& e) {
            refused = e.Message() == ini.ReadFailure();
        }
        ::_exit(!ini.ReadFailure().empty() && ini.ReadFailure().find(path) != std::string::npos && refused ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadFileText(path), "[A]\r\nB=mine\r\n");
    // A link at the name is not followed and not replaced; a missing file is no failure.
    const std::string other = dir.Write("other.ini", "[A]\r\nB=other\r\n");
    std::filesystem::create_symlink(other, dir / "linked.ini");
    TIniFile linked(dir / "linked.ini");
    EXPECT_FALSE(linked.SectionExists("A"));
    EXPECT_THROW(linked.UpdateFile(), EFileError);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "linked.ini"));
    EXPECT_TRUE(TIniFile(dir / "missing.ini").ReadFailure().empty());
}
