#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "foundation/drives.h"
#include "platform/disk_check.h"
#include "platform/removal.h"

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

TEST(Removal, UdisksUnmountsThenPowersOffElseEject) {
    FakeMounts mounts;
    auto cmds = RemovalCommands("/media/user/IPOD/", true);
    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[0], (std::vector<std::string>{"udisksctl", "unmount", "-b", "/dev/sdb1"}));
    EXPECT_EQ(cmds[1], (std::vector<std::string>{"udisksctl", "power-off", "-b", "/dev/sdb1"}));
    auto ejected = RemovalCommands("/media/user/MAC POD", false);
    ASSERT_EQ(ejected.size(), 1u);
    EXPECT_EQ(ejected[0], (std::vector<std::string>{"eject", "/media/user/MAC POD"}));
    // A network share has no block device for udisks.
    EXPECT_EQ(RemovalCommands("/mnt/share", true)[0][0], "eject");
    EXPECT_TRUE(ProgramOnPath("sh"));
    EXPECT_FALSE(ProgramOnPath("no-such-program-harrowin"));
}
