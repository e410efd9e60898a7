// The settings file, the language table and the status texts of the main window.
#include <QtTest>

#include <filesystem>

#include "foundation/errors.h"
#include "foundation/ini_file.h"
#include "harrowin_work/language_table.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/status_text.h"
#include "tests/support/temp_dir.h"

using namespace harrowin;

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartWritesEveryKeyInFileOrder();
    void storedValuesReadBack();
    void siteListCounts();
    void singleSiteSurvivesARestart();
    void siteRowsAndStore();
    void badFileStartsWithDefaultsKeepingReadableValues();
    void unwritableFolderReportsOnClose();
    void unreadFileIsKeptAndIsNoFirstStart();
    void languageTable();
    void progressTexts();
    void figures();
};

void SettingsTest::firstStartWritesEveryKeyInFileOrder() {
    TempDir dir;
    const std::string file = dir / "Tessmar.INI";
    {
        TTolvIPodINI s(file, {1280, 1024, 600, 440});
        QCOMPARE(s.Positions.Main_X, (1280 - 600) / 2);
        QCOMPARE(s.Positions.TView_Y, (1024 - 330) / 2);
        QCOMPARE(s.Positions.PView_X, (1280 - 640) / 2);
        QCOMPARE(s.TextDivide.MakeWordSize, 4050);
        QCOMPARE(s.Internet.SaveFolder, std::string("RSS News"));
        QCOMPARE(s.SongFind.Type, 2);
        QVERIFY(!s.Copyright.Copyright);
        const auto rows = s.SiteRows();
        QCOMPARE(rows.size(), size_t(5));
        for (const auto& r : rows) {
            QVERIFY(r.Checked);
            QCOMPARE(r.LastUpdate, std::string("Not Updated"));
            QVERIFY(r.Address.rfind("http://", 0) == 0);
            QVERIFY(r.Address.size() > 9 && r.Address.substr(r.Address.size() - 9) == "index.rdf");
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
        QVERIFY2(found != std::string::npos, piece);
        at = found + 1;
    }
    QVERIFY(text.find("No.5=") == std::string::npos);
    QVERIFY(text.find("\r\n") != std::string::npos);
}

void SettingsTest::storedValuesReadBack() {
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
        QCOMPARE(s.Positions.Main_X, -20);
        QCOMPARE(s.SongCopy.Folder, std::string("/home/利用者/音楽"));
        QCOMPARE(s.SongFind.Text, std::string("検索;語=句"));
        QVERIFY(s.Recognize.MakeFolder);
        QCOMPARE(s.Recognize.DriveLockPath, std::string("/media/IPOD"));
        QCOMPARE(s.TextDivide.MakeWordSize, -5);
        QCOMPARE(s.Photos.PosY, 77);
        QVERIFY(s.Copyright.Copyright);
    }
    QVERIFY(ReadFileText(file).find("[Extra]") == std::string::npos);
}

void SettingsTest::siteListCounts() {
    TempDir dir;
    // Three sites: Count=2, read back as three.
    {
        TTolvIPodINI s(dir / "a.ini");
        s.SetSites({"A;http://a/;Not Updated;1;", "B;http://b/;2026/01/02 03:04;0;", "C;/tmp/c.rdf;Not Updated;1;"});
    }
    QVERIFY(ReadFileText(dir / "a.ini").find("Count=2\r\n") != std::string::npos);
    QCOMPARE(TTolvIPodINI(dir / "a.ini").Sites().size(), size_t(3));
    // Count=-1 (an empty list stored) and a missing section give the five defaults.
    dir.Write("b.ini", "[RSSURLData]\r\nCount=-1\r\n");
    QCOMPARE(TTolvIPodINI(dir / "b.ini").Sites().size(), size_t(5));
    dir.Write("c.ini", "[Positions]\r\nMain_X=1\r\n");
    QCOMPARE(TTolvIPodINI(dir / "c.ini").Sites().size(), size_t(5));
    // An empty No.1 between No.0 and No.2 is skipped; the sites close up.
    dir.Write("d.ini", "[RSSURLData]\r\nCount=2\r\nNo.0=A;a;x;1;\r\nNo.1=\r\nNo.2=C;c;x;0;\r\n");
    TTolvIPodINI d(dir / "d.ini");
    QCOMPARE(d.Sites().size(), size_t(2));
    QCOMPARE(d.Sites()[1], std::string("C;c;x;0;"));
}

void SettingsTest::singleSiteSurvivesARestart() {
    TempDir dir;
    {
        TTolvIPodINI s(dir / "one.ini");
        s.SetSites({"Only;http://only.example/index.rdf;Not Updated;1;"});
    }
    QVERIFY(ReadFileText(dir / "one.ini").find("Count=0\r\nNo.0=Only;") != std::string::npos);
    TTolvIPodINI s(dir / "one.ini");
    QCOMPARE(s.Sites().size(), size_t(1));
    QCOMPARE(s.Sites()[0], std::string("Only;http://only.example/index.rdf;Not Updated;1;"));
}

void SettingsTest::siteRowsAndStore() {
    TempDir dir;
    TTolvIPodINI s(dir / "x.ini");
    s.SetSites({"NoSemicolonLine", "Old;http://o/;Not Updated", "Off;http://f/;t;0;", "On;http://n/;t;1;"});
    const auto rows = s.SiteRows();
    QCOMPARE(rows.size(), size_t(3));
    QVERIFY(rows[0].Checked);  // no fourth field: checked
    QVERIFY(!rows[1].Checked);
    QVERIFY(rows[2].Checked);
    s.StoreSiteRows({});  // an empty view leaves the sites untouched
    QCOMPARE(s.Sites().size(), size_t(4));
    s.StoreSiteRows({{"N", "u", "Not Updated", false}});
    QCOMPARE(s.Sites().size(), size_t(1));
    QCOMPARE(s.Sites()[0], std::string("N;u;Not Updated;0;"));
}

void SettingsTest::badFileStartsWithDefaultsKeepingReadableValues() {
    TempDir dir;
    std::string garbage =
        "\x01\x02 nonsense\r\n[Positions\r\nMain_X=abc\r\n[SongCopy]\r\nMakeFolder_Artist=zz\r\n"
        "MakingNameType=3\r\n=novalue\r\n[RSSURLData]\r\nCount=many\r\nNo.0=X;y;z;1;\r\n";
    garbage += std::string("\xff\xfe\x80", 3);
    dir.Write("bad.ini", garbage);
    TTolvIPodINI s(dir / "bad.ini", {800, 600, 600, 440});
    QCOMPARE(s.Positions.Main_X, 100);
    QVERIFY(s.SongCopy.MakeFolder_Artist);
    QCOMPARE(s.SongCopy.MakingNameType, 3);
    QCOMPARE(s.Sites().size(), size_t(5));
    // A huge Count with few records does not stall the start.
    dir.Write("huge.ini", "[RSSURLData]\r\nCount=2147483647\r\nNo.0=A;a;b;1;\r\n");
    QCOMPARE(TTolvIPodINI(dir / "huge.ini").Sites().size(), size_t(1));
}

void SettingsTest::unreadFileIsKeptAndIsNoFirstStart() {
    TempDir dir;
    // Something the settings cannot be read from stands at the name: only an accepted start
    // ever writes the file, so the terms are not asked again, and nothing replaces it.
    std::filesystem::create_directory(dir / "Tessmar.INI");
    TTolvIPodINI s(dir / "Tessmar.INI");
    QVERIFY(s.ReadFailure().find("Tessmar.INI") != std::string::npos);
    QVERIFY(s.Copyright.Copyright);
    QVERIFY_THROWS_EXCEPTION(EFileError, s.Close());
    QVERIFY(std::filesystem::is_empty(dir / "Tessmar.INI"));
}

void SettingsTest::unwritableFolderReportsOnClose() {
    TempDir dir;
    TTolvIPodINI s(dir / "missing/Tessmar.INI");
    bool thrown = false;
    try {
        s.Close();
    } catch (const ETolvError&) {
        thrown = true;
    }
    QVERIFY(thrown);
}

void SettingsTest::languageTable() {
    TLagugae lang;
    QCOMPARE(lang.Get("MSG_RECG_NOT"), std::string("認識できません"));
    QCOMPARE(lang.Get("TITLE"), std::string("Harrowin"));
    QCOMPARE(lang.Get("title"), std::string());
    QCOMPARE(lang.Get(" TITLE"), std::string());
    QCOMPARE(lang.Get("NO_SUCH_KEY"), std::string());
    QCOMPARE(lang.Get("MSG_CNCT_SUC"), std::string("[接続中]"));
    QCOMPARE(lang.Get("MSG_REMOVED"), std::string("iPodは取り外されました"));
    QCOMPARE(lang.Get("MSG_LOAD_SONG"), std::string("%d 曲を読み込みました"));
    const TLangObjList& list = lang.List();
    QCOMPARE(list.Count(), 2 * kLanguageTextCount);
    for (size_t i = 0; i < kLanguageTextCount; ++i) {
        QCOMPARE(list.Item(i).Key, list.Item(i + kLanguageTextCount).Key);
        QCOMPARE(list.Item(i).Text, list.Item(i + kLanguageTextCount).Text);
    }
    QCOMPARE(list.Item(0).Key, std::string("TITLE"));
    QCOMPARE(list.Item(10).Text, std::string("iPodは認識されていません"));
    QCOMPARE(list.Item(46).Key, std::string("MSG_LOAD_CALD"));
}

void SettingsTest::progressTexts() {
    QCOMPARE(ProgressStatusText(0, 10, "読み込み中"), std::string("0 % - 読み込み中"));
    QCOMPARE(ProgressStatusText(0, 0, "only"), std::string("only"));
    QCOMPARE(ProgressStatusText(5, 10, "x"), std::string("50 % - x"));
    QCOMPARE(ProgressStatusText(1, 3, "x"), std::string("33 % - x"));
    QCOMPARE(ProgressStatusText(-1, 3, "x"), std::string("-33 % - x"));  // toward zero
    QCOMPARE(ProgressStatusText(7, 0, "x"), std::string("x"));           // never reported; no failure
    // The multiplication wraps at 32 bits as it always did, and nothing traps.
    QCOMPARE(ProgressStatusText(INT32_MIN, -1, "x"), std::string("0 % - x"));
    QCOMPARE(ProgressStatusText(536870912, -1, "x"),
             std::string("-2147483648 % - x"));  // 2^29 * 100 wraps to INT32_MIN
    QCOMPARE(ProgressStatusText(30000000, 30000000, "x"), std::string("-43 % - x"));
}

void SettingsTest::figures() {
    QCOMPARE(MegabytesShifted(32212254720ull), std::string("30,720 MB"));
    QCOMPARE(MegabytesShifted(1048575), std::string("0 MB"));
    QCOMPARE(MegabytesShifted(0xFFFFFFFFFFFFFFFFull), std::string("17,592,186,044,415 MB"));
    QCOMPARE(MegabytesRounded(1572864), std::string("2 MB"));  // 1.5 rounds up in the window's form
    QCOMPARE(SongCountText(1234), std::string("1,234 曲"));
    QCOMPARE(SongCountText(0), std::string("0 曲"));
}

QTEST_APPLESS_MAIN(SettingsTest)
#include "settings_test.moc"
