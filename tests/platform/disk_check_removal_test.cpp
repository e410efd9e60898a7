#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "foundation/drives.h"
#include "platform/disk_check.h"
#include "platform/removal.h"
#include "tests/support/temp_dir.h"

namespace {

// A mount table of a FAT player and an HFS+ player (their mount points made in a test folder,
// each with its player folder, on a FAT data disk), the system disk and a share.
struct FakeMounts {
    TempDir dir;
    std::string Fat = dir / "IPOD";
    std::string Hfs = dir / "MAC POD";
    std::string FatDevice = "/dev/sdb1";
    bool FatMounted = true;
    FakeMounts() {
        std::filesystem::create_directories(Fat + "/iPod_Control");
        std::filesystem::create_directories(Hfs + "/iPod_Control");
        SetMountedVolumesSource([this] {
            auto volume = [](const std::string& root, const std::string& device, const char* fs) {
                TMountedVolume v;
                v.Root = root;
                v.Device = device;
                v.FsType = fs;
                return v;
            };
            std::vector<TMountedVolume> table{volume("/", "/dev/sda1", "ext4"), volume(dir.Path(), "/dev/sda2", "vfat"),
                                              volume(Hfs, "/dev/sdc2", "hfsplus"),
                                              volume("/mnt/share", "server:/x", "nfs")};
            if (FatMounted) table.push_back(volume(Fat, FatDevice, "vfat"));
            return table;
        });
    }
    ~FakeMounts() { SetMountedVolumesSource({}); }
};

bool HaveChecker() { return DiskCheckerProgram() != "fsck.vfat" || ProgramOnPath("fsck.vfat"); }

}  // namespace

TEST(DiskCheck, FatIsCheckedReadOnlyOthersAreNot) {
    FakeMounts mounts;
    TDiskCheckPlan fat = PlanDiskCheck(mounts.Fat + "/");
    EXPECT_EQ(fat.CommandLine, DiskCheckerProgram() + " -n \"/dev/sdb1\"");
    EXPECT_TRUE(fat.Note.empty());
    TDiskCheckPlan hfs = PlanDiskCheck(mounts.Hfs + "/");
    EXPECT_TRUE(hfs.CommandLine.empty());
    EXPECT_NE(hfs.Note.find("hfsplus"), std::string::npos);
    // A player copied to a folder of the system disk: its volume is ext4, which has no check here.
    EXPECT_TRUE(PlanDiskCheck("/home/user/player/").CommandLine.empty());
    // Nothing runs for a plan without a command: the note is what the window says.
    EXPECT_EQ(RunDiskCheck(DiskCheckTargetOf(mounts.Hfs + "/")).Meaning, hfs.Note);
}

TEST(DiskCheck, RunsOnlyOnThePlayersOwnVolume) {
    FakeMounts mounts;
    const TDiskCheckTarget target = DiskCheckTargetOf(mounts.Fat + "/");
    EXPECT_FALSE(PlanDiskCheck(target).CommandLine.empty());
    // The player's volume is unmounted while the window stays open: its empty mount point now
    // lies on the disk below it (FAT too), which must not be checked in its place.
    mounts.FatMounted = false;
    std::filesystem::remove(mounts.Fat + "/iPod_Control");
    const TDiskCheckPlan gone = PlanDiskCheck(target);
    EXPECT_TRUE(gone.CommandLine.empty());
    EXPECT_NE(gone.Note.find("取り外されたため"), std::string::npos) << gone.Note;
    // Another volume mounted at the same place is not the player either.
    mounts.FatMounted = true;
    mounts.FatDevice = "/dev/sdd1";
    std::filesystem::create_directories(mounts.Fat + "/iPod_Control");
    EXPECT_TRUE(PlanDiskCheck(target).CommandLine.empty());
}

TEST(DiskCheck, TheResultIsSaidInJapanese) {
    const std::string dev = "/dev/sdb1";
    EXPECT_EQ(DiskCheckMeaning(0, "fsck.fat 4.2\n/dev/sdb1: 3 files, 10/100 clusters\n", "", dev),
              "検査の結果: 異常は見つかりませんでした。");
    // A mounted FAT volume always carries the dirty bit: that alone is no damage.
    const std::string dirty =
        "fsck.fat 4.2 (2021-01-31)\nDirty bit is set. Fs was not properly unmounted and some data may be corrupt.\n"
        " Automatically removing dirty bit.\n\nLeaving filesystem unchanged.\n/dev/sdb1: 3 files, 10/100 clusters\n";
    EXPECT_NE(DiskCheckMeaning(1, dirty, "", dev).find("異常は見つかりませんでした"), std::string::npos);
    const std::string damaged =
        "fsck.fat 4.2\n/FILE.TXT\n  File size is 100 bytes, cluster chain length is 0 bytes.\n"
        "  Truncating file to 0 bytes.\nLeaving filesystem unchanged.\n";
    EXPECT_NE(DiskCheckMeaning(1, damaged, "", dev).find("異常が見つかりました"), std::string::npos);
    EXPECT_NE(DiskCheckMeaning(1, damaged, "", dev).find("何も修復していません"), std::string::npos);
    // A user who may not read the device is told so, and what to do.
    const std::string denied = DiskCheckMeaning(6, "fsck.fat 4.2\n", "open: Permission denied\n", dev);
    EXPECT_NE(denied.find("権限がありません"), std::string::npos) << denied;
    EXPECT_NE(denied.find("sudo fsck.vfat -n /dev/sdb1"), std::string::npos) << denied;
    EXPECT_NE(DiskCheckMeaning(2, "", "", dev).find("検査できませんでした"), std::string::npos);
}

TEST(DiskCheck, CheckerOutsideThePathIsFoundInSbin) {
    const char* old = std::getenv("PATH");
    const std::string saved = old ? old : "";
    ::setenv("PATH", "/nonexistent", 1);
    const std::string program = DiskCheckerProgram();
    ::setenv("PATH", saved.c_str(), 1);
    if (::access("/usr/sbin/fsck.vfat", X_OK) == 0) {
        EXPECT_EQ(program, "/usr/sbin/fsck.vfat");
    } else if (::access("/sbin/fsck.vfat", X_OK) == 0) {
        EXPECT_EQ(program, "/sbin/fsck.vfat");
    } else {
        EXPECT_EQ(program, "fsck.vfat");
    }
}

TEST(DiskCheck, TheDirtyBitOfAMountedVolumeReadsAsNoFault) {
    const std::string mkfs = ::access("/usr/sbin/mkfs.vfat", X_OK) == 0 ? "/usr/sbin/mkfs.vfat" : "mkfs.vfat";
    if (!HaveChecker() || (mkfs == "mkfs.vfat" && !ProgramOnPath(mkfs))) GTEST_SKIP() << "no dosfstools";
    FakeMounts mounts;
    // A sound FAT16 volume as the system leaves it while mounted: its dirty bit set.
    const std::string image = mounts.dir / "volume.img";
    ASSERT_EQ(std::system((mkfs + " -C \"" + image + "\" 65536 >/dev/null 2>&1").c_str()), 0);
    {
        std::fstream f(image, std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(0x25);
        const char flags = static_cast<char>(f.get() | 1);
        f.seekp(0x25);
        f.put(flags);
    }
    mounts.FatDevice = image;
    const TDiskCheckResult result = RunDiskCheck(DiskCheckTargetOf(mounts.Fat + "/"));
    EXPECT_NE(result.Output.find("Dirty bit"), std::string::npos) << result.Output;
    EXPECT_NE(result.Meaning.find("異常は見つかりませんでした"), std::string::npos) << result.Meaning;
}

TEST(DiskCheck, ACheckThatCannotOpenTheDeviceSaysSo) {
    if (!HaveChecker()) GTEST_SKIP() << "no fsck.vfat";
    FakeMounts mounts;
    mounts.FatDevice = "/dev/harrowin-no-such-device";
    const TDiskCheckResult result = RunDiskCheck(DiskCheckTargetOf(mounts.Fat + "/"));
    // Not a bare version line that reads like a clean check: the reason is shown too.
    EXPECT_NE(result.Output.find("open"), std::string::npos) << result.Output;
    EXPECT_NE(result.Meaning.find("見つかりません"), std::string::npos) << result.Meaning;
}

namespace {

// A made-up sysfs and mount table: a player on USB (removable), a USB hard disk (flag 0), the
// system disk, an internal data disk, a card with two mounted partitions and a network share.
class FakeDisks {
public:
    FakeDisks() {
        Disk("pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", "sda", false, {"sda1"});
        Disk("pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/host6/target6:0:0/6:0:0:0", "sdb", true, {"sdb1"});
        Disk("pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", "sdc", false, {"sdc1"});
        Disk("pci0000:00/0000:00:14.0/usb2/2-3/2-3:1.0/host7/target7:0:0/7:0:0:0", "sdd", false, {"sdd1"});
        Disk("pci0000:00/0000:00:1c.0/0000:02:00.0/rts5227", "sde", true, {"sde1", "sde2"});
        SetSysfsRoot(dir_ / "sys");
        SetMountedVolumesSource([] {
            auto volume = [](const char* root, const char* device, const char* fs) {
                TMountedVolume v;
                v.Root = root;
                v.Device = device;
                v.FsType = fs;
                return v;
            };
            return std::vector<TMountedVolume>{volume("/", "/dev/sda1", "ext4"),
                                               volume("/proc", "proc", "proc"),
                                               volume("/media/user/IPOD", "/dev/sdb1", "vfat"),
                                               volume("/data", "/dev/sdc1", "ext4"),
                                               volume("/media/user/BACKUP", "/dev/sdd1", "ext4"),
                                               volume("/media/user/CARD1", "/dev/sde1", "vfat"),
                                               volume("/media/user/CARD2", "/dev/sde2", "vfat"),
                                               volume("/mnt/share", "server:/x", "nfs")};
        });
    }
    ~FakeDisks() {
        SetMountedVolumesSource({});
        SetSysfsRoot("");
    }

private:
    void Disk(const std::string& bus, const std::string& name, bool removable, const std::vector<std::string>& parts) {
        const std::string folder = "sys/devices/" + bus + "/block/" + name;
        dir_.Write(folder + "/removable", std::string(removable ? "1\n" : "0\n"));
        std::filesystem::create_directories(dir_ / "sys/class/block");
        for (const std::string& part : parts) {
            dir_.Write(folder + "/" + part + "/partition", std::string("1\n"));
            std::filesystem::create_directory_symlink(dir_ / (folder + "/" + part), dir_ / ("sys/class/block/" + part));
        }
    }
    TempDir dir_;
};

using Commands = std::vector<std::vector<std::string>>;

}  // namespace

TEST(Removal, OnlyTheRootOfAnUnpluggableDiskIsUnmountedAndPoweredOff) {
    FakeDisks disks;
    EXPECT_EQ(PlanSafeRemoval("/media/user/IPOD/", true).Commands,
              (Commands{{"udisksctl", "unmount", "-b", "/dev/sdb1"}, {"udisksctl", "power-off", "-b", "/dev/sdb1"}}));
    EXPECT_EQ(PlanSafeRemoval("/media/user/IPOD", false).Commands, (Commands{{"eject", "/media/user/IPOD"}}));
    // A USB hard disk says it is not removable, yet it can be unplugged.
    EXPECT_EQ(PlanSafeRemoval("/media/user/BACKUP/", true).Commands.size(), 2u);
    // Nothing runs anywhere else: a folder inside the player's volume or the system disk, the
    // system root, an internal disk, a disk that holds another mounted volume, a share.
    for (const char* root : {"/media/user/IPOD/copy/", "/home/user/player/", "/", "/data/", "/media/user/CARD1/",
                             "/media/user/CARD2", "/mnt/share/", "/proc/", "relative/", ""}) {
        EXPECT_TRUE(PlanSafeRemoval(root, true).Commands.empty()) << root;
        EXPECT_TRUE(PlanSafeRemoval(root, false).Commands.empty()) << root;
    }
    // The user reads the real reason: a card whose other volume is mounted is removable.
    const TRemovalPlan card = PlanSafeRemoval("/media/user/CARD1/", true);
    EXPECT_EQ(card.Refusal, TRemovalRefusal::OtherVolumes);
    const std::string why = RefusalText(card, "/media/user/CARD1/");
    EXPECT_EQ(why.find("取り外し可能なデバイスのドライブではない"), std::string::npos) << why;
    EXPECT_NE(why.find("/media/user/CARD2"), std::string::npos) << why;
    EXPECT_EQ(PlanSafeRemoval("/data/", true).Refusal, TRemovalRefusal::NotRemovable);
    EXPECT_EQ(RefusalText(PlanSafeRemoval("/data/", true), "/data/"), NotRemovableText("/data/"));
    EXPECT_TRUE(ProgramOnPath("sh"));
    EXPECT_FALSE(ProgramOnPath("no-such-program-harrowin"));
}
