#include <gtest/gtest.h>

#include "foundation/ini_file.h"
#include "podcast/episode_list.h"
#include "podcast/settings.h"
#include "podcast/site_list.h"
#include "podcast/work_hooks.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(PodcastSettings, MissingFileOrSectionGivesDefaultsAndSaveRoundTrips) {
    TempDir dir;
    dir.Write("Lumenquist.INI", "[Positions]\r\nMain_W=800\r\nState=abc\r\n");
    {
        TTolvIPodINI ini(dir / "Lumenquist.INI", 1600, 1000);
        EXPECT_EQ(ini.X, 500);
        EXPECT_EQ(ini.Y, 300);
        EXPECT_EQ(ini.W, 800);
        EXPECT_EQ(ini.State, 0);
        EXPECT_TRUE(ini.QuitiTuunes);
        EXPECT_TRUE(ini.DeleteFile);
        EXPECT_EQ(ini.DeleteColumns, 7);
        EXPECT_EQ(ini.PlayListName, "Harrowin Cast");
        EXPECT_EQ(ini.SaveFolder, dir.Path() + "/");
        EXPECT_EQ(ini.SaveType, 0);
        EXPECT_EQ(ini.Sites.Count(), 0);
        ini.AutoUpdate = true;
        ini.PlayListName = "番組 一覧";
        TPodSiteItem* site = ini.Sites.Add();
        site->NAME = "ニュース";
        site->URL = "http://example.invalid/feed";
        site->SIZE = 1234;
        site->COLUMNS = 3;
        ini.Save();
    }
    TTolvIPodINI again(dir / "Lumenquist.INI");
    EXPECT_TRUE(again.AutoUpdate);
    EXPECT_EQ(again.PlayListName, "番組 一覧");
    ASSERT_EQ(again.Sites.Count(), 1);
    EXPECT_EQ(again.Sites.GetItem(0)->NAME, "ニュース");
    EXPECT_EQ(again.Sites.GetItem(0)->SIZE, 1234);
    EXPECT_EQ(again.Sites.GetItem(0)->COLUMNS, 3);
    EXPECT_EQ(again.Sites.GetItem(1), nullptr);
}

TEST(PodcastSiteList, FindIgnoresCaseAndTakesTheLastWhileFindOrAddAndDeleteAreExact) {
    TPodSiteList list;
    list.Add()->NAME = "News";
    list.Add()->NAME = "NEWS";
    EXPECT_EQ(list.Find("news"), list.GetItem(1));
    EXPECT_EQ(list.Find("other"), nullptr);
    EXPECT_EQ(list.FindOrAdd("NEWS"), list.GetItem(1));
    TPodSiteItem* added = list.FindOrAdd("news");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(added->NAME, "");
    added->NAME = "News";
    list.Delete("News");  // the last one of exactly that name
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetItem(0)->NAME, "News");
    EXPECT_EQ(list.GetItem(1)->NAME, "NEWS");
    list.Delete("missing");
    EXPECT_EQ(list.Count(), 2);
}

TEST(PodcastSiteList, DeletingTheLastFeedWritesCountZeroAndLeavesOldKeys) {
    TempDir dir;
    TIniFile ini(dir / "x.ini");
    TPodSiteList list;
    list.Add()->NAME = "a";
    list.SaveToIni(ini);
    list.Delete("a");
    list.SaveToIni(ini);
    TIniFile read(dir / "x.ini");
    EXPECT_EQ(read.ReadInteger("System", "Count", -1), 0);
    EXPECT_EQ(read.ReadString("RSSURLData", "Item-0.NAME", ""), "a");
    TPodSiteList loaded;
    loaded.LoadFromIni(read);
    EXPECT_EQ(loaded.Count(), 0);
}

TEST(PodcastEpisodeList, SeenMarksAndExtraction) {
    TPodCastList list;
    for (const char* f : {"/p/A.mp3", "/p/b.mp3", "/p/c.mp3"}) list.FindOrAdd(f)->FILE = f;
    EXPECT_NE(list.FindOrAdd("/p/a.mp3"), list.GetItem(0));  // exact match only
    list.GetItem(3)->FILE = "/p/a.mp3";

    list.MarkByFiles({});
    std::vector<std::string> out{"stale"};
    list.ExtractUnseen(out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(list.Count(), 4);

    list.MarkByFiles({"/P/a.MP3", "/p/C.mp3"});  // both A.mp3 and a.mp3 match ignoring case
    list.ExtractUnseen(out);
    EXPECT_EQ(out, (std::vector<std::string>{"/p/a.mp3", "/p/c.mp3", "/p/A.mp3"}));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetItem(0)->FILE, "/p/b.mp3");
    list.ClearSeen();
    EXPECT_FALSE(list.GetItem(0)->Seen);
}

TEST(PodcastEpisodeList, SaveErasesStaleSectionsAndLoadFillsMissingOnes) {
    TempDir dir;
    const std::string file = dir / "Lumenquist.LST";
    TPodCastList list;
    for (int i = 0; i < 3; ++i) {
        TPodCastItem* ep = list.FindOrAdd("/f" + std::to_string(i));
        ep->FILE = "/f" + std::to_string(i);
        ep->CAPTION = "第" + std::to_string(i) + "回";
        ep->FORDELETENAME = "x";
        ep->Size = 5;
        ep->Seen = true;
    }
    list.SaveToFile(file);
    std::vector<std::string> gone;
    list.MarkByFiles({"/f1", "/f2"});
    list.ExtractUnseen(gone);
    list.SaveToFile(file);
    EXPECT_EQ(ReadFileText(file).find("Item-1"), std::string::npos);

    TPodCastList loaded;
    loaded.FindOrAdd("/old");
    loaded.LoadFromFile(dir / "missing.LST");
    EXPECT_EQ(loaded.Count(), 1);  // a missing file leaves the list as it is
    loaded.LoadFromFile(file);
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.GetItem(0)->CAPTION, "第0回");
    EXPECT_EQ(loaded.GetItem(0)->FORDELETENAME, "x");
    EXPECT_EQ(loaded.GetItem(0)->Size, 0);
    EXPECT_FALSE(loaded.GetItem(0)->Seen);

    dir.Write("more.LST", "[RSSURLData]\r\nCount=2\r\n[Item-0]\r\nFILE=/x\r\n");
    loaded.LoadFromFile(dir / "more.LST");
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.GetItem(1)->FILE, "");
}

TEST(PodcastLists, ACountBeyondTheFileIsHeldToItsLines) {
    TempDir dir;
    dir.Write("Lumenquist.LST", "[RSSURLData]\r\nCount=2000000000\r\n[Item-0]\r\nFILE=/x\r\n");
    TPodCastList episodes;
    episodes.LoadFromFile(dir / "Lumenquist.LST");
    EXPECT_GE(episodes.Count(), 1);
    EXPECT_LE(episodes.Count(), 5);
    EXPECT_EQ(episodes.GetItem(0)->FILE, "/x");
    dir.Write("Lumenquist.INI", "[System]\r\nCount=2000000000\r\n[RSSURLData]\r\nItem-0.NAME=a\r\n");
    TTolvIPodINI ini(dir / "Lumenquist.INI");
    EXPECT_GE(ini.Sites.Count(), 1);
    EXPECT_LE(ini.Sites.Count(), 5);
    EXPECT_EQ(ini.Sites.GetItem(0)->NAME, "a");
}

TEST(PodcastNames, SafeEntryNameNeverClimbsOrNamesTheFolder) {
    EXPECT_EQ(SafeEntryName("ep 1.mp3"), "ep 1.mp3");
    EXPECT_EQ(SafeEntryName("ニュース"), "ニュース");
    EXPECT_EQ(SafeEntryName(""), "_");
    EXPECT_EQ(SafeEntryName("."), "_.");
    EXPECT_EQ(SafeEntryName(".."), "_..");
    EXPECT_EQ(SafeEntryName("../../etc"), ".._.._etc");
    EXPECT_EQ(SafeEntryName("a/b\nc"), "a_b_c");
    EXPECT_EQ(SafeEntryName(".hidden"), ".hidden");
}

}  // namespace
