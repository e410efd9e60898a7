#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "foundation/drives.h"
#include "foundation/ini_file.h"
#include "player/player_checker.h"
#include "tests/support/player_tree_writer.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const char* kTable =
    "[iPod]\r\n"
    "A623=5G,iPod 30GB (ホワイト),iPod video,第5世代,30GB,\r\n"
    "A079=photo,iPod photo 20GB,iPod photo,第4世代,20GB,\r\n"
    "P001=Photo,Capital photo,kind,gen,cap,\r\n"
    "A350=nano,iPod nano 1GB,iPod nano,第1世代,1GB,\r\n"
    "A477=nano2,iPod nano 2GB,iPod nano,第2世代,2GB,\r\n"
    "9724=shuffle,iPod shuffle 512MB,iPod shuffle,第1世代,512MB,\r\n"
    "S002=shuffle2,shuffle two,iPod shuffle,第2世代,1GB,\r\n"
    "SHRT=mini,short line\r\n";

struct Player {
    TempDir dir;
    std::string table;
    std::string root;
    Player() {
        table = dir.Write("Tessmar.MCD", std::string(kTable));
        root = dir / "player";
        fs::create_directories(root);
    }
    void WriteDb() { WriteITunesDBToPlayer(root, ItdbDatabase{}); }
    std::string Root() const { return root + "/"; }
};

TMountedVolume Volume(const std::string& root, const std::string& kind) {
    TMountedVolume volume;
    volume.Root = root;
    volume.Device = "/dev/sdz1";
    volume.FsType = "vfat";
    volume.DriveTypeName = kind;
    return volume;
}

class VolumesSeam {
public:
    explicit VolumesSeam(std::vector<TMountedVolume> volumes) {
        SetMountedVolumesSource([volumes] { return volumes; });
    }
    ~VolumesSeam() { SetMountedVolumesSource({}); }
};

}  // namespace

TEST(PlayerChecker, RootWithoutDatabaseIsNoPlayerAndChangesNothing) {
    Player p;
    TMPlayerChecker checker(p.table);
    checker.Serial = "kept";
    EXPECT_FALSE(checker.Check(p.Root()));
    EXPECT_EQ(checker.Serial, "kept");
    EXPECT_EQ(checker.DatabasePath, "");
    EXPECT_FALSE(checker.HasSongs);
}

TEST(PlayerChecker, DefaultsWithoutSysInfoAndDeviceInfoIsThenNotRead) {
    Player p;
    p.WriteDb();
    WriteDeviceInfo(p.root, {"NAME", "OWNER", "HOST", ""});
    TMPlayerChecker checker(p.table);
    std::vector<std::string> messages;
    checker.OnProgress = [&](int32_t, int32_t, const std::string& text) { messages.push_back(text); };
    ASSERT_TRUE(checker.Check(p.Root()));
    EXPECT_EQ(checker.ModelName, "不明なiPod");
    EXPECT_EQ(checker.ModelNumber, "不明");
    EXPECT_EQ(checker.ModelKind, "不明なiPod");
    EXPECT_EQ(checker.Generation, "不明");
    EXPECT_EQ(checker.Family, "unknown");
    EXPECT_EQ(checker.Region, "不明");
    EXPECT_EQ(checker.Software, "不明");
    EXPECT_EQ(checker.Capacity, "不明な容量");
    EXPECT_EQ(checker.ModelClass, 1);
    EXPECT_TRUE(checker.HasSongs && checker.HasNotes && checker.HasContacts && checker.HasCalendar && checker.HasToDo);
    EXPECT_FALSE(checker.HasPhotos || checker.HasVideos);
    EXPECT_EQ(checker.Owner, "");
    EXPECT_NE(checker.PlayerName, "NAME");
    EXPECT_EQ(checker.DatabasePath, p.root + "/iPod_Control/iTunes/iTunesDB");
    EXPECT_EQ(checker.MusicPath, p.root + "/iPod_Control/Music/");
    EXPECT_EQ(checker.NotesPath, p.root + "/Notes/");
    EXPECT_EQ(checker.LibraryPath, p.root + "/iPod_Control/iTunes/iTunes Library.itlp");
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0], "iPodの情報を取得中");
    EXPECT_EQ(messages[1], "曲サイズを取得中 - [ " + p.root + "/iPod_Control/Music/ ]");
}

TEST(PlayerChecker, SysInfoGivesTheModelAndDeviceInfoTheNames) {
    Player p;
    p.WriteDb();
    WriteSysInfo(p.root, {{"pszSerialNumber", "8K1234"},
                          {"ModelNumStr", " xA623 "},
                          {"RegionCode", "J/A"},
                          {"buildID", "0x1: 2"},
                          {"boardHwName", "iPod"}});
    WriteDeviceInfo(p.root, {"私のiPod", "", "ホスト", "unused"});
    TMPlayerChecker checker(p.table);
    checker.Owner = "old owner";
    ASSERT_TRUE(checker.Check(p.Root()));
    EXPECT_EQ(checker.ModelNumber, "xA623");
    EXPECT_EQ(checker.ModelName, "iPod 30GB (ホワイト)");
    EXPECT_EQ(checker.ModelKind, "iPod video");
    EXPECT_EQ(checker.Generation, "第5世代");
    EXPECT_EQ(checker.Capacity, "30GB");
    EXPECT_EQ(checker.Family, "5G");
    EXPECT_EQ(checker.ModelClass, 5);
    EXPECT_TRUE(checker.HasPhotos);
    EXPECT_TRUE(checker.HasVideos);
    EXPECT_EQ(checker.Serial, "8K1234");
    EXPECT_EQ(checker.Region, "J/A");
    EXPECT_EQ(checker.Software, "0x1: 2");  // split at the first colon only
    EXPECT_EQ(checker.PlayerName, "私のiPod");
    EXPECT_EQ(checker.Owner, "");  // slot 1 with count 0
    EXPECT_EQ(checker.Host, "ホスト");
}

TEST(PlayerChecker, FamiliesDecideClassAndPages) {
    struct Case {
        const char* number;
        int modelClass;
        bool photos, videos;
        const char* family;
    } cases[] = {{"MA079", 3, true, false, "photo"},    {"MP001", 1, false, false, "Photo"},
                 {"MA350", 4, true, false, "nano"},     {"MA477", 4, true, false, "nano2"},
                 {"M9724", 2, false, false, "shuffle"}, {"MS002", 2, false, false, "shuffle2"},
                 {"MZZZZ", 1, false, false, "4G"},      {"M", 1, false, false, "4G"}};
    Player p;
    for (const Case& c : cases) {
        TMPlayerChecker checker(p.table);
        const std::string name = checker.ReadModel(c.number);
        EXPECT_EQ(checker.ModelClass, c.modelClass) << c.number;
        EXPECT_EQ(checker.HasPhotos, c.photos) << c.number;
        EXPECT_EQ(checker.HasVideos, c.videos) << c.number;
        EXPECT_EQ(checker.Family, c.family) << c.number;
    }
    TMPlayerChecker checker(p.table);
    EXPECT_EQ(checker.ReadModel("xZZZZ"), "不明なiPod");
    EXPECT_EQ(checker.ModelKind, "不明な種類");
    EXPECT_EQ(checker.Generation, "不明な世代");
    EXPECT_EQ(checker.Capacity, "不明な容量");
    // Fields past the end of a short line are empty.
    EXPECT_EQ(checker.ReadModel("xSHRT"), "short line");
    EXPECT_EQ(checker.ModelKind, "");
    EXPECT_EQ(checker.Capacity, "");

    TMPlayerChecker noTable(p.dir / "missing.MCD");
    EXPECT_EQ(noTable.ReadModel("xA623"), "不明なiPod");
    EXPECT_EQ(noTable.Family, "4G");
}

TEST(PlayerChecker, OtherFamiliesOfferPhotosWhenThePhotoDatabaseExists) {
    Player p;
    p.WriteDb();
    WriteSysInfo(p.root, {{"ModelNumStr", "M9282"}});
    TMPlayerChecker checker(p.table);
    ASSERT_TRUE(checker.Check(p.Root()));
    EXPECT_FALSE(checker.HasPhotos);
    p.dir.Write("player/Photos/Photo DataBase", std::string(200, '\0'));
    TMPlayerChecker again(p.table);
    ASSERT_TRUE(again.Check(p.Root()));
    EXPECT_TRUE(again.HasPhotos);
    EXPECT_EQ(again.ModelClass, 1);
}

TEST(PlayerChecker, DeviceInfoCountsBeyondTheSlotAreCut) {
    std::vector<uint8_t> data = BuildDeviceInfo({"", "", "", ""});
    for (size_t i = 0; i < 255; ++i) data[2 + 2 * i] = 'A';
    data[0] = 0xFF;
    data[1] = 0xFF;  // 65535 characters claimed
    data[512 + 0] = 1;
    data[512 + 2] = 'B';
    EXPECT_EQ(TMPlayerChecker::DeviceInfoRecord(data, 0), std::string(255, 'A'));
    EXPECT_EQ(TMPlayerChecker::DeviceInfoRecord(data, 1), "B");
    // A short file: the missing slots are empty.
    EXPECT_EQ(TMPlayerChecker::DeviceInfoRecord(std::vector<uint8_t>(100, 0x41), 2), "");
    const std::vector<uint8_t> cut(data.begin(), data.begin() + 20);
    EXPECT_EQ(TMPlayerChecker::DeviceInfoRecord(cut, 0), std::string(9, 'A'));
}

TEST(PlayerChecker, RandomSysInfoGivesTheDefaults) {
    Player p;
    p.WriteDb();
    std::mt19937 random(7);
    std::string noise(3000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    p.dir.Write("player/iPod_Control/Device/SysInfo", noise);
    TMPlayerChecker checker(p.table);
    ASSERT_TRUE(checker.Check(p.Root()));
    EXPECT_EQ(checker.ModelName, "不明なiPod");
    EXPECT_EQ(checker.Family, "4G");
    EXPECT_EQ(checker.ModelClass, 1);
}

TEST(PlayerChecker, CountsMediaFilesWithSixtyFourBitSizes) {
    Player p;
    p.WriteDb();
    p.dir.Write("player/iPod_Control/Music/F00/a.MP3", std::string(100, 'x'));
    p.dir.Write("player/iPod_Control/Music/F00/notes.txt", std::string(50, 'x'));
    p.dir.Write("player/iPod_Control/Music/F01/b.m4p", std::string(10, 'x'));
    p.dir.Write("player/iPod_Control/Music/F01/c.ogg", "");
    {
        // A sparse file over 4 GiB: its whole size counts.
        std::ofstream big(p.root + "/iPod_Control/Music/F01/big.m4b", std::ios::binary);
    }
    fs::resize_file(p.root + "/iPod_Control/Music/F01/big.m4b", (uint64_t{5} << 30));
    fs::create_directory_symlink(p.root + "/iPod_Control", p.root + "/iPod_Control/Music/F01/loop");
    TMPlayerChecker checker(p.table);
    ASSERT_TRUE(checker.Check(p.Root()));
    EXPECT_EQ(checker.SongCount, 4);
    EXPECT_EQ(checker.SongBytes, 110 + (int64_t{5} << 30));
    EXPECT_TRUE(IsMediaFileName("x.AiF"));
    EXPECT_FALSE(IsMediaFileName("mp3"));
}

TEST(PlayerChecker, UnlistableMusicFolderRaisesNamingTheMusicFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    Player p;
    p.WriteDb();
    p.dir.Write("player/iPod_Control/Music/F00/a.mp3", "x");
    fs::permissions(p.root + "/iPod_Control/Music/F00", fs::perms::none);
    TMPlayerChecker checker(p.table);
    try {
        checker.Check(p.Root());
        ADD_FAILURE();
    } catch (const EPlayerCheckError& e) {
        EXPECT_EQ(e.Message(), "フォルダ[ " + p.root + "/iPod_Control/Music/ ]でファイルの取得に失敗しました");
    }
    fs::permissions(p.root + "/iPod_Control/Music/F00", fs::perms::owner_all);
}

TEST(PlayerChecker, PlayerFilesAreFoundWithoutRegardToCase) {
    Player p;
    p.dir.Write("player/IPOD_CONTROL/ITUNES/ITUNESDB", std::string(0x68, '\0'));
    p.dir.Write("player/IPOD_CONTROL/DEVICE/SYSINFO", "ModelNumStr: xA079\n");
    p.dir.Write("player/IPOD_CONTROL/MUSIC/F00/A.MP3", "abc");
    TMPlayerChecker checker(p.table);
    ASSERT_TRUE(checker.Check(p.Root()));
    EXPECT_EQ(checker.DatabasePath, p.root + "/IPOD_CONTROL/ITUNES/ITUNESDB");
    EXPECT_EQ(checker.MusicPath, p.root + "/IPOD_CONTROL/MUSIC/");
    EXPECT_EQ(checker.Family, "photo");
    EXPECT_EQ(checker.SongCount, 1);
    // Parts that do not exist keep their given spelling.
    EXPECT_EQ(checker.LockedPath, p.root + "/IPOD_CONTROL/DEVICE/_locked");
}

TEST(PlayerChecker, OnlyRemovableAndNetworkVolumesArePlayers) {
    Player p;
    p.WriteDb();
    TempDir empty;
    for (const char* kind : {"Removable", "Network", "HardDisk", "RAMDisk"}) {
        VolumesSeam seam({Volume(p.root, kind), Volume(empty.Path(), kind)});
        TMPlayerChecker checker(p.table);
        const bool qualifies = std::string(kind) == "Removable" || std::string(kind) == "Network";
        EXPECT_EQ(checker.IsPlayerDrive(p.Root()), qualifies) << kind;
        EXPECT_EQ(checker.DriveRoot, qualifies ? p.Root() : "") << kind;
        TMPlayerChecker other(p.table);
        EXPECT_FALSE(other.IsPlayerDrive(empty.Path() + "/"));
        EXPECT_EQ(other.DriveRoot, qualifies ? empty.Path() + "/" : "") << kind;
    }
}

TEST(PlayerChecker, ResetReturnsToNoPlayer) {
    Player p;
    p.WriteDb();
    WriteSysInfo(p.root, {{"ModelNumStr", "xA623"}, {"buildID", "b"}});
    TMPlayerChecker checker(p.table);
    ASSERT_TRUE(checker.Check(p.Root()));
    checker.Reset();
    EXPECT_EQ(checker.DatabasePath, "");
    EXPECT_EQ(checker.SongCount, 0);
    EXPECT_FALSE(checker.HasVideos || checker.HasSongs);
    EXPECT_EQ(checker.ModelName, "");
    EXPECT_EQ(checker.Capacity, "不明な容量");
    EXPECT_EQ(checker.Software, "b");  // kept until the next check
    EXPECT_FALSE(checker.SysInfoPath.empty());
}

TEST(ModelTable, EveryShippedRowHasFiveFieldsAndAKnownFamily) {
    TIniFile table(std::string(HARROWIN_SOURCE_DIR) + "/player/data/Tessmar.MCD");
    const std::string text = table.ToText();
    int rows = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        ++rows;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        EXPECT_EQ(key.size(), 4u) << line;
        EXPECT_EQ(std::count(value.begin(), value.end(), ','), 5) << line;
        EXPECT_EQ(value.back(), ',') << line;
        const std::string family = value.substr(0, value.find(','));
        EXPECT_TRUE(family == "1G" || family == "2G" || family == "3G" || family == "4G" || family == "mini" ||
                    family == "photo" || family == "nano" || family == "nano2" || family == "5G" ||
                    family == "shuffle" || family == "shuffle2")
            << line;
    }
    EXPECT_GT(rows, 80);
    TMPlayerChecker checker(std::string(HARROWIN_SOURCE_DIR) + "/player/data/Tessmar.MCD");
    EXPECT_EQ(checker.ReadModel("MA147"), "iPod 60GB (ブラック)");
    EXPECT_EQ(checker.ModelClass, 5);
    EXPECT_EQ(checker.ReadModel("MA099"), "iPod nano 2GB (ブラック)");
    EXPECT_EQ(checker.ModelClass, 4);
    EXPECT_EQ(checker.ReadModel("MB225"), "iPod shuffle 1GB (シルバー)");
    EXPECT_EQ(checker.ModelClass, 2);
    EXPECT_EQ(checker.Generation, "第2世代");
    EXPECT_EQ(checker.ReadModel("M9830"), "iPod photo 60GB");
    EXPECT_EQ(checker.ModelClass, 3);
    EXPECT_EQ(checker.ModelKind, "iPod photo");
    EXPECT_EQ(checker.Capacity, "60GB");
    // A number the table does not know takes the default line.
    EXPECT_EQ(checker.ReadModel("xZ999"), "不明なiPod");
    EXPECT_EQ(checker.Family, "4G");
    EXPECT_EQ(checker.ModelKind, "不明な種類");
    EXPECT_EQ(checker.Generation, "不明な世代");
    EXPECT_EQ(checker.Capacity, "不明な容量");
    EXPECT_EQ(checker.ModelClass, 1);
}

TEST(PlayerChecker, ModelTableIsFoundInTheProgramFolderFirst) {
    TempDir home;
    const char* old = std::getenv("HARROWIN_HOME");
    const std::string saved = old ? old : "";
    setenv("HARROWIN_HOME", home.Path().c_str(), 1);
    home.Write("Tessmar.MCD", std::string("[iPod]\r\nA623=photo,Home,k,g,c,\r\n"));
    EXPECT_EQ(FindModelTableFile(), home / "Tessmar.MCD");
    TMPlayerChecker checker;
    EXPECT_EQ(checker.ReadModel("xA623"), "Home");
    if (old) {
        setenv("HARROWIN_HOME", saved.c_str(), 1);
    } else {
        unsetenv("HARROWIN_HOME");
    }
}

TEST(PlayerChecker, DiskDataOfAMissingRootIsZero) {
    Player p;
    TMPlayerChecker checker(p.table);
    checker.DiskTotal = 5;
    checker.PlayerName = "old";
    EXPECT_FALSE(checker.ReadDiskData(p.dir / "missing/"));
    EXPECT_EQ(checker.DiskTotal, 0);
    EXPECT_EQ(checker.PlayerName, "");
    EXPECT_TRUE(checker.ReadDiskData(p.Root()));
    EXPECT_GT(checker.DiskTotal, 0);
    EXPECT_EQ(checker.DiskUsed, checker.DiskTotal - checker.DiskFree);
}
