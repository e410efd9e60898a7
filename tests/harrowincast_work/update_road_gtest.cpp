#include <gtest/gtest.h>

#include <filesystem>

#include "harrowincast_work/episode_list.h"
#include "harrowincast_work/settings.h"
#include "harrowincast_work/update_road.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/temp_dir.h"

using namespace harrowincast;

namespace fs = std::filesystem;

namespace {

// A feed document whose items carry enclosures at the given paths of the server.
std::string Feed(const LoopbackHttpServer& server, const std::vector<std::string>& paths) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss><channel><title>チャンネル</title>"
        "<author>作者</author><link>http://example.invalid/</link>"
        "<description>説明</description><pubDate>Mon, 07 Dec 2026</pubDate>\n";
    int n = 0;
    for (const auto& p : paths) {
        ++n;
        text += "<item><title>回" + std::to_string(n) + "</title><pubDate>D" + std::to_string(n) +
                "</pubDate><description>d</description><enclosure url=\"" + server.Url(p) +
                "\" length=\"100\" type=\"audio/mpeg\"/></item>\n";
    }
    return text + "</channel></rss>\n";
}

struct Road {
    TempDir dir;
    std::unique_ptr<TTolvIPodINI> ini;
    TPodCastList episodes;
    std::vector<std::string> labels, messages;
    TPodcastWork work;
    TEpisodeRemoval removal;  // what the last run learnt
    std::string status, summary;
    Road() {
        ini = std::make_unique<TTolvIPodINI>(dir / "Lumenquist.INI");
        work.SetLabel = [this](const std::string& t) { labels.push_back(t); };
        work.ShowMessage = [this](const std::string& t) { messages.push_back(t); };
    }
    TPodSiteItem* AddFeed(const std::string& name, const std::string& url) {
        TPodSiteItem* s = ini->Sites.Add();
        s->NAME = name;
        s->URL = url;
        return s;
    }
    int32_t Run(bool cancel = false) {
        TPodcastUpdater up(*ini, episodes, dir.Path(), work);
        up.UpdateFeeds(ini->Sites.Items(), cancel);
        removal = up.Removal;
        status = up.Failures.StatusText();
        summary = up.Failures.Summary();
        return up.NewCount;
    }
};

TEST(PodcastUpdate, TakesTheFirstItemsUpToTheLimitAndFetchesOnlyWhatIsMissing) {
    LoopbackHttpServer server;
    std::vector<std::string> paths;
    for (int i = 1; i <= 10; ++i) {
        paths.push_back("/ep" + std::to_string(i) + ".mp3");
        server.Set(paths.back(), {200, "audio" + std::to_string(i), ""});
    }
    server.Set("/feed", {200, Feed(server, paths), ""});
    Road road;
    TPodSiteItem* site = road.AddFeed("News", server.Url("/feed"));
    EXPECT_EQ(road.Run(), 7);
    EXPECT_EQ(road.labels.front(), "[News]  Download...  ( 1/7 ) ");
    EXPECT_EQ(road.labels.back(), "[News]  Download...  ( 7/7 ) ");
    const std::string folder = road.dir / "PodCastings/News/";
    EXPECT_EQ(ReadFileText(folder + "ep7.mp3"), "audio7");
    EXPECT_FALSE(fs::exists(folder + "ep8.mp3"));
    ASSERT_EQ(road.episodes.Count(), 7);
    const TPodCastItem* ep = road.episodes.GetItem(0);
    EXPECT_EQ(ep->FILE, folder + "ep1.mp3");
    EXPECT_EQ(ep->TITLE, "News");
    EXPECT_EQ(ep->CAPTION, "回1");
    EXPECT_EQ(ep->BLOGNAME, "チャンネル");
    EXPECT_EQ(ep->AUTHOR, "作者");
    EXPECT_EQ(ep->DATE, "D1");
    EXPECT_EQ(ep->Size, 100);
    EXPECT_EQ(ep->PlayListName, "PCast News");
    EXPECT_EQ(site->COLUMNS, 10);
    EXPECT_EQ(site->SIZE, 1000);
    EXPECT_EQ(site->AUTHOR, "作者");
    EXPECT_EQ(site->DATE, "Mon, 07 Dec 2026");
    EXPECT_EQ(site->PLAYLIST, "PCast News");
    EXPECT_TRUE(fs::exists(road.dir / "RSSTemp/News.RSS"));
    EXPECT_EQ(server.LastAgent(), "MyApp");

    // Nothing new: no downloads, every listed episode kept.
    const int before = server.Requests();
    EXPECT_EQ(road.Run(), 0);
    EXPECT_EQ(server.Requests(), before + 1);  // the feed document only
    EXPECT_EQ(server.LastAgent(), "Harrowin");
    for (int i = 0; i < road.episodes.Count(); ++i) EXPECT_FALSE(road.removal.Removes(*road.episodes.GetItem(i)));
}

TEST(PodcastUpdate, NamesFromTheFeedAndTheUserStayInsideTheEpisodeFolder) {
    LoopbackHttpServer server;
    server.Set("/a/..", {200, "dots", ""});
    server.Set("/a/", {200, "empty", ""});
    server.Set("/feed", {200, Feed(server, {"/a/..", "/a/"}), ""});
    Road road;
    road.AddFeed("../../escape", server.Url("/feed"));
    road.Run();
    const std::string folder = road.dir / "PodCastings/.._.._escape/";
    EXPECT_TRUE(fs::is_regular_file(road.dir / "RSSTemp/.._.._escape.RSS"));
    // curl folds "/a/.." into "/", which this server does not answer: only the empty name
    // arrives, as "_", and the failed one leaves no record.
    ASSERT_EQ(road.episodes.Count(), 1);
    EXPECT_EQ(road.episodes.GetItem(0)->FILE, folder + "_");
    EXPECT_EQ(ReadFileText(folder + "_"), "empty");
    EXPECT_FALSE(fs::exists(road.dir / "../escape"));
}

TEST(PodcastUpdate, ErrorAnswersLeaveNoFileAndFeedsWithoutItemsKeepTheirEpisodes) {
    LoopbackHttpServer server;
    server.Set("/gone.mp3", {404, "not found page", ""});
    server.Set("/feed", {200, Feed(server, {"/gone.mp3"}), ""});
    Road road;
    road.AddFeed("News", server.Url("/feed"));
    EXPECT_EQ(road.Run(), 1);  // attempted
    const std::string file = road.dir / "PodCastings/News/gone.mp3";
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(road.Run(), 1);  // tried again next time
    EXPECT_FALSE(fs::exists(file));

    // The document now fails: the earlier copy is read; a feed that never downloaded is read as
    // one without items and the update goes on.
    server.Set("/feed", {500, "", ""});
    road.AddFeed("Never", server.Url("/never"));
    TPodCastItem* old = road.episodes.FindOrAdd("/elsewhere/x.mp3");
    old->FILE = "/elsewhere/x.mp3";
    old->TITLE = "Never";
    road.Run();
    EXPECT_TRUE(road.messages.empty());  // told with the other failures at the end
    EXPECT_NE(road.summary.find("\"Never\"からPodCast情報を取得できませんでした（サーバーがエラー 404 を返しました）"),
              std::string::npos)
        << road.summary;
    EXPECT_FALSE(road.removal.Removes(*old));
    EXPECT_FALSE(road.removal.Removes(*road.episodes.GetItem(0)));  // News read from its earlier copy
}

TEST(PodcastUpdate, CancelStopsEachRemainingFeedAfterOneEpisode) {
    LoopbackHttpServer server;
    for (const char* f : {"a", "b", "c"}) {
        std::vector<std::string> paths;
        for (int i = 1; i <= 3; ++i) {
            paths.push_back(std::string("/") + f + std::to_string(i) + ".mp3");
            server.Set(paths.back(), {200, "x", ""});
        }
        server.Set(std::string("/") + f, {200, Feed(server, paths), ""});
        (void)f;
    }
    Road road;
    road.AddFeed("A", server.Url("/a"));
    road.AddFeed("B", server.Url("/b"));
    road.AddFeed("C", server.Url("/c"));
    bool cancel = false;
    TPodcastUpdater up(*road.ini, road.episodes, road.dir.Path(), road.work);
    up.UpdateFeeds({}, cancel);  // makes the folders
    up.UpdateFeed(*road.ini->Sites.GetItem(0), up.RssFolder(), up.CastFolder(), cancel);
    cancel = true;
    up.UpdateFeed(*road.ini->Sites.GetItem(1), up.RssFolder(), up.CastFolder(), cancel);
    up.UpdateFeed(*road.ini->Sites.GetItem(2), up.RssFolder(), up.CastFolder(), cancel);
    EXPECT_EQ(road.episodes.Count(), 5);
    EXPECT_EQ(road.ini->Sites.GetItem(2)->COLUMNS, 3);  // the third document is still read
    // The episodes that the stopped walks did not reach are not dropped.
    TPodCastItem* unreached = road.episodes.FindOrAdd(road.dir / "PodCastings/B/b3.mp3");
    unreached->TITLE = "B";
    EXPECT_FALSE(up.Removal.Removes(*unreached));
}

TEST(PodcastUpdate, ItemsWithoutEnclosureCountAmongTheTakenOnes) {
    LoopbackHttpServer server;
    server.Set("/1.mp3", {200, "one", ""});
    server.Set("/3.mp3", {200, "three", ""});
    server.Set("/feed", {200,
                         "<rss><channel><title>T</title>"
                         "<item><title>a</title></item>"
                         "<item><title>b</title><enclosure url=\"" +
                             server.Url("/1.mp3") +
                             "\" length=\"x\" type=\"audio/mpeg\"/></item>"
                             "<item><title>c</title><enclosure url=\"" +
                             server.Url("/3.mp3") +
                             "\" type=\"audio/mpeg\"/></item>"
                             "</channel></rss>",
                         ""});
    Road road;
    TPodSiteItem* site = road.AddFeed("News", server.Url("/feed"));

    // Cancelled from the start: the first item has no enclosure, so the first one with an
    // enclosure is still taken, and nothing after it.
    EXPECT_EQ(road.Run(/*cancel=*/true), 1);
    ASSERT_EQ(road.episodes.Count(), 1);
    EXPECT_EQ(road.episodes.GetItem(0)->CAPTION, "b");
    EXPECT_EQ(road.episodes.GetItem(0)->Size, 0);  // a length that is not a number
    EXPECT_EQ(site->AUTHOR, "制作者不明");
    EXPECT_EQ(site->SIZE, 0);

    road.labels.clear();
    EXPECT_EQ(road.Run(), 1);  // only the third is new
    EXPECT_EQ(road.labels, (std::vector<std::string>{"[News]  Download...  ( 1/3 ) ", "[News]  Download...  ( 2/3 ) ",
                                                     "[News]  Download...  ( 3/3 ) "}));
    EXPECT_EQ(road.episodes.Count(), 2);

    // A limit of 0 or less takes no item: the hand-over would drop every known episode, so it
    // names the feed to ask first.
    road.ini->DeleteColumns = -1;
    EXPECT_EQ(road.Run(), 0);
    EXPECT_EQ(site->COLUMNS, 3);
    EXPECT_EQ(road.removal.FeedsLosingEveryEpisode(road.episodes), std::vector<std::string>{"News"});
}

TEST(PodcastUpdate, LocalAddressesInAFeedAreNotCopied) {
    LoopbackHttpServer server;
    Road road;
    const std::string secret = road.dir.Write("private/secret.txt", "secret");
    server.Set("/feed", {200,
                         "<rss><channel><title>T</title><item><title>a</title><enclosure url=\"file://" + secret +
                             "\" type=\"audio/mpeg\"/></item></channel></rss>",
                         ""});
    road.AddFeed("News", server.Url("/feed"));
    EXPECT_EQ(road.Run(), 1);  // attempted
    EXPECT_FALSE(fs::exists(road.dir / "PodCastings/News/secret.txt"));

    // A feed address that is a local file is not read either: the feed has no items.
    road.AddFeed("Local", "FILE://" + road.dir.Write("local.rss",
                                                     "<rss><channel><item><title>x</title></item></channel></rss>"));
    road.messages.clear();
    road.Run();
    EXPECT_NE(road.summary.find("\"Local\"からPodCast情報を取得できませんでした（取得できないアドレスです）"),
              std::string::npos)
        << road.summary;
}

TEST(PodcastUpdate, CancelStopsTheEpisodeBeingFetched) {
    LoopbackHttpServer server;
    server.Set("/long.mp3", LoopbackHttpServer::LongAnswer());
    server.Set("/next.mp3", {200, "next", ""});
    server.Set("/feed", {200, Feed(server, {"/long.mp3", "/next.mp3"}), ""});
    Road road;
    road.AddFeed("News", server.Url("/feed"));
    bool cancel = false;
    // The user presses Cancel while the episode arrives.
    road.work.Pump = [&] {
        if (server.BytesSent() > 100000) cancel = true;
    };
    TPodcastUpdater up(*road.ini, road.episodes, road.dir.Path(), road.work);
    up.UpdateFeeds(road.ini->Sites.Items(), cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(up.NewCount, 1);
    // Neither the episode nor its temporary file nor a record is left; the next one was not
    // started.
    EXPECT_TRUE(fs::is_empty(road.dir / "PodCastings/News"));
    EXPECT_EQ(road.episodes.Count(), 0);
}

TEST(PodcastUpdate, EpisodeNamesLeaveTheQueryAndTwoEnclosuresNeverShareAFile) {
    LoopbackHttpServer server;
    server.Set("/a/ep.mp3", {200, "first", ""});
    server.Set("/b/ep.mp3", {200, "second", ""});
    server.Set("/c/ep1.mp3?updated=1700000000", {200, "third", ""});
    server.Set("/feed", {200, Feed(server, {"/a/ep.mp3", "/b/ep.mp3", "/c/ep1.mp3?updated=1700000000"}), ""});
    Road road;
    road.AddFeed("News", server.Url("/feed"));
    EXPECT_EQ(road.Run(), 3);
    const std::string folder = road.dir / "PodCastings/News/";
    EXPECT_EQ(ReadFileText(folder + "ep.mp3"), "first");
    EXPECT_EQ(ReadFileText(folder + "ep(2).mp3"), "second");
    EXPECT_EQ(ReadFileText(folder + "ep1.mp3"), "third");

    // The first leaves the feed: the second keeps its own file and is not taken for the first.
    server.Set("/feed", {200, Feed(server, {"/b/ep.mp3"}), ""});
    EXPECT_EQ(road.Run(), 0);
    EXPECT_FALSE(road.removal.Removes(*road.episodes.FindOrAdd(folder + "ep(2).mp3")));
    EXPECT_TRUE(road.removal.Removes(*road.episodes.FindOrAdd(folder + "ep.mp3")));
}

TEST(PodcastUpdate, AnEndlessEnclosureStopsNearItsDeclaredLengthAndLeavesNoFile) {
    LoopbackHttpServer server;
    LoopbackHttpServer::Answer endless{200, std::string(65536, 'x'), ""};
    endless.Endless = true;
    server.Set("/endless.mp3", endless);
    server.Set("/feed",
               {200,
                "<rss><channel><title>T</title><item><title>a</title><enclosure url=\"" + server.Url("/endless.mp3") +
                    "\" length=\"30\" type=\"audio/mpeg\"/></item></channel></rss>",
                ""});
    Road road;
    road.AddFeed("News", server.Url("/feed"));
    EXPECT_EQ(road.Run(), 1);
    EXPECT_TRUE(fs::is_empty(road.dir / "PodCastings/News"));
    EXPECT_LT(server.BytesSent(), EpisodeByteBound(30) + 16 * 1024 * 1024);
    EXPECT_LT(EpisodeByteBound(30), 100 * 1024 * 1024);
    EXPECT_EQ(EpisodeByteBound(0), 4096LL * 1024 * 1024);
}

TEST(PodcastUpdate, AnEpisodeOnDiskStaysUntilANewerOneIsOnDisk) {
    LoopbackHttpServer server;
    server.Set("/old1.mp3", {200, "old", ""});
    server.Set("/feed", {200, Feed(server, {"/old1.mp3"}), ""});
    Road road;
    road.ini->DeleteColumns = 2;
    road.AddFeed("News", server.Url("/feed"));
    road.Run();
    ASSERT_EQ(road.episodes.Count(), 1);
    const TPodCastItem& old = *road.episodes.GetItem(0);

    // Two new items whose enclosures fail: no record of them, and nothing is removed.
    server.Set("/new1.mp3", {404, "", ""});
    server.Set("/new2.mp3", {404, "", ""});
    server.Set("/feed", {200, Feed(server, {"/new1.mp3", "/new2.mp3"}), ""});
    EXPECT_EQ(road.Run(), 2);
    EXPECT_EQ(road.episodes.Count(), 1);
    EXPECT_FALSE(road.removal.Removes(old));
    EXPECT_TRUE(road.removal.FeedsLosingEveryEpisode(road.episodes).empty());

    // One arrives, the other still fails: the older episode on disk takes the failed one's
    // place among the newest two.
    server.Set("/new2.mp3", {200, "new", ""});
    server.Set("/feed", {200, Feed(server, {"/new1.mp3", "/new2.mp3", "/old1.mp3"}), ""});
    EXPECT_EQ(road.Run(), 2);  // both new ones tried again
    EXPECT_EQ(road.episodes.Count(), 2);
    for (int i = 0; i < road.episodes.Count(); ++i) EXPECT_FALSE(road.removal.Removes(*road.episodes.GetItem(i)));
}

TEST(PodcastUpdate, WhatFailedIsToldWithTheFeedTheEpisodeAndWhy) {
    LoopbackHttpServer server;
    server.Set("/ok.mp3", {200, "ok", ""});
    server.Set("/feed", {200, Feed(server, {"/ok.mp3"}), ""});
    Road road;
    road.AddFeed("News", server.Url("/feed"));
    road.Run();
    EXPECT_EQ(road.status, "更新は完了しました");
    EXPECT_EQ(road.summary, "");

    server.Set("/gone.mp3", {404, "", ""});
    server.Set("/feed", {200, Feed(server, {"/gone.mp3", "/ok.mp3"}), ""});
    road.Run();
    EXPECT_EQ(road.status, "更新は完了しましたが、1 件の処理に失敗しました");
    EXPECT_NE(road.summary.find(
                  "\"News\"のエピソード「回1」をダウンロードできませんでした（サーバーがエラー 404 を返しました）"),
              std::string::npos)
        << road.summary;
}

TEST(PodcastUpdate, EpisodeNamesReadBackAsWritten) {
    LoopbackHttpServer server;
    server.Set("/ep%20", {200, "one", ""});
    server.Set("/%20%20", {200, "two", ""});
    server.Set("/feed", {200, Feed(server, {"/ep%20", "/%20%20"}), ""});
    Road road;
    road.AddFeed("News", server.Url("/feed"));
    EXPECT_EQ(road.Run(), 2);
    const std::string folder = road.dir / "PodCastings/News/";
    EXPECT_EQ(ReadFileText(folder + "ep"), "one");
    EXPECT_EQ(ReadFileText(folder + "_"), "two");
    road.episodes.SaveToFile(road.dir / "Lumenquist.LST");
    TPodCastList again;
    again.LoadFromFile(road.dir / "Lumenquist.LST");
    ASSERT_EQ(again.Count(), 2);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(again.GetItem(i)->FILE, road.episodes.GetItem(i)->FILE);
}

TEST(PodcastUpdate, ARecordNamingNoEpisodeFileGivesItsItemAFreshName) {
    LoopbackHttpServer server;
    server.Set("/ep.mp3", {200, "audio", ""});
    server.Set("/feed", {200, Feed(server, {"/ep.mp3"}), ""});
    Road road;
    road.AddFeed("News", server.Url("/feed"));
    const std::string folder = road.dir / "PodCastings/News/";
    fs::create_directories(folder);
    TPodCastItem* edited = road.episodes.Add(folder + "..");
    edited->TITLE = "News";
    edited->URL = server.Url("/ep.mp3");
    EXPECT_EQ(road.Run(), 1);
    EXPECT_EQ(ReadFileText(folder + "ep.mp3"), "audio");
    EXPECT_TRUE(road.removal.Removes(*edited));
}

TEST(PodcastUpdate, AnEmptyOrCutDownloadFailsAndNeverPushesAnEpisodeOff) {
    LoopbackHttpServer server;
    server.Set("/old1.mp3", {200, "old", ""});
    server.Set("/feed", {200, Feed(server, {"/old1.mp3"}), ""});
    Road road;
    road.ini->DeleteColumns = 1;
    road.AddFeed("News", server.Url("/feed"));
    road.Run();
    const TPodCastItem& old = *road.episodes.GetItem(0);
    const std::string folder = road.dir / "PodCastings/News/";

    // A newer item whose server answers with no byte, then with fewer than it announced.
    server.Set("/feed", {200, Feed(server, {"/new1.mp3", "/old1.mp3"}), ""});
    LoopbackHttpServer::Answer cut{200, "abc", ""};
    cut.Announced = 5000;
    for (const LoopbackHttpServer::Answer& answer : {LoopbackHttpServer::Answer{200, "", ""}, cut}) {
        server.Set("/new1.mp3", answer);
        EXPECT_EQ(road.Run(), 1);
        EXPECT_FALSE(fs::exists(folder + "new1.mp3"));
        EXPECT_EQ(road.episodes.Count(), 1);
        EXPECT_FALSE(road.removal.Removes(old));
        EXPECT_NE(road.summary.find("「回1」をダウンロードできませんでした"), std::string::npos) << road.summary;
    }

    // Whole at last, though not of the length the feed declares (100): the older one may go.
    server.Set("/new1.mp3", {200, "new", ""});
    EXPECT_EQ(road.Run(), 1);
    EXPECT_EQ(road.status, "更新は完了しました");
    EXPECT_TRUE(road.removal.Removes(old));

    // A recorded episode whose file is empty is fetched again.
    fs::resize_file(folder + "new1.mp3", 0);
    EXPECT_EQ(road.Run(), 1);
    EXPECT_EQ(ReadFileText(folder + "new1.mp3"), "new");
}

TEST(PodcastUpdate, ACancelIsToldAsACancelWithWhatFailedBeforeIt) {
    LoopbackHttpServer server;
    server.Set("/gone.mp3", {404, "", ""});
    server.Set("/long.mp3", LoopbackHttpServer::LongAnswer());
    server.Set("/feed", {200, Feed(server, {"/gone.mp3", "/long.mp3"}), ""});
    Road road;
    road.AddFeed("News", server.Url("/feed"));
    bool cancel = false;
    road.work.Pump = [&] {
        if (server.BytesSent() > 100000) cancel = true;
    };
    TPodcastUpdater up(*road.ini, road.episodes, road.dir.Path(), road.work);
    up.UpdateFeeds(road.ini->Sites.Items(), cancel);
    EXPECT_EQ(up.Failures.StatusText(), "更新はキャンセルされました");
    EXPECT_EQ(up.Failures.Count(), 1);
    EXPECT_NE(up.Failures.Summary().find("「回1」"), std::string::npos);
    EXPECT_EQ(up.Failures.Summary().find("「回2」"), std::string::npos) << up.Failures.Summary();
}

TEST(PodcastUpdate, TheFailureBoxStaysAFewThousandCharactersWhateverTheTitles) {
    TUpdateFailures failures;
    for (int i = 0; i < 25; ++i) failures.Add("\"News\"のエピソード「" + std::string(100000, 'x') + "\nあ」");
    const std::string summary = failures.Summary();
    EXPECT_LT(summary.size(), 8000u);
    size_t lines = 0;
    for (size_t at = 0; (at = summary.find('\n', at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(lines, TUpdateFailures::kShownLines + 1);  // the shown ones and "…ほか N 件"
    EXPECT_NE(summary.find("xx…\n"), std::string::npos) << summary.substr(0, 300);
}

}  // namespace
