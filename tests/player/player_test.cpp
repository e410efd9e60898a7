#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "foundation/drives.h"
#include "player/player.h"
#include "player/tags/mp3_tag_reader.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/player_tree_writer.h"
#include "tests/support/sqlite_library_writer.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct Call {
    int32_t position, max;
    std::string text;
};

class VolumesSeam {
public:
    explicit VolumesSeam(const std::vector<std::pair<std::string, std::string>>& rootsAndKinds) {
        std::vector<TMountedVolume> volumes;
        for (const auto& [root, kind] : rootsAndKinds) {
            TMountedVolume v;
            v.Root = root;
            v.Device = "/dev/sdz1";
            v.FsType = "vfat";
            v.DriveTypeName = kind;
            volumes.push_back(v);
        }
        SetMountedVolumesSource([volumes] { return volumes; });
    }
    ~VolumesSeam() { SetMountedVolumesSource({}); }
};

struct Fixture {
    TempDir dir;
    std::string table;
    Fixture() { table = dir.Write("Tessmar.MCD", std::string("[iPod]\r\nA623=5G,Video,kind,gen,30GB,\r\n")); }

    std::string MakePlayer(const std::string& name, int songs) {
        const std::string root = dir / name;
        PlayerTreeLayout layout;
        for (int i = 0; i < songs; ++i) {
            ItdbSong s;
            s.Title = "Song " + std::to_string(i);
            s.Location = ":iPod_Control:Music:F00:S" + std::to_string(i) + ".mp3";
            s.Length = 1000;
            layout.Database.Songs.push_back(s);
        }
        WritePlayerTree(root, layout);
        return root;
    }
};

}  // namespace

TEST(PlayerObject, FixedFolderIsThePlayerWithOrWithoutTrailingSlash) {
    Fixture f;
    const std::string root = f.MakePlayer("player", 3);
    for (const std::string& fixed : {root, root + "/"}) {
        TTolvIPOD ipod(f.table);
        std::vector<Call> calls;
        ipod.OnProgress = [&](int32_t p, int32_t m, const std::string& t) { calls.push_back({p, m, t}); };
        ipod.FixedDrive = fixed;
        ASSERT_TRUE(ipod.Load());
        EXPECT_EQ(ipod.Music->Songs.GetCount(), 3);
        EXPECT_EQ(ipod.Checker->ModelName, "Video");
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls.front().position, 1);
        EXPECT_EQ(calls.front().max, 1);
        EXPECT_EQ(calls.front().text, "iPodを検索中");
        // The checker reports through the player object's callback, set after creation.
        EXPECT_EQ(calls[1].text, "iPodの情報を取得中");
        EXPECT_EQ(calls.back().text, "iPodを[ " + root + "/ ]ドライブで発見しました");
        EXPECT_EQ(calls.back().position, 1);
        EXPECT_EQ(ipod.Checker->DriveRoot, root + "/");
    }
    TTolvIPOD none(f.table);
    none.FixedDrive = f.dir / "nothing";
    EXPECT_FALSE(none.Load());
}

TEST(PlayerObject, SearchWalksTheMountedVolumesInOrder) {
    Fixture f;
    TempDir a, c;
    const std::string player = f.MakePlayer("player", 2);
    const std::string fixedDisk = f.MakePlayer("fixed", 5);
    VolumesSeam seam({{a.Path(), "Removable"}, {fixedDisk, "HardDisk"}, {player, "Removable"}, {c.Path(), "Network"}});
    TTolvIPOD ipod(f.table);
    std::vector<Call> calls;
    ipod.OnProgress = [&](int32_t p, int32_t m, const std::string& t) {
        if (t == "iPodを検索中" || t.rfind("iPodを[", 0) == 0) calls.push_back({p, m, t});
    };
    ASSERT_TRUE(ipod.Load());
    EXPECT_EQ(ipod.Music->Songs.GetCount(), 2);
    ASSERT_EQ(calls.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(calls[static_cast<size_t>(i)].position, i + 1);
        EXPECT_EQ(calls[static_cast<size_t>(i)].max, 4);
    }
    EXPECT_EQ(calls[3].text, "iPodを[ " + player + "/ ]ドライブで発見しました");
    EXPECT_EQ(calls[3].position, 3);
    EXPECT_EQ(ipod.FindPlayer(), player);
}

TEST(PlayerObject, NoPlayerGivesFalseAfterOneCallPerVolume) {
    Fixture f;
    TempDir a, b;
    VolumesSeam seam({{a.Path(), "Removable"}, {b.Path(), "Network"}, {f.MakePlayer("p", 1), "HardDisk"}});
    TTolvIPOD ipod(f.table);
    int calls = 0;
    ipod.OnProgress = [&](int32_t, int32_t, const std::string&) { ++calls; };
    ipod.Locked = 1;
    ipod.LockText = "kept";
    EXPECT_FALSE(ipod.Load());
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(ipod.Music->Songs.GetCount(), 0);
    EXPECT_EQ(ipod.Locked, 1);
    EXPECT_EQ(ipod.LockText, "kept");
}

TEST(PlayerObject, SQLiteLibraryComesBeforeTheITunesDB) {
    Fixture f;
    const std::string root = f.MakePlayer("player", 4);
    SqlLibraryItem item;
    item.Pid = 9;
    item.Title = "from SQLite";
    WriteSqliteLibrary(root + "/iPod_Control/iTunes/iTunes Library.itlp", {item});
    TTolvIPOD ipod(f.table);
    ipod.FixedDrive = root;
    ASSERT_TRUE(ipod.Load());
    ASSERT_EQ(ipod.Music->Songs.GetCount(), 1);
    EXPECT_EQ(ipod.Music->Songs.GetItem(0)->Title, "from SQLite");
}

TEST(PlayerObject, MusicFolderIsScannedWhenTheDatabaseHasGone) {
    Fixture f;
    const std::string root = f.MakePlayer("player", 0);
    SongTags tags;
    tags.title = "Scanned";
    tags.artist = "Artist";
    fs::create_directories(root + "/iPod_Control/Music/F00");
    WriteTaggedMp3(root + "/iPod_Control/Music/F00/a.mp3", tags, 128, 3);
    TTolvIPOD ipod(f.table);
    ipod.FixedDrive = root;
    // The database disappears between the drive test and the load.
    ipod.OnProgress = [&](int32_t, int32_t, const std::string& text) {
        if (text.rfind("iPodを[", 0) == 0) fs::remove(root + "/iPod_Control/iTunes/iTunesDB");
    };
    ASSERT_TRUE(ipod.Load());
    ASSERT_EQ(ipod.Music->Songs.GetCount(), 1);
    EXPECT_EQ(ipod.Music->Songs.GetItem(0)->Title, "Scanned");
    EXPECT_EQ(ipod.Music->Songs.GetItem(0)->Location, "iPod_Control:Music:F00:a.mp3");
}

TEST(PlayerObject, LockMarkersUnlockedDecides) {
    Fixture f;
    const std::string root = f.MakePlayer("player", 1);
    f.dir.Write("player/iPod_Control/Device/_locked", "  locked text \r\n");
    TTolvIPOD ipod(f.table);
    ipod.FixedDrive = root;
    ASSERT_TRUE(ipod.Load());
    EXPECT_EQ(ipod.Locked, 1);
    EXPECT_EQ(ipod.LockText, "locked text");
    f.dir.Write("player/iPod_Control/Device/_unlocked", "\nfree\nline two\n\n");
    ipod.Music->Clear();
    ASSERT_TRUE(ipod.Load());
    EXPECT_EQ(ipod.Locked, 0);
    EXPECT_EQ(ipod.LockText, "free\r\nline two");
}

TEST(PlayerObject, ListFolderGoesDepthFirstAndReportsEachFolder) {
    Fixture f;
    TTolvIPOD ipod(f.table);
    std::vector<std::string> messages;
    ipod.OnProgress = [&](int32_t, int32_t, const std::string& t) { messages.push_back(t); };
    TempDir notes;
    std::vector<std::string> list;
    EXPECT_TRUE(ipod.ListFolder(notes.Path(), list));
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "データ一覧を取得中 - [ " + notes.Path() + "/ ]");

    notes.Write("a.txt", "a");
    notes.Write("sub/b.txt", "b");
    notes.Write("sub/deeper/c.txt", "c");
    fs::create_directory_symlink(notes.Path(), notes / "sub/loop");
    list.clear();
    messages.clear();
    ipod.ListFolder(notes.Path() + "/", list);
    std::sort(list.begin(), list.end());
    EXPECT_EQ(list, (std::vector<std::string>{notes / "a.txt", notes / "sub/b.txt", notes / "sub/deeper/c.txt"}));
    EXPECT_EQ(messages.size(), 3u);
}

TEST(PlayerObject, EmptyFoldersAreRemovedOnlyWhenTheUserSaysYes) {
    Fixture f;
    TTolvIPOD ipod(f.table);
    TempDir notes;
    fs::create_directories(notes / "empty1");
    fs::create_directories(notes / "empty2");
    fs::create_directories(notes / "holdsEmpty/inner");
    notes.Write("full/a.txt", "a");
    EXPECT_EQ(ipod.CountFolderEntries(notes / "holdsEmpty"), 1);
    EXPECT_EQ(ipod.CountFolderEntries(notes.Path()), 4);

    EXPECT_TRUE(ipod.DeleteEmptyFolders(notes.Path()));  // nobody to ask: nothing removed
    EXPECT_TRUE(fs::exists(notes / "empty1"));

    std::vector<std::string> questions;
    ipod.OnConfirm = [&](const std::string& q) {
        questions.push_back(q);
        return false;
    };
    ipod.DeleteEmptyFolders(notes.Path());
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_TRUE(fs::exists(notes / "empty1") && fs::exists(notes / "empty2"));
    std::sort(questions.begin(), questions.end());
    EXPECT_EQ(questions[0], "フォルダ [ " + (notes / "empty1") + " ] が空ですので削除してもよろしいですか？");

    ipod.OnConfirm = [&](const std::string&) { return true; };
    ipod.DeleteEmptyFolders(notes.Path());
    EXPECT_FALSE(fs::exists(notes / "empty1") || fs::exists(notes / "empty2"));
    EXPECT_TRUE(fs::exists(notes / "holdsEmpty/inner"));
    EXPECT_TRUE(fs::exists(notes / "full/a.txt"));
}

TEST(PlayerObject, FailedRemovalRaisesNamingTheFolder) {
    Fixture f;
    TTolvIPOD ipod(f.table);
    TempDir notes;
    fs::create_directories(notes / "empty");
    // A file appears in the folder between the question and the removal.
    ipod.OnConfirm = [&](const std::string&) {
        notes.Write("empty/late.txt", "x");
        return true;
    };
    try {
        ipod.DeleteEmptyFolders(notes.Path());
        ADD_FAILURE();
    } catch (const EIPODError& e) {
        EXPECT_EQ(e.Message(), "フォルダ[ " + (notes / "empty") + " ]の削除に失敗しました");
    }
    EXPECT_TRUE(fs::exists(notes / "empty/late.txt"));
}

TEST(PlayerTree, SongFilesAreMpegAudioOfTheirLength) {
    TempDir dir;
    PlayerTreeLayout layout;
    ItdbSong song;
    song.Title = "silence";
    song.Location = ":iPod_Control:Music:F00:A.mp3";
    layout.Database.Songs = {song};
    layout.SongSeconds = 2.0;
    WritePlayerTree(dir.Path(), layout);
    TMP3Tag tag;
    TTolvMP3TagReader().ReadFile(dir / "iPod_Control/Music/F00/A.mp3", tag);
    EXPECT_EQ(tag.KindText, kKindTextMPEG);
    EXPECT_EQ(tag.Bitrate, 128);
    EXPECT_EQ(tag.SampleRate, 44100);
    EXPECT_EQ(tag.Length, 2);
    // The database records the size of the file written for the song.
    TITunesDBLoader loader;
    loader.LoadFromFile(dir / "iPod_Control/iTunes/iTunesDB");
    ASSERT_EQ(loader.Songs.GetCount(), 1);
    EXPECT_EQ(loader.Songs.GetItem(0)->Size, static_cast<int32_t>(fs::file_size(dir / "iPod_Control/Music/F00/A.mp3")));
}

TEST(PlayerObject, ArtworkDatabaseIsLoadedWhenPresentAndPhotosAreLeftForLater) {
    Fixture f;
    const std::string root = f.MakePlayer("player", 1);
    TTolvIPOD ipod(f.table);
    ipod.FixedDrive = root;
    ASSERT_TRUE(ipod.Load());
    EXPECT_EQ(ipod.Artwork->Folder, "");
    f.dir.Write("player/iPod_Control/Artwork/ArtworkDB", std::string(200, '\0'));
    f.dir.Write("player/Photos/Photo DataBase", std::string(200, '\0'));
    ipod.Music->Clear();
    ASSERT_TRUE(ipod.Load());
    EXPECT_EQ(ipod.Artwork->Folder, root + "/iPod_Control/Artwork/");
    EXPECT_EQ(ipod.Photos->Folder, "");
}

TEST(PlayerObject, LinksAndPipesPlantedInThePlayerLeadNowhere) {
    Fixture f;
    const std::string root = f.MakePlayer("player", 2);
    TempDir outside;
    fs::create_directories(outside / "RSS News");
    fs::create_directories(outside / "empty");
    fs::remove_all(root + "/Notes");
    fs::create_directory_symlink(outside.Path(), root + "/Notes");
    // Pipes nobody writes to where the device files and a lock marker belong: a read would wait
    // for ever.
    fs::remove(root + "/iPod_Control/Device/SysInfo");
    ASSERT_EQ(mkfifo((root + "/iPod_Control/Device/SysInfo").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((root + "/iPod_Control/Device/_locked").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", root + "/Contacts/zero.vcf");
    fs::create_symlink(outside / "gone.vcf", root + "/Contacts/dangling.vcf");
    ASSERT_EQ(mkfifo((root + "/Contacts/pipe.vcf").c_str(), 0600), 0);
    const std::string real = f.dir.Write("player/Contacts/real.vcf", "BEGIN:vcard\r\n");

    TTolvIPOD ipod(f.table);
    ipod.OnConfirm = [](const std::string&) { return true; };
    ipod.FixedDrive = root;
    ASSERT_TRUE(ipod.Load());
    EXPECT_EQ(ipod.Music->Songs.GetCount(), 2);
    EXPECT_EQ(ipod.Checker->NotesPath, "");        // the linked folder is missing
    EXPECT_EQ(ipod.Checker->ModelNumber, "不明");  // SysInfo was not read
    EXPECT_EQ(ipod.LockText, "");

    std::vector<std::string> files;
    ipod.ListFolder(root + "/Notes", files);
    ipod.ListFolder(ipod.Checker->ContactsPath, files);
    EXPECT_EQ(files, std::vector<std::string>{real});
    ipod.DeleteEmptyFolders(root + "/Notes");
    EXPECT_TRUE(fs::exists(outside / "empty"));
}
