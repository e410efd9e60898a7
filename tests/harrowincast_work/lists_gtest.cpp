#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/errors.h"
#include "foundation/ini_file.h"
#include "foundation/names.h"
#include "harrowincast_work/episode_list.h"
#include "harrowincast_work/episode_removal.h"
#include "harrowincast_work/settings.h"
#include "harrowincast_work/site_list.h"
#include "harrowincast_work/work_hooks.h"
#include "tests/support/temp_dir.h"

using namespace harrowincast;

namespace {

TEST(PodcastSettings, MissingFileOrSectionGivesDefaultsAndSaveRoundTrips) {
    TempDir dir;
    // A count of 0 would take no episode and drop every known one.
    dir.Write("Lumenquist.INI", "[Positions]\r\nMain_W=800\r\nState=abc\r\n[Others]\r\nDeleteColumns=0\r\n");
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

TEST(PodcastSiteList, ANameIsTakenByAnotherFeedsNameWithoutCaseOrByItsFolderName) {
    TPodSiteList list;
    TPodSiteItem* odd = list.Add();
    odd->NAME = "変な番組/その他";
    list.Add()->NAME = "Radio";
    EXPECT_EQ(FeedEntryName("変な番組/その他"), "変な番組_その他");
    EXPECT_TRUE(list.NameTakenByOther("変な番組_その他", nullptr));  // one folder, one cache file
    EXPECT_TRUE(list.NameTakenByOther("RADIO", nullptr));
    EXPECT_FALSE(list.NameTakenByOther("変な番組_その他", odd));  // the feed itself
    EXPECT_FALSE(list.NameTakenByOther("Radio 2", nullptr));

    // A long name gives folder and cache file names within the limit, told apart.
    std::string longName;
    for (int i = 0; i < 150; ++i) longName += "長";
    list.Add()->NAME = longName + "一";
    EXPECT_LE(FeedEntryName(longName + "一").size() + 4 + 11, 255u);
    EXPECT_FALSE(list.NameTakenByOther(longName + "二", nullptr));
}

TEST(PodcastSiteList, AnEnteredNameReadsBackExactlyAndNamesOneFeedWithWhatItReadsBackAs) {
    TempDir dir;
    const std::string kept = EnteredName(" \tRadio\r\nNews\x7f ");
    EXPECT_EQ(kept, "Radio  News");
    TPodSiteList list;
    list.Add()->NAME = kept;
    {
        TIniFile ini(dir / "x.ini");
        list.SaveToIni(ini);
    }
    TIniFile read(dir / "x.ini");
    TPodSiteList loaded;
    loaded.LoadFromIni(read);
    EXPECT_EQ(loaded.GetItem(0)->NAME, kept);
    // Names kept before blanks were dropped on entry: one feed with what they read back as,
    // and with a name that makes their folder.
    EXPECT_TRUE(SameFeed("Radio ", " radio"));
    EXPECT_TRUE(SameFeed("A\tB", "A_B"));
    EXPECT_FALSE(SameFeed("Radio", "Radio 2"));
    list.Add()->NAME = "Talk";
    EXPECT_TRUE(list.NameTakenByOther("Talk\t", nullptr));
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

TEST(PodcastEpisodeList, FindOrAddIsExactAndExtractionGivesTheLastFirst) {
    TPodCastList list;
    for (const char* f : {"/p/A.mp3", "/p/b.mp3", "/p/c.mp3"}) list.FindOrAdd(f);
    TPodCastItem* lower = list.FindOrAdd("/p/a.mp3");
    EXPECT_NE(lower, list.GetItem(0));  // exact match only
    EXPECT_EQ(lower->FILE, "/p/a.mp3");
    EXPECT_EQ(list.FindOrAdd("/p/b.mp3"), list.GetItem(1));

    std::vector<std::string> out{"stale"};
    list.ExtractWhere([](const TPodCastItem&) { return false; }, out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(list.Count(), 4);
    list.ExtractWhere([](const TPodCastItem& e) { return e.FILE != "/p/b.mp3"; }, out);
    EXPECT_EQ(out, (std::vector<std::string>{"/p/a.mp3", "/p/c.mp3", "/p/A.mp3"}));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetItem(0)->FILE, "/p/b.mp3");
}

TEST(PodcastEpisodeRemoval, AnUpdateDropsOnlyWhatAWalkedFeedNoLongerListsAndADeletionOnlyItsFeed) {
    TPodCastList list;
    auto add = [&list](const std::string& feed, const std::string& file) { list.FindOrAdd(file)->TITLE = feed; };
    add("News", "/n/1.mp3");
    add("News", "/n/2.mp3");
    add("news", "/x/1.mp3");       // another feed, whose name differs only in case
    add("Stopped", "/s/1.mp3");    // its walk was stopped by Cancel, or it could not be read
    add("Gone", "/g/1.mp3");       // no longer subscribed
    add("Renewed", "/r/old.mp3");  // every item replaced
    TEpisodeRemoval removal;
    EXPECT_FALSE(removal.Removes(*list.GetItem(0)));  // no update: nothing goes
    removal.StartUpdate({"News", "news", "Stopped", "Renewed"});
    removal.FeedWalked("News");
    removal.EpisodeListed("/n/2.mp3");
    removal.FeedWalked("news");
    removal.EpisodeListed("/x/1.mp3");
    removal.FeedWalked("Renewed");
    EXPECT_EQ(removal.FeedsLosingEveryEpisode(list), std::vector<std::string>{"Renewed"});
    std::vector<bool> removed;
    for (int i = 0; i < list.Count(); ++i) removed.push_back(removal.Removes(*list.GetItem(i)));
    EXPECT_EQ(removed, (std::vector<bool>{true, false, false, false, true, true}));
    removal.KeepFeed("Renewed");
    EXPECT_FALSE(removal.Removes(*list.GetItem(5)));
    EXPECT_TRUE(removal.FeedsLosingEveryEpisode(list).empty());

    const TEpisodeRemoval deletion = TEpisodeRemoval::OfDeletedFeed("news");
    removed.clear();
    for (int i = 0; i < list.Count(); ++i) removed.push_back(deletion.Removes(*list.GetItem(i)));
    EXPECT_EQ(removed, (std::vector<bool>{false, false, true, false, false, false}));
}

TEST(PodcastEpisodeList, SaveErasesStaleSectionsAndLoadFillsMissingOnes) {
    TempDir dir;
    const std::string file = dir / "Lumenquist.LST";
    TPodCastList list;
    for (int i = 0; i < 3; ++i) {
        TPodCastItem* ep = list.FindOrAdd("/f" + std::to_string(i));
        ep->CAPTION = "第" + std::to_string(i) + "回";
        ep->FORDELETENAME = "x";
        ep->URL = "https://example.invalid/" + std::to_string(i) + ".mp3";
        ep->Size = 5;
    }
    list.SaveToFile(file);
    std::vector<std::string> gone;
    list.ExtractWhere([](const TPodCastItem& e) { return e.FILE != "/f0"; }, gone);
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
    EXPECT_EQ(loaded.GetItem(0)->URL, "https://example.invalid/0.mp3");
    EXPECT_EQ(loaded.GetItem(0)->Size, 0);

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

TEST(PodcastLists, ControlCharactersInNamesEditedIntoTheFilesReadAsBlanks) {
    TempDir dir;
    using namespace std::string_literals;
    dir.Write("Lumenquist.INI",
              "[System]\r\nCount=1\r\n[RSSURLData]\r\nItem-0.NAME=Ra\0dio\x01\r\n"
              "Item-0.PLAYLIST=PCast Ra\0dio\x01\r\n[Others]\r\nPlayListName=All\x1b"
              "Cast\r\n"s);
    dir.Write("Lumenquist.LST", "[RSSURLData]\r\nCount=1\r\n[Item-0]\r\nTITLE=Ra\0dio\x01\r\nFILE=/x\r\n"s);
    TTolvIPodINI ini(dir / "Lumenquist.INI");
    EXPECT_EQ(ini.Sites.GetItem(0)->NAME, "Ra dio");
    EXPECT_EQ(ini.Sites.GetItem(0)->PLAYLIST, "PCast Ra dio");
    EXPECT_EQ(ini.PlayListName, "All Cast");
    TPodCastList episodes;
    episodes.LoadFromFile(dir / "Lumenquist.LST");
    EXPECT_EQ(episodes.GetItem(0)->TITLE, "Ra dio");  // still the feed's episode
}

}  // namespace

TEST(PodcastEpisodeList, AListOverItsBoundIsSaidAndNeverReplaced) {
    TempDir dir;
    const std::string file = dir.Write("Lumenquist.LST", "[RSSURLData]\r\nCount=1\r\n");
    // Sparse: as large as it says, without writing a quarter of a gigabyte.
    const uintmax_t size = (256u << 20) + 1;
    std::filesystem::resize_file(file, size);
    TPodCastList list;
    EXPECT_THROW(list.LoadFromFile(file), EFileError);
    list.FindOrAdd("/new");
    EXPECT_THROW(list.SaveToFile(file), EFileError);
    EXPECT_EQ(std::filesystem::file_size(file), size);
}
