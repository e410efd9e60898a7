// The settings file, the language table and the status texts of the main window.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string_view>

#include "foundation/errors.h"
#include "foundation/ini_file.h"
#include "harrowin_work/language_table.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/status_text.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

TEST(HarrowinSettings, FirstStartWritesEveryKeyInFileOrder) {
    TempDir dir;
    const std::string file = dir / "Tessmar.INI";
    {
        TTolvIPodINI s(file, {1280, 1024, 600, 440});
        EXPECT_EQ(s.Positions.Main_X, (1280 - 600) / 2);
        EXPECT_EQ(s.Positions.TView_Y, (1024 - 330) / 2);
        EXPECT_EQ(s.Positions.PView_X, (1280 - 640) / 2);
        EXPECT_EQ(s.TextDivide.MakeWordSize, 4050);
        EXPECT_EQ(s.Internet.SaveFolder, std::string("RSS News"));
        EXPECT_EQ(s.SongFind.Type, 2);
        EXPECT_FALSE(s.Copyright.Copyright);
        const auto rows = s.SiteRows();
        ASSERT_EQ(rows.size(), size_t(5));
        for (const auto& r : rows) {
            EXPECT_TRUE(r.Checked);
            EXPECT_EQ(r.LastUpdate, std::string("Not Updated"));
            EXPECT_TRUE(r.Address.rfind("http://", 0) == 0);
            EXPECT_TRUE(r.Address.size() > 9 && r.Address.substr(r.Address.size() - 9) == "index.rdf");
        }
    }
    const std::string text = ReadFileText(file);
    const char* order[] = {"[Positions]",
                           "Main_X=",
                           "Main_Y=",
                           "TView_X=",
                           "TView_Y=",
                           "TView_W=400",
                           "TView_H=330",
                           "PView_X=",
                           "PView_Y=",
                           "PView_W=640",
                           "PView_H=400",
                           "[SongCopy]",
                           "MakeFolder_Artist=1",
                           "MakeFolder_Album=0",
                           "MakingNameType=0",
                           "Folder=",
                           "AddTrackNo=0",
                           "MakeLibraryData=1",
                           "[VideoCopy]",
                           "VideoFolder=",
                           "MakeArtistFolder=1",
                           "MakeAlbumFolder=0",
                           "MakeType=0",
                           "MakeImportFile=0",
                           "[TextDivide]",
                           "MakePageNo=1",
                           "MakeLink=1",
                           "MakeDelRuby=0",
                           "MakeDivMode=0",
                           "MakeWordSize=4050",
                           "MakeFolder=1",
                           "AddEncoded=1",
                           "AddTitle=1",
                           "EveryDisplay=1",
                           "[SongFind]",
                           "Type=2",
                           "Text=",
                           "PageIndex=0",
                           "[Copyright]",
                           "Copyright=0",
                           "[Internet]",
                           "AutoDownLoad=0",
                           "SaveFolder=RSS News",
                           "AddRSSDate=0",
                           "AddRSSURL=0",
                           "[Recognize]",
                           "MakeFolder=0",
                           "DriveLockPath=",
                           "[PhotoCopy]",
                           "Folder=",
                           "Type=0",
                           "[Photos]",
                           "Type=0",
                           "PosX=0",
                           "PosY=0",
                           "[RSSURLData]",
                           "Count=4",
                           "No.0=",
                           "No.1=",
                           "No.2=",
                           "No.3=",
                           "No.4="};
    size_t at = 0;
    for (const char* piece : order) {
        const size_t found = text.find(piece, at);
        EXPECT_TRUE(found != std::string::npos) << piece;
        at = found + 1;
    }
    EXPECT_TRUE(text.find("No.5=") == std::string::npos);
    EXPECT_TRUE(text.find("\r\n") != std::string::npos);
}

TEST(HarrowinSettings, StoredValuesReadBack) {
    TempDir dir;
    const std::string file = dir / "Tessmar.INI";
    {
        TTolvIPodINI s(file);
        s.Positions.Main_X = -20;
        s.SongCopy.Folder = "/home/利用者/音楽";
        s.SongFind.Text = "検索;語=句";
        s.Recognize.MakeFolder = true;
        s.Recognize.DriveLockPath = "/media/IPOD";
        s.TextDivide.MakeWordSize = -5;
        s.Photos.PosY = 77;
        s.Copyright.Copyright = true;
        s.Close();
    }
    // A key added by hand disappears after the next run; the values stay.
    std::string text = ReadFileText(file);
    text += "[Extra]\r\nMine=1\r\n";
    dir.Write("Tessmar.INI", text);
    {
        TTolvIPodINI s(file);
        EXPECT_EQ(s.Positions.Main_X, -20);
        EXPECT_EQ(s.SongCopy.Folder, std::string("/home/利用者/音楽"));
        EXPECT_EQ(s.SongFind.Text, std::string("検索;語=句"));
        EXPECT_TRUE(s.Recognize.MakeFolder);
        EXPECT_EQ(s.Recognize.DriveLockPath, std::string("/media/IPOD"));
        EXPECT_EQ(s.TextDivide.MakeWordSize, -5);
        EXPECT_EQ(s.Photos.PosY, 77);
        EXPECT_TRUE(s.Copyright.Copyright);
    }
    EXPECT_TRUE(ReadFileText(file).find("[Extra]") == std::string::npos);
}

TEST(HarrowinSettings, SiteListCounts) {
    TempDir dir;
    // Three sites: Count=2, read back as three.
    {
        TTolvIPodINI s(dir / "a.ini");
        s.SetSites({"A;http://a/;Not Updated;1;", "B;http://b/;2026/01/02 03:04;0;", "C;/tmp/c.rdf;Not Updated;1;"});
    }
    EXPECT_TRUE(ReadFileText(dir / "a.ini").find("Count=2\r\n") != std::string::npos);
    ASSERT_EQ(TTolvIPodINI(dir / "a.ini").Sites().size(), size_t(3));
    // Count=-1 (an empty list stored) and a missing section give the five defaults.
    dir.Write("b.ini", "[RSSURLData]\r\nCount=-1\r\n");
    ASSERT_EQ(TTolvIPodINI(dir / "b.ini").Sites().size(), size_t(5));
    dir.Write("c.ini", "[Positions]\r\nMain_X=1\r\n");
    ASSERT_EQ(TTolvIPodINI(dir / "c.ini").Sites().size(), size_t(5));
    // An empty No.1 between No.0 and No.2 is skipped; the sites close up.
    dir.Write("d.ini", "[RSSURLData]\r\nCount=2\r\nNo.0=A;a;x;1;\r\nNo.1=\r\nNo.2=C;c;x;0;\r\n");
    TTolvIPodINI d(dir / "d.ini");
    ASSERT_EQ(d.Sites().size(), size_t(2));
    EXPECT_EQ(d.Sites()[1], std::string("C;c;x;0;"));
}

TEST(HarrowinSettings, SingleSiteSurvivesARestart) {
    TempDir dir;
    {
        TTolvIPodINI s(dir / "one.ini");
        s.SetSites({"Only;http://only.example/index.rdf;Not Updated;1;"});
    }
    EXPECT_TRUE(ReadFileText(dir / "one.ini").find("Count=0\r\nNo.0=Only;") != std::string::npos);
    TTolvIPodINI s(dir / "one.ini");
    ASSERT_EQ(s.Sites().size(), size_t(1));
    EXPECT_EQ(s.Sites()[0], std::string("Only;http://only.example/index.rdf;Not Updated;1;"));
}

TEST(HarrowinSettings, SiteRowsAndStore) {
    TempDir dir;
    TTolvIPodINI s(dir / "x.ini");
    s.SetSites({"NoSemicolonLine", "Old;http://o/;Not Updated", "Off;http://f/;t;0;", "On;http://n/;t;1;"});
    const auto rows = s.SiteRows();
    ASSERT_EQ(rows.size(), size_t(3));
    EXPECT_TRUE(rows[0].Checked);  // no fourth field: checked
    EXPECT_FALSE(rows[1].Checked);
    EXPECT_TRUE(rows[2].Checked);
    s.StoreSiteRows({});  // an empty view leaves the sites untouched
    ASSERT_EQ(s.Sites().size(), size_t(4));
    s.StoreSiteRows({{"N", "u", "Not Updated", false}});
    ASSERT_EQ(s.Sites().size(), size_t(1));
    EXPECT_EQ(s.Sites()[0], std::string("N;u;Not Updated;0;"));
}

TEST(HarrowinSettings, BadFileStartsWithDefaultsKeepingReadableValues) {
    TempDir dir;
    std::string garbage =
        "\x01\x02 nonsense\r\n[Positions\r\nMain_X=abc\r\n[SongCopy]\r\nMakeFolder_Artist=zz\r\n"
        "MakingNameType=3\r\n=novalue\r\n[RSSURLData]\r\nCount=many\r\nNo.0=X;y;z;1;\r\n";
    garbage += std::string("\xff\xfe\x80", 3);
    dir.Write("bad.ini", garbage);
    TTolvIPodINI s(dir / "bad.ini", {800, 600, 600, 440});
    EXPECT_EQ(s.Positions.Main_X, 100);
    EXPECT_TRUE(s.SongCopy.MakeFolder_Artist);
    EXPECT_EQ(s.SongCopy.MakingNameType, 3);
    ASSERT_EQ(s.Sites().size(), size_t(5));
    // A huge Count with few records does not stall the start.
    dir.Write("huge.ini", "[RSSURLData]\r\nCount=2147483647\r\nNo.0=A;a;b;1;\r\n");
    ASSERT_EQ(TTolvIPodINI(dir / "huge.ini").Sites().size(), size_t(1));
}

TEST(HarrowinSettings, UnreadFileIsKeptAndIsNoFirstStart) {
    TempDir dir;
    // Something the settings cannot be read from stands at the name: only an accepted start
    // ever writes the file, so the terms are not asked again, and nothing replaces it.
    std::filesystem::create_directory(dir / "Tessmar.INI");
    TTolvIPodINI s(dir / "Tessmar.INI");
    EXPECT_TRUE(s.ReadFailure().find("Tessmar.INI") != std::string::npos);
    EXPECT_TRUE(s.Copyright.Copyright);
    EXPECT_THROW(s.Close(), EFileError);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "Tessmar.INI"));
}

TEST(HarrowinSettings, UnwritableFolderReportsOnClose) {
    TempDir dir;
    TTolvIPodINI s(dir / "missing/Tessmar.INI");
    bool thrown = false;
    try {
        s.Close();
    } catch (const ETolvError&) {
        thrown = true;
    }
    EXPECT_TRUE(thrown);
}

TEST(HarrowinSettings, LanguageTable) {
    TLagugae lang;
    EXPECT_EQ(lang.Get("MSG_RECG_NOT"), std::string("認識できません"));
    EXPECT_EQ(lang.Get("TITLE"), std::string("Harrowin"));
    EXPECT_EQ(lang.Get("title"), std::string());
    EXPECT_EQ(lang.Get(" TITLE"), std::string());
    EXPECT_EQ(lang.Get("NO_SUCH_KEY"), std::string());
    EXPECT_EQ(lang.Get("MSG_CNCT_SUC"), std::string("[接続中]"));
    EXPECT_EQ(lang.Get("MSG_REMOVED"), std::string("iPodは取り外されました"));
    EXPECT_EQ(lang.Get("MSG_LOAD_SONG"), std::string("%d 曲を読み込みました"));
    const TLangObjList& list = lang.List();
    ASSERT_EQ(list.Count(), 2 * kLanguageTextCount);
    for (size_t i = 0; i < kLanguageTextCount; ++i) {
        EXPECT_EQ(list.Item(i).Key, list.Item(i + kLanguageTextCount).Key);
        EXPECT_EQ(list.Item(i).Text, list.Item(i + kLanguageTextCount).Text);
    }
    EXPECT_EQ(list.Item(0).Key, std::string("TITLE"));
    EXPECT_EQ(list.Item(kLanguageTextCount - 1).Key, std::string("MSG_LOAD_CALD"));
}

TEST(HarrowinSettings, LanguageTableHoldsEachKeyOnce) {
    // A second row of a key could never show: the lookup stops at the first.
    std::set<std::string_view> keys;
    for (const TLangRow& row : kLanguageTexts) EXPECT_TRUE(keys.insert(row.Key).second) << row.Key;
}

TEST(HarrowinSettings, ProgressTexts) {
    EXPECT_EQ(ProgressStatusText(0, 10, "読み込み中"), std::string("0 % - 読み込み中"));
    EXPECT_EQ(ProgressStatusText(0, 0, "only"), std::string("only"));
    EXPECT_EQ(ProgressStatusText(5, 10, "x"), std::string("50 % - x"));
    EXPECT_EQ(ProgressStatusText(1, 3, "x"), std::string("33 % - x"));
    EXPECT_EQ(ProgressStatusText(-1, 3, "x"), std::string("-33 % - x"));  // toward zero
    EXPECT_EQ(ProgressStatusText(7, 0, "x"), std::string("x"));           // never reported; no failure
    // The multiplication wraps at 32 bits as it always did, and nothing traps.
    EXPECT_EQ(ProgressStatusText(INT32_MIN, -1, "x"), std::string("0 % - x"));
    EXPECT_EQ(ProgressStatusText(536870912, -1, "x"), std::string("-2147483648 % - x"));  // 2^29 * 100 wraps to INT32_MIN
    EXPECT_EQ(ProgressStatusText(30000000, 30000000, "x"), std::string("-43 % - x"));
}

TEST(HarrowinSettings, Figures) {
    EXPECT_EQ(MegabytesShifted(32212254720ull), std::string("30,720 MB"));
    EXPECT_EQ(MegabytesShifted(1048575), std::string("0 MB"));
    EXPECT_EQ(MegabytesShifted(0xFFFFFFFFFFFFFFFFull), std::string("17,592,186,044,415 MB"));
    EXPECT_EQ(MegabytesRounded(1572864), std::string("2 MB"));  // 1.5 rounds up in the window's form
    EXPECT_EQ(SongCountText(1234), std::string("1,234 曲"));
    EXPECT_EQ(SongCountText(0), std::string("0 曲"));
}

