#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "foundation/sqlite_db.h"
#include "harrowincast_work/episode_list.h"
#include "harrowincast_work/episode_removal.h"
#include "harrowincast_work/handover.h"
#include "harrowincast_work/settings.h"
#include "platform/media_library.h"
#include "tests/support/temp_dir.h"

using namespace harrowincast;

namespace fs = std::filesystem;

namespace {

struct Hand {
    TempDir dir;
    std::unique_ptr<TTolvIPodINI> ini;
    TPodCastList episodes;
    std::vector<std::string> messages, questions;
    bool answer = false;
    TPodcastWork work;
    Hand() {
        ini = std::make_unique<TTolvIPodINI>(dir / "Lumenquist.INI");
        work.ShowMessage = [this](const std::string& t) { messages.push_back(t); };
        work.ConfirmWarning = [this](const std::string& t) {
            questions.push_back(t);
            return answer;
        };
    }
    std::string Lib() const { return dir / "lib/MediaLibrary.sqlite"; }
    TPodCastItem* Episode(const std::string& feed, const std::string& name, const std::string& blog = "Blog") {
        const std::string path = dir.Write("PodCastings/" + feed + "/" + name, "audio");
        TPodCastItem* ep = episodes.FindOrAdd(path);
        ep->FILE = path;
        ep->TITLE = feed;
        ep->CAPTION = "Cap " + name;
        ep->DATE = "Day";
        ep->AUTHOR = "Auth";
        ep->BLOGNAME = blog;
        return ep;
    }
    void Register(bool cancel = false, TEpisodeRemoval removal = {}) {
        TPodcastHandover h(*ini, episodes, work, [this] { return std::make_unique<TMediaLibrary>(Lib()); });
        h.RegisterInITunes(cancel, removal);
    }
    // What an update that walked the feed and listed only these files learnt.
    static TEpisodeRemoval Listed(const std::string& feed, const std::vector<std::string>& files) {
        TEpisodeRemoval removal;
        removal.StartUpdate({feed});
        removal.FeedWalked(feed);
        for (const auto& f : files) removal.EpisodeListed(f);
        return removal;
    }
};

TEST(PodcastHandover, RegistersTagsAndRemovesDroppedEpisodes) {
    Hand h;
    h.ini->MakeAnyLists = true;
    TPodSiteItem* site = h.ini->Sites.Add();
    site->NAME = "News";
    site->PLAYLIST = "PCast News";
    h.Episode("News", "1.mp3");
    TPodCastItem* dropped = h.Episode("News", "2.mp3");
    const std::string droppedFile = dropped->FILE;
    // A record that an edited list points outside the episode folders.
    const std::string outside = h.dir.Write("mine/keep.mp3", "the user's");
    h.episodes.FindOrAdd(outside)->TITLE = "News";
    h.Register();
    {
        TMediaLibrary lib(h.Lib());
        auto tracks = lib.LibraryPlaylist().Tracks();
        ASSERT_EQ(tracks.Count(), 3);
        EXPECT_EQ(tracks.Item(1).Name(), "Cap 1.mp3(Day)");
        EXPECT_EQ(tracks.Item(1).Artist(), "Auth");
        EXPECT_EQ(tracks.Item(1).Genre(), "PodCasting");
        EXPECT_EQ(tracks.Item(1).Album(), "News");
        auto lists = lib.LibrarySource().PlayLists();
        ASSERT_EQ(lists.Count(), 2);
        EXPECT_EQ(lists.Item(1).Name(), "Harrowin Cast");
        EXPECT_EQ(lists.Item(1).Tracks().size(), 3u);
        EXPECT_EQ(lists.Item(2).Tracks().size(), 3u);
        lib.CreatePlaylist(" harrowin CAST ");  // a second one that differs in case and blanks
    }
    EXPECT_EQ(h.episodes.GetItem(1)->FORDELETENAME, "Cap 2.mp3(Day)");
    EXPECT_TRUE(fs::exists(h.dir / "lib/Harrowin Cast.m3u8"));

    h.Register(false, Hand::Listed("News", {h.episodes.GetItem(0)->FILE}));
    EXPECT_EQ(h.episodes.Count(), 1);
    EXPECT_FALSE(fs::exists(droppedFile));
    EXPECT_EQ(ReadFileText(outside), "the user's");
    TMediaLibrary lib(h.Lib());
    ASSERT_EQ(lib.LibraryPlaylist().Tracks().Count(), 1);
    auto lists = lib.LibrarySource().PlayLists();
    ASSERT_EQ(lists.Count(), 3);  // only the first matching list was replaced
    EXPECT_EQ(lists.Item(1).Name(), " harrowin CAST ");
    EXPECT_EQ(lists.Item(2).Name(), "Harrowin Cast");
    EXPECT_EQ(lists.Item(2).Tracks().size(), 1u);
}

TEST(PodcastHandover, FindsAMovedTrackByItsName) {
    Hand h;
    TPodCastItem* a = h.Episode("News", "a.mp3");
    h.Episode("News", "b.mp3");
    {
        TMediaLibrary lib(h.Lib());
        lib.LibraryPlaylist().AddFile(h.dir.Write("moved/A.MP3", "x"));
        lib.LibraryPlaylist().Tracks().Item(1).SetName("Old(Name)");
    }
    a->FORDELETENAME = "old(name)";
    fs::remove(a->FILE);  // the library refuses the missing file; the moved track is found
    h.Register();
    TMediaLibrary lib(h.Lib());
    auto tracks = lib.LibraryPlaylist().Tracks();
    ASSERT_EQ(tracks.Count(), 2);
    EXPECT_EQ(tracks.Item(1).Name(), "Cap a.mp3(Day)");
    EXPECT_EQ(tracks.Item(2).Name(), "Cap b.mp3(Day)");
    EXPECT_EQ(lib.LibrarySource().PlayLists().Item(1).Tracks().size(), 2u);
    EXPECT_TRUE(fs::exists(h.dir / "lib/Harrowin Cast.m3u8"));
}

// What a hand-over that did not complete must leave as it was.
struct Snapshot {
    std::vector<std::string> tracks, lists, files, episodes;
    static Snapshot Of(Hand& h) {
        Snapshot s;
        {
            TMediaLibrary lib(h.Lib());
            for (const TMediaTrack& t : lib.LibraryPlaylist().Tracks().All())
                s.tracks.push_back(t.Location() + "|" + t.Name());
            for (const TMediaPlaylist& l : lib.LibrarySource().PlayLists().All())
                s.lists.push_back(l.Name() + "|" + std::to_string(l.Tracks().size()));
        }
        for (const auto& e : fs::recursive_directory_iterator(h.dir.Path()))
            if (e.path().extension() == ".m3u8" || e.path().extension() == ".mp3")
                s.files.push_back(e.path().string() + "|" + ReadFileText(e.path()));
        std::sort(s.files.begin(), s.files.end());
        for (int i = 0; i < h.episodes.Count(); ++i)
            s.episodes.push_back(h.episodes.GetItem(i)->FILE + "|" + h.episodes.GetItem(i)->FORDELETENAME);
        return s;
    }
    bool operator==(const Snapshot&) const = default;
};

TEST(PodcastHandover, CancelInEitherLoopLeavesLibraryPlaylistFilesAndEpisodesAsTheyWere) {
    Hand h;
    h.ini->MakeAnyLists = true;
    TPodSiteItem* site = h.ini->Sites.Add();
    site->NAME = "News";
    site->PLAYLIST = "PCast News";
    for (const char* n : {"1.mp3", "2.mp3", "3.mp3"}) h.Episode("News", n);
    h.Register();
    h.Episode("News", "4.mp3");  // new, while 3 is dropped
    const auto removal =
        Hand::Listed("News", {h.episodes.GetItem(0)->FILE, h.episodes.GetItem(1)->FILE, h.episodes.GetItem(3)->FILE});
    const Snapshot before = Snapshot::Of(h);
    // Three episodes stay: pumps 1-3 are the registering loop, 4-6 the tagging loop.
    for (const int stopAt : {1, 4, 6}) {
        bool cancel = false;
        int pumps = 0;
        h.work.Pump = [&] { cancel = cancel || ++pumps == stopAt; };
        TPodcastHandover hand(*h.ini, h.episodes, h.work, [&h] { return std::make_unique<TMediaLibrary>(h.Lib()); });
        EXPECT_EQ(hand.RegisterInITunes(cancel, removal), THandoverEnd::Cancelled) << stopAt;
        EXPECT_EQ(pumps, stopAt);
        EXPECT_TRUE(Snapshot::Of(h) == before) << "cancelled at " << stopAt;
    }
}

TEST(PodcastHandover, ACommitHeldOffByAReaderChangesNothingAndTheNextUpdateRecovers) {
    Hand h;
    h.ini->Sites.Add()->NAME = "News";
    h.Episode("News", "a.mp3");
    const std::string dropped = h.Episode("News", "b.mp3")->FILE;
    h.Register();
    const std::string added = h.Episode("News", "c.mp3")->FILE;
    const auto removal = Hand::Listed("News", {h.episodes.GetItem(0)->FILE, added});
    const Snapshot before = Snapshot::Of(h);
    {
        // Another program in the middle of reading the library.
        TSqliteConnection reader(h.Lib(), SQLITE_OPEN_READONLY,
                                 [](sqlite3*, TSqliteStage, int, const std::string& t) { throw ESqliteError(t); });
        reader.Exec("BEGIN; SELECT COUNT(*) FROM tracks;");
        EXPECT_THROW(h.Register(false, removal), EMediaLibraryError);
        reader.Exec("ROLLBACK");
    }
    EXPECT_TRUE(Snapshot::Of(h) == before);
    h.Register(false, removal);
    EXPECT_FALSE(fs::exists(dropped));
    ASSERT_EQ(h.episodes.Count(), 2);
    EXPECT_EQ(h.episodes.GetItem(1)->FORDELETENAME, "Cap c.mp3(Day)");
    TMediaLibrary lib(h.Lib());
    ASSERT_EQ(lib.LibraryPlaylist().Tracks().Count(), 2);
    EXPECT_EQ(lib.LibraryPlaylist().Tracks().Item(2).Location(), added);
    EXPECT_NE(ReadFileText(h.dir / "lib/Harrowin Cast.m3u8").find(added), std::string::npos);
}

TEST(PodcastHandover, DroppedEpisodesTakeOnlyTheRegularFilesOfTheirOwnFeedsFolderNamedExactly) {
    Hand h;
    h.ini->Sites.Add()->NAME = "Other";
    const std::string lower = h.Episode("News", "a.mp3")->FILE;
    const std::string kept = h.Episode("Other", "x.mp3")->FILE;
    const std::string upperTwin = h.dir.Write("PodCastings/News/A.mp3", "its own");
    h.episodes.FindOrAdd(upperTwin)->TITLE = "Other";  // differs from a.mp3 in case only
    // A News record naming another feed's file, and one inside a folder planted as a link.
    const std::string otherFeeds = h.dir.Write("PodCastings/Other/y.mp3", "Other's");
    h.episodes.FindOrAdd(otherFeeds)->TITLE = "News";
    const std::string target = h.dir.Write("mine/z.mp3", "the user's");
    fs::create_directory_symlink(h.dir / "mine", h.dir / "PodCastings/Linked");
    h.episodes.FindOrAdd(h.dir / "PodCastings/Linked/z.mp3")->TITLE = "Linked";
    h.Register(false, Hand::Listed("Other", {kept, upperTwin}));  // News and Linked are gone
    EXPECT_EQ(h.episodes.Count(), 2);
    EXPECT_FALSE(fs::exists(lower));
    EXPECT_EQ(ReadFileText(upperTwin), "its own");
    EXPECT_EQ(ReadFileText(otherFeeds), "Other's");
    EXPECT_EQ(ReadFileText(target), "the user's");
}

TEST(PodcastHandover, LibraryThatCannotOpenReachesTheCaller) {
    Hand h;
    h.Episode("News", "a.mp3");
    h.dir.Write("blocked", "a file where the library folder should be");
    TPodcastHandover hand(*h.ini, h.episodes, h.work,
                          [&h] { return std::make_unique<TMediaLibrary>(h.dir / "blocked/lib.sqlite"); });
    bool cancel = false;
    EXPECT_THROW(hand.RegisterInITunes(cancel), EMediaLibraryError);
}

TEST(PodcastHandover, CopyAsksForAMissingFolderAndKeepsChannelFoldersInside) {
    Hand h;
    h.ini->SaveFolder = h.dir / "save/here";
    h.Episode("News", "a.mp3", "../../Channel/x");
    TPodcastHandover hand(*h.ini, h.episodes, h.work);
    hand.CopyToSaveFolder();
    EXPECT_EQ(h.questions, std::vector<std::string>{"データ転送先フォルダ[ " + (h.dir / "save/here") +
                                                    " ]を作成してもよろしいですか？"});
    EXPECT_EQ(h.messages, std::vector<std::string>{"転送先フォルダが不明のため、データの転送を中止しました"});
    EXPECT_FALSE(fs::exists(h.dir / "save"));

    h.answer = true;
    hand.CopyToSaveFolder();
    EXPECT_EQ(ReadFileText(h.dir / "save/here/.._.._Channel_x/a.mp3"), "audio");
    EXPECT_FALSE(fs::exists(h.dir / "Channel"));
}

TEST(PodcastHandover, PlaylistFileThatCannotBeWrittenReachesTheCallerAfterTagging) {
    Hand h;
    h.Episode("News", "a.mp3");
    h.dir.Write("lib/Harrowin Cast.m3u8/blocker", "a folder where the play-list file should go");
    EXPECT_THROW(h.Register(), EMediaLibraryError);
    TMediaLibrary lib(h.Lib());
    ASSERT_EQ(lib.LibraryPlaylist().Tracks().Count(), 1);
    EXPECT_EQ(lib.LibraryPlaylist().Tracks().Item(1).Name(), "Cap a.mp3(Day)");
    EXPECT_EQ(lib.LibrarySource().PlayLists().Item(1).Tracks().size(), 1u);
}

TEST(PodcastHandover, ACopyIntoTheProgramFolderNeverReplacesAFileAndLandsInAFolderOfItsChannel) {
    Hand h;
    h.ini->SaveFolder = h.dir.Path();  // the default: the program folder itself
    const std::string list = h.dir.Write("Lumenquist.LST", "the episode list");
    const std::string library = h.dir.Write("MediaLibrary.sqlite", "the library");
    h.Episode("News", "Lumenquist.LST", "");  // no channel title: a folder of the feed
    h.Episode("News", "MediaLibrary.sqlite", "");
    h.Episode("Other", "b.mp3", "PodCastings");  // a channel named like the program's folder
    h.dir.Write("News/MediaLibrary.sqlite", "the user's own file");
    h.dir.Write("Blocked", "a file where a channel's folder should go");
    h.Episode("Other", "c.mp3", "Blocked");
    std::vector<std::string> errors;
    h.work.ShowError = [&errors](const std::string& t) { errors.push_back(t); };
    TPodcastHandover hand(*h.ini, h.episodes, h.work);
    EXPECT_EQ(hand.CopyToSaveFolder(), 1);
    EXPECT_EQ(ReadFileText(list), "the episode list");
    EXPECT_EQ(ReadFileText(library), "the library");
    EXPECT_EQ(ReadFileText(h.dir / "News/Lumenquist.LST"), "audio");
    EXPECT_EQ(ReadFileText(h.dir / "News/MediaLibrary.sqlite"), "the user's own file");
    EXPECT_EQ(ReadFileText(h.dir / "News/MediaLibrary(2).sqlite"), "audio");
    EXPECT_EQ(ReadFileText(h.dir / "_PodCastings/b.mp3"), "audio");
    EXPECT_FALSE(fs::exists(h.dir / "PodCastings/b.mp3"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("1 件のエピソードをコピーできませんでした"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("Blocked"), std::string::npos) << errors[0];

    // The next update finds its earlier copies and copies nothing again.
    fs::remove(h.dir / "Blocked");
    EXPECT_EQ(hand.CopyToSaveFolder(), 0);
    EXPECT_FALSE(fs::exists(h.dir / "News/Lumenquist(2).LST"));
    EXPECT_FALSE(fs::exists(h.dir / "News/MediaLibrary(3).sqlite"));
    EXPECT_EQ(ReadFileText(h.dir / "Blocked/c.mp3"), "audio");
}

TEST(PodcastHandover, RemovingEveryEpisodeOfAFeedThatStillListsItemsIsAskedFirst) {
    Hand h;
    h.ini->Sites.Add()->NAME = "News";
    const std::string a = h.Episode("News", "a.mp3")->FILE;
    h.Episode("News", "b.mp3");
    h.answer = false;
    h.Register(false, Hand::Listed("News", {}));  // the update listed none of them
    ASSERT_EQ(h.questions.size(), 1u);
    EXPECT_NE(h.questions[0].find("\"News\""), std::string::npos) << h.questions[0];
    EXPECT_NE(h.questions[0].find("2 件"), std::string::npos) << h.questions[0];
    EXPECT_EQ(h.episodes.Count(), 2);
    EXPECT_TRUE(fs::exists(a));
    h.answer = true;
    h.Register(false, Hand::Listed("News", {}));
    EXPECT_EQ(h.episodes.Count(), 0);
    EXPECT_FALSE(fs::exists(a));
}

}  // namespace
