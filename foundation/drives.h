// Drive information over the mount table. A "drive" is a mounted volume; its root is the mount
// point. Sizes are in bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TDriveDataInfo {
    std::string Path;           // the path the record was made for, as given
    std::string VolumeLabel;    // label of the volume, or "NotFound"
    std::string DriveTypeName;  // "Removable", "HardDisk", "Network", "CD/DVD", "RAMDisk", "Unknown", "Error"
    int64_t TotalBytes = 0;
    int64_t FreeBytes = 0;  // bytes free for the calling user
    int64_t UsedBytes = 0;  // TotalBytes - FreeBytes
};

TDriveDataInfo GetDriveDataInfo(const std::string& path);
// Total and free from statvfs on the path (free = available to the caller); used = total - free.
// All three are 0 when the path cannot be asked.
void GetDiskSpace(const std::string& path, int64_t& FreeBytes, int64_t& UsedBytes, int64_t& TotalBytes);
std::string GetVolumeLabel(const std::string& path);
std::string GetDriveTypeName(const std::string& path);

// One mounted volume of the mount table.
struct TMountedVolume {
    std::string Root;           // mount point, without trailing "/" (except "/" itself)
    std::string Device;         // mount source, e.g. "/dev/sdb1"
    std::string FsType;         // e.g. "vfat", "hfsplus", "nfs", "tmpfs"
    std::string DriveTypeName;  // the drive kind text for this volume
    std::string DeviceNumber;   // "major:minor" of the mount table ("" when not known)
};

// The mounted volumes in mount-table order (/proc/self/mountinfo): what the player search
// walks in place of the drive letters D: to Z:.
std::vector<TMountedVolume> GetMountedVolumes();

// Test seam: while set, GetMountedVolumes (and the drive lookups built on it) answer from this
// function instead of the mount table. An empty function restores the real table.
void SetMountedVolumesSource(std::function<std::vector<TMountedVolume>()> source);

// Test seam: the folder that stands for /sys when the block devices under the volumes are
// looked up (their removable flags and buses). An empty text restores "/sys".
void SetSysfsRoot(const std::string& root);

// The disk under a volume, as sysfs describes it.
struct TBlockDisk {
    std::string Folder;    // sysfs folder of the whole disk ("" when the volume is on no block device)
    std::string Device;    // the volume's own device node: "/dev/" + its kernel name, e.g. "/dev/sdb1"
    bool Hotplug = false;  // the disk's removable flag is 1, or it hangs on a USB or FireWire bus
};
TBlockDisk BlockDiskOfVolume(const TMountedVolume& volume);

// True for a file system on a block device (a disk, a partition, a memory card, a player);
// false for kernel, memory, network and overlay file systems, which hold no user's drive.
bool IsBlockDeviceVolume(const TMountedVolume& volume);
// The roots of the block-device volumes of the table, in its order, each root once.
std::vector<std::string> DriveRootList(const std::vector<TMountedVolume>& volumes);

// The mounted volume that holds the path (the one with the longest matching root; of equal
// roots the later in the table), or an empty record (Root empty) when none does or the path is
// relative. An existing path is resolved through its symbolic links first.
TMountedVolume VolumeOfPath(const std::string& path);

// One line of /proc/self/mountinfo into a volume (octal escapes such as "\040" undone; the
// drive kind left empty). False for a line that is not a well-formed entry. Any bytes are safe.
bool ParseMountInfoLine(std::string_view line, TMountedVolume& volume);
// Every well-formed line of a mountinfo text, in order, with the drive kind filled in.
std::vector<TMountedVolume> ParseMountInfo(std::string_view text);
// The drive kind text of a mounted volume, from its file-system type, device and mount point.
std::string DriveKindOfVolume(const TMountedVolume& volume);
