// The fetch layer against a small HTTP server on the loopback address: what counts as fetched,
// the agent sent, redirects, the temporary name of a download, stopping by the pump and the
// bounds every transfer keeps (size, speed, a full disk).
#include "platform/http_fetch.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>

#include "tests/support/loopback_http_server.h"
#include "tests/support/temp_dir.h"

namespace {

class HttpFetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The loopback server must be reached directly whatever proxy the machine uses.
        for (const char* v : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"}) {
            unsetenv(v);
        }
        server_.Set("/doc.rdf", {200, "<rdf>news</rdf>", ""});
        server_.Set("/empty", {200, "", ""});
        server_.Set("/missing", {404, "not here", ""});
        server_.Set("/moved", {302, "", "/doc.rdf"});
        server_.Set("/to-file", {302, "", "file:///etc/hostname"});
        server_.Set("/big", {200, std::string(300000, 'x'), ""});
    }
    LoopbackHttpServer server_;
};

TEST_F(HttpFetchTest, OnlyA2xxAnswerCountsAsFetched) {
    std::string body;
    EXPECT_TRUE(HttpFetchToMemory(server_.Url("/doc.rdf"), body));
    EXPECT_EQ(body, "<rdf>news</rdf>");
    EXPECT_EQ(server_.LastAgent(), "MyApp");
    THttpFetchOptions feed;
    feed.UserAgent = "Harrowin";
    EXPECT_TRUE(HttpFetchToMemory(server_.Url("/doc.rdf"), body, feed));
    EXPECT_EQ(server_.LastAgent(), "Harrowin");
    // An empty document is fetched all the same.
    EXPECT_TRUE(HttpFetchToMemory(server_.Url("/empty"), body));
    EXPECT_EQ(body, "");
    // An error page is no document.
    EXPECT_FALSE(HttpFetchToMemory(server_.Url("/missing"), body));
    EXPECT_EQ(body, "");
    // Redirects are followed, but never onto the local disk.
    EXPECT_TRUE(HttpFetchToMemory(server_.Url("/moved"), body));
    EXPECT_EQ(body, "<rdf>news</rdf>");
    EXPECT_FALSE(HttpFetchToMemory(server_.Url("/to-file"), body));
    // Nobody listening (a port that was free a moment ago).
    int closedPort = 0;
    {
        LoopbackHttpServer gone;
        closedPort = gone.Port();
    }
    EXPECT_FALSE(HttpFetchToMemory("http://127.0.0.1:" + std::to_string(closedPort) + "/x", body));
}

TEST_F(HttpFetchTest, AddressKinds) {
    EXPECT_TRUE(IsFetchableAddress("http://a"));
    EXPECT_TRUE(IsFetchableAddress("https://a"));
    EXPECT_TRUE(IsFetchableAddress("ftp://a"));
    EXPECT_TRUE(IsFetchableAddress("file:///a"));
    // Case-sensitive, as the program has always compared them.
    EXPECT_FALSE(IsFetchableAddress("HTTP://a"));
    EXPECT_FALSE(IsFetchableAddress("/home/user/news.txt"));
    EXPECT_FALSE(IsFetchableAddress("gopher://a"));
    TempDir dir;
    const std::string local = dir.Write("local.txt", std::string("line\r\n"));
    std::string body;
    EXPECT_TRUE(HttpFetchToMemory("file://" + local, body));
    EXPECT_EQ(body, "line\r\n");
    EXPECT_FALSE(HttpFetchToMemory("file://" + dir.Path() + "/none.txt", body));
    // A plain path is not an address.
    EXPECT_FALSE(HttpFetchToMemory(local, body));
}

TEST_F(HttpFetchTest, DownloadReplacesTheFileOnlyWhenComplete) {
    TempDir dir;
    const std::string dest = dir.Write("site.RDF", std::string("old copy"));
    EXPECT_FALSE(HttpFetchToFile(server_.Url("/missing"), dest));
    EXPECT_EQ(ReadFileText(dest), "old copy");
    EXPECT_TRUE(HttpFetchToFile(server_.Url("/big"), dest));
    EXPECT_EQ(ReadFileText(dest).size(), 300000u);
    // A stop asked by the pump fails the download and keeps the previous copy.
    THttpFetchOptions stopping;
    int calls = 0;
    stopping.Pump = [&calls] {
        ++calls;
        return false;
    };
    dir.Write("site.RDF", std::string("old copy"));
    EXPECT_FALSE(HttpFetchToFile(server_.Url("/big"), dest, stopping));
    EXPECT_GT(calls, 0);
    EXPECT_EQ(ReadFileText(dest), "old copy");
    // No temporary file is left behind, whatever the outcome.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
    // A folder that does not exist cannot take the download.
    EXPECT_FALSE(HttpFetchToFile(server_.Url("/doc.rdf"), dir.Path() + "/no/such/site.RDF"));
    // A pump that lets the transfer go on changes nothing.
    THttpFetchOptions pumping;
    pumping.Pump = [] { return true; };
    EXPECT_TRUE(HttpFetchToFile(server_.Url("/doc.rdf"), dest, pumping));
    EXPECT_EQ(ReadFileText(dest), "<rdf>news</rdf>");
}

TEST_F(HttpFetchTest, AnswersBeyondTheLimitFail) {
    LoopbackHttpServer::Answer endless;
    endless.Endless = true;
    endless.Body = "<rss>";
    server_.Set("/endless", endless);
    std::string body;
    // Never-ending: cut at the limit, whatever the caller asks for memory.
    EXPECT_FALSE(HttpFetchToMemory(server_.Url("/endless"), body));
    EXPECT_EQ(body, "");
    THttpFetchOptions unbounded;
    unbounded.MaxBytes = THttpFetchOptions::kUnbounded;
    EXPECT_FALSE(HttpFetchToMemory(server_.Url("/endless"), body, unbounded));
    TempDir dir;
    const std::string dest = dir / "feed.RSS";
    EXPECT_FALSE(HttpFetchToFile(server_.Url("/endless"), dest));
    EXPECT_FALSE(std::filesystem::exists(dest));
    // A caller may ask for less; a file may be unbounded.
    THttpFetchOptions small;
    small.MaxBytes = 1000;
    EXPECT_FALSE(HttpFetchToMemory(server_.Url("/big"), body, small));
    EXPECT_FALSE(HttpFetchToFile(server_.Url("/big"), dest, small));
    EXPECT_TRUE(HttpFetchToFile(server_.Url("/big"), dest, unbounded));
    EXPECT_EQ(std::filesystem::file_size(dest), 300000u);
}

TEST_F(HttpFetchTest, ATransferThatCrawlsFails) {
    // 50 bytes every 100 ms: alive, but far below a kilobyte a second.
    LoopbackHttpServer::Answer drip;
    drip.Endless = true;
    drip.DripBytes = 50;
    drip.DripMillis = 100;
    server_.Set("/drip", drip);
    THttpFetchOptions options;
    options.StallSeconds = 1;
    std::string body;
    EXPECT_FALSE(HttpFetchToMemory(server_.Url("/drip"), body, options));
    EXPECT_LT(server_.BytesSent(), 10000);
}

TEST_F(HttpFetchTest, PartialFilesOfEarlierRunsGo) {
    TempDir dir;
    const std::string dest = dir / "big4.mp3";
    dir.Write("big4.mp3.partnPxSoJ", std::string("killed mid-transfer"));
    dir.Write("big4.mp3.partAAAAAA", std::string("another"));
    dir.Write("big4.mp3.part", std::string("not ours"));
    dir.Write("other.mp3.partnPxSoJ", std::string("another target's"));
    EXPECT_TRUE(HttpFetchToFile(server_.Url("/big"), dest));
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"big4.mp3", "big4.mp3.part", "other.mp3.partnPxSoJ"}));
}

TEST_F(HttpFetchTest, ADownloadStillRunningKeepsItsPartialFile) {
    TempDir dir;
    const std::string dest = dir / "episode.mp3";
    server_.Set("/slow", {200, std::string(2000, 'a'), "", false, 200, 10});
    LoopbackHttpServer other;
    other.Set("/doc", {200, "b", ""});
    // Another download of the same file starts while the first one's bytes arrive.
    bool second = false, started = false;
    THttpFetchOptions options;
    options.Pump = [&] {
        if (!started) {
            started = true;
            second = HttpFetchToFile(other.Url("/doc"), dest);
        }
        return true;
    };
    EXPECT_TRUE(HttpFetchToFile(server_.Url("/slow"), dest, options));
    EXPECT_TRUE(second);
    EXPECT_EQ(ReadFileText(dest), std::string(2000, 'a'));
}

TEST_F(HttpFetchTest, AFullDiskStopsTheDownloadAndLeavesNothing) {
    TempDir dir;
    const std::string dest = dir / "episode.mp3";
    // Files of this process may not grow past 64 KB: writes fail as on a full disk.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit low = old;
    low.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
    THttpFetchOptions episode;
    episode.MaxBytes = THttpFetchOptions::kUnbounded;
    const bool fetched = HttpFetchToFile(server_.Url("/big"), dest, episode);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(fetched);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    // A download that would leave less free room than asked stops before the disk is full.
    episode.KeepFreeBytes = INT64_MAX / 2;
    EXPECT_FALSE(HttpFetchToFile(server_.Url("/big"), dest, episode));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
