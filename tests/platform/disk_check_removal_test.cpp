#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "foundation/drives.h"
#include "platform/disk_check.h"
#include "platform/removal.h"
#include "tests/support/temp_dir.h"

namespace {

// A mount table of a FAT player, an HFS+ player and the system disk.
struct FakeMounts {
    FakeMounts() {
        SetMountedVolumesSource([] {
            auto volume = [](const char* root, const char* device, const char* fs, const char* kind) {
                TMountedVolume v;
                v.Root = root;
                v.Device = device;
                v.FsType = fs;
                v.DriveTypeName = kind;
                return v;
            };
            return std::vector<TMountedVolume>{volume("/", "/dev/sda1", "ext4", "HardDisk"),
                                               volume("/media/user/IPOD", "/dev/sdb1", "vfat", "Removable"),
                                               volume("/media/user/MAC POD", "/dev/sdc2", "hfsplus", "Removable"),
                                               volume("/mnt/share", "server:/x", "nfs", "Network")};
        });
    }
    ~FakeMounts() { SetMountedVolumesSource({}); }
};

}  // namespace

TEST(DiskCheck, FatIsCheckedReadOnlyOthersAreNot) {
    FakeMounts mounts;
    TDiskCheckPlan fat = PlanDiskCheck("/media/user/IPOD/");
    EXPECT_EQ(fat.CommandLine, DiskCheckerProgram() + " -n \"/dev/sdb1\"");
    EXPECT_TRUE(fat.Note.empty());
    TDiskCheckPlan hfs = PlanDiskCheck("/media/user/MAC POD/");
    EXPECT_TRUE(hfs.CommandLine.empty());
    EXPECT_NE(hfs.Note.find("hfsplus"), std::string::npos);
    // A player copied to a folder of the system disk: its volume is ext4, which has no check here.
    EXPECT_TRUE(PlanDiskCheck("/home/user/player/").CommandLine.empty());
    // Nothing runs for a plan without a command: the note is the output.
    EXPECT_EQ(RunDiskCheck("/media/user/MAC POD/"), hfs.Note);
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

TEST(DiskCheck, ACheckThatCannotOpenTheDeviceSaysSo) {
    if (DiskCheckerProgram() == "fsck.vfat" && !ProgramOnPath("fsck.vfat")) GTEST_SKIP() << "no fsck.vfat";
    SetMountedVolumesSource([] {
        TMountedVolume v;
        v.Root = "/media/user/GONE";
        v.Device = "/dev/harrowin-no-such-device";
        v.FsType = "vfat";
        return std::vector<TMountedVolume>{v};
    });
    const std::string text = RunDiskCheck("/media/user/GONE/");
    SetMountedVolumesSource({});
    // Not a bare version line that reads like a clean check: the reason is shown too.
    EXPECT_NE(text.find("open"), std::string::npos) << text;
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
