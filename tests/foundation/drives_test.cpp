#include "foundation/drives.h"

#include <unistd.h>

#include <random>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

// Hands the drive lookups a made-up mount table for the life of one test.
class FakeVolumes {
public:
    explicit FakeVolumes(std::vector<TMountedVolume> volumes) {
        SetMountedVolumesSource([volumes] { return volumes; });
    }
    ~FakeVolumes() { SetMountedVolumesSource(nullptr); }
};

TMountedVolume Volume(const std::string& root, const std::string& fs, const std::string& device,
                      const std::string& kind = "") {
    TMountedVolume v;
    v.Root = root;
    v.FsType = fs;
    v.Device = device;
    v.DriveTypeName = kind;
    return v;
}

}  // namespace

TEST(MountInfo, ParsesFieldsAndUndoesOctalEscapes) {
    const char* text =
        "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "90 27 8:17 / /media/user/My\\040iPod rw,nosuid shared:5 master:2 - vfat /dev/sdb1 rw,uid=1000\n"
        "91 27 0:50 / /mnt/back\\134slash\\011tab rw - tmpfs tmpfs rw\n";
    auto volumes = ParseMountInfo(text);
    ASSERT_EQ(volumes.size(), 3u);
    EXPECT_EQ(volumes[0].Root, "/");
    EXPECT_EQ(volumes[0].FsType, "ext4");
    EXPECT_EQ(volumes[0].Device, "/dev/vda");
    EXPECT_EQ(volumes[0].DeviceNumber, "254:0");
    // Optional fields before the "-" are skipped, however many there are.
    EXPECT_EQ(volumes[1].Root, "/media/user/My iPod");
    EXPECT_EQ(volumes[1].FsType, "vfat");
    EXPECT_EQ(volumes[1].Device, "/dev/sdb1");
    EXPECT_EQ(volumes[1].DriveTypeName, "Removable");
    EXPECT_EQ(volumes[2].Root, "/mnt/back\\slash\ttab");
    EXPECT_EQ(volumes[2].DriveTypeName, "RAMDisk");
}

TEST(MountInfo, RejectsMalformedLinesWithoutLosingTheGoodOnes) {
    TMountedVolume v;
    EXPECT_FALSE(ParseMountInfoLine("", v));
    EXPECT_FALSE(ParseMountInfoLine("1 2 3:4 / /mnt rw", v));    // no separator
    EXPECT_FALSE(ParseMountInfoLine("1 2 3:4 / /mnt rw -", v));  // no type after it
    EXPECT_FALSE(ParseMountInfoLine("1 2 3:4 / relative rw - ext4 x", v));
    // A truncated escape at the end stays as it is.
    ASSERT_TRUE(ParseMountInfoLine("1 2 3:4 / /mnt/a\\04 rw - ext4", v));
    EXPECT_EQ(v.Root, "/mnt/a\\04");
    EXPECT_EQ(v.Device, "");
    auto volumes = ParseMountInfo("garbage\n\n1 2 3:4 / /x/ rw - nfs srv:/e rw\n\xff\x00 - -");
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].Root, "/x");
    EXPECT_EQ(volumes[0].DriveTypeName, "Network");
}

TEST(MountInfo, AnyBytesParseWithoutHarm) {
    std::mt19937 random(12345);
    std::string alphabet = "0123456789 /\\-:\t\nabc\xff\x80";
    alphabet.push_back('\0');
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 200, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        for (const auto& volume : ParseMountInfo(text)) {
            ASSERT_FALSE(volume.Root.empty());
            EXPECT_EQ(volume.Root[0], '/');
        }
    }
}

TEST(MountInfo, DriveKindsFollowTheFileSystem) {
    EXPECT_EQ(DriveKindOfVolume(Volume("/mnt/n", "nfs4", "srv:/x")), "Network");
    EXPECT_EQ(DriveKindOfVolume(Volume("/mnt/n", "cifs", "//srv/share")), "Network");
    EXPECT_EQ(DriveKindOfVolume(Volume("/mnt/s", "fuse.sshfs", "me@host:")), "Network");
    EXPECT_EQ(DriveKindOfVolume(Volume("/mnt/cd", "iso9660", "/dev/sr0")), "CD/DVD");
    EXPECT_EQ(DriveKindOfVolume(Volume("/mnt/cd", "udf", "/dev/sr0")), "CD/DVD");
    EXPECT_EQ(DriveKindOfVolume(Volume("/tmp", "tmpfs", "tmpfs")), "RAMDisk");
    EXPECT_EQ(DriveKindOfVolume(Volume("/run/media/u/IPOD", "vfat", "/dev/nonexistent9")), "Removable");
    EXPECT_EQ(DriveKindOfVolume(Volume("/media", "ext4", "/dev/nonexistent9")), "HardDisk");
    EXPECT_EQ(DriveKindOfVolume(Volume("/data", "ext4", "/dev/nonexistent9")), "HardDisk");
    EXPECT_EQ(DriveKindOfVolume(Volume("/proc", "proc", "proc")), "Unknown");
}

TEST(MountedVolumes, SeamReplacesTheTableAndFillsMissingKinds) {
    FakeVolumes fake({Volume("/", "ext4", "/dev/nonexistent9"), Volume("/media/u/IPOD", "vfat", "/dev/nonexistent8"),
                      Volume("/mnt/x", "whatever", "", "Network")});
    auto volumes = GetMountedVolumes();
    ASSERT_EQ(volumes.size(), 3u);
    EXPECT_EQ(volumes[0].DriveTypeName, "HardDisk");
    EXPECT_EQ(volumes[1].DriveTypeName, "Removable");
    EXPECT_EQ(volumes[2].DriveTypeName, "Network");  // given kinds are kept
}

TEST(MountedVolumes, RealTableHoldsTheRoot) {
    SetMountedVolumesSource(nullptr);
    auto volumes = GetMountedVolumes();
    bool root = false;
    for (const auto& v : volumes) root = root || v.Root == "/";
    EXPECT_TRUE(root);
}

TEST(MountedVolumes, PathBelongsToTheLongestMatchingRoot) {
    FakeVolumes fake({Volume("/", "ext4", "/dev/a"), Volume("/media/u/IPOD", "vfat", "/dev/b"),
                      Volume("/media/u/IPOD2", "vfat", "/dev/c"), Volume("/media/u/IPOD", "hfsplus", "/dev/d")});
    EXPECT_EQ(VolumeOfPath("/media/u/IPOD/iPod_Control").Device, "/dev/d");  // the later mount hides the earlier
    EXPECT_EQ(VolumeOfPath("/media/u/IPOD").Device, "/dev/d");
    EXPECT_EQ(VolumeOfPath("/media/u/IPOD2/x").Device, "/dev/c");
    EXPECT_EQ(VolumeOfPath("/media/u/IPODX").Device, "/dev/a");  // not a prefix on a name boundary
    EXPECT_EQ(VolumeOfPath("/media/u/IPOD2/../IPOD/y").Device, "/dev/d");
    EXPECT_EQ(VolumeOfPath("relative/path").Root, "");
}

TEST(MountedVolumes, ExistingPathIsFollowedThroughLinks) {
    TempDir dir;
    dir.Write("player/iPod_Control/x", "");
    ASSERT_EQ(symlink((dir / "player").c_str(), (dir / "link").c_str()), 0);
    FakeVolumes fake({Volume("/", "ext4", "/dev/a"), Volume(dir / "player", "vfat", "/dev/b")});
    EXPECT_EQ(VolumeOfPath(dir / "link/iPod_Control").Device, "/dev/b");
    EXPECT_EQ(VolumeOfPath(dir / "link").Device, "/dev/b");
}

TEST(DriveInfo, KindAndLabelFromTheVolume) {
    FakeVolumes fake(
        {Volume("/media/u/MY IPOD", "vfat", "/dev/nonexistent9"), Volume("/srv/share", "cifs", "//server/share")});
    EXPECT_EQ(GetDriveTypeName("/media/u/MY IPOD/Notes"), "Removable");
    EXPECT_EQ(GetDriveTypeName("/srv/share/file"), "Network");
    EXPECT_EQ(GetDriveTypeName("relative"), "Unknown");
    EXPECT_EQ(GetDriveTypeName(""), "Unknown");
    EXPECT_EQ(GetDriveTypeName("/home"), "Error");  // no mount holds it
    EXPECT_EQ(GetVolumeLabel("/media/u/MY IPOD/x"), "MY IPOD");
    EXPECT_EQ(GetVolumeLabel("/home"), "NotFound");
}

TEST(DriveInfo, MissingFolderOfAnExistingDriveHasNoSizesButKindAndLabel) {
    TempDir dir;
    FakeVolumes fake(
        {Volume("/", "ext4", "/dev/nonexistent9", "HardDisk"), Volume(dir.Path(), "vfat", "x", "Removable")});
    TDriveDataInfo info = GetDriveDataInfo(dir / "missing");
    EXPECT_EQ(info.Path, dir / "missing");
    EXPECT_EQ(info.TotalBytes, 0);
    EXPECT_EQ(info.FreeBytes, 0);
    EXPECT_EQ(info.UsedBytes, 0);
    EXPECT_EQ(info.DriveTypeName, "Removable");
    EXPECT_EQ(info.VolumeLabel, dir.Path().substr(dir.Path().rfind('/') + 1));

    TDriveDataInfo there = GetDriveDataInfo(dir.Path());
    EXPECT_GT(there.TotalBytes, 0);
    EXPECT_EQ(there.UsedBytes, there.TotalBytes - there.FreeBytes);
}

TEST(DriveInfo, DiskSpaceOfAMissingPathIsZero) {
    int64_t free = 1, used = 1, total = 1;
    GetDiskSpace("/no/such/folder/anywhere", free, used, total);
    EXPECT_EQ(free, 0);
    EXPECT_EQ(used, 0);
    EXPECT_EQ(total, 0);
    GetDiskSpace("/", free, used, total);
    EXPECT_GT(total, 0);
    EXPECT_EQ(used, total - free);
}

TEST(DriveList, RootsOfBlockDeviceVolumesOnlyEachOnce) {
    // A desktop's table: kernel and memory file systems, a sandbox, a container overlay,
    // btrfs (whose numbers are anonymous), a FUSE disk, players under /media and /run/media.
    const char* text =
        "21 26 0:20 / /proc rw - proc proc rw\n"
        "22 26 0:21 / /sys rw - sysfs sysfs rw\n"
        "23 26 0:6 / /dev rw - devtmpfs udev rw\n"
        "24 23 0:22 / /dev/shm rw - tmpfs tmpfs rw\n"
        "25 23 0:23 / /dev/pts rw - devpts devpts rw\n"
        "26 1 0:40 /@ / rw - btrfs /dev/nvme0n1p2 rw\n"
        "27 26 0:24 / /mnt/sandboxing/tools ro - tmpfs model_tools_unavailable ro\n"
        "28 25 0:25 / /dev/pts rw - devpts devpts rw\n"
        "29 26 259:1 / /boot/efi rw - vfat /dev/nvme0n1p1 rw\n"
        "30 22 0:27 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
        "31 26 0:40 /@home /home rw - btrfs /dev/nvme0n1p2 rw\n"
        "32 26 0:50 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw,lowerdir=/a\n"
        "33 26 7:3 / /snap/core/1 ro - squashfs /dev/loop3 ro\n"
        "34 26 8:17 / /media/user/IPOD rw - vfat /dev/sdb1 rw\n"
        "35 26 0:60 / /media/user/WIN rw - fuseblk /dev/sdc1 rw\n"
        "36 26 8:33 / /run/media/user/MAC\\040POD rw - hfsplus /dev/sdd2 rw\n"
        "37 26 0:61 / /mnt/share rw - nfs4 server:/export rw\n"
        "38 26 0:62 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
        "39 34 8:17 / /media/user/IPOD rw - vfat /dev/sdb1 rw\n";
    EXPECT_EQ(DriveRootList(ParseMountInfo(text)),
              (std::vector<std::string>{"/", "/boot/efi", "/home", "/media/user/IPOD", "/media/user/WIN",
                                        "/run/media/user/MAC POD"}));
}
