#include "foundation/drives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "foundation/paths.h"

namespace {

std::mutex g_source_mutex;
std::function<std::vector<TMountedVolume>()> g_source;
std::string g_sysfs_root = "/sys";

std::string SysfsRoot() {
    std::lock_guard<std::mutex> lock(g_source_mutex);
    return g_sysfs_root;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// The kernel writes blank, tab, line feed and backslash in mount points as "\ooo".
std::string UnescapeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 255) {
                out.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<std::string_view> SplitBlanks(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool IsDeviceNumber(std::string_view text) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == colon) continue;
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string RealPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer) == nullptr) return {};
    return buffer;
}

std::string LastName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The sysfs folder of the volume's block device ("" when it is not a block device).
std::string SysfsBlockFolder(const TMountedVolume& volume, const std::string& sysfs) {
    if (!volume.DeviceNumber.empty() && IsDeviceNumber(volume.DeviceNumber)) {
        std::string folder = RealPath(sysfs + "/dev/block/" + volume.DeviceNumber);
        if (!folder.empty()) return folder;
    }
    if (volume.Device.rfind("/dev/", 0) == 0) {
        std::string device = RealPath(volume.Device);
        if (device.empty()) device = volume.Device;
        std::string name = LastName(device);
        if (!name.empty() && name != "." && name != "..") return RealPath(sysfs + "/class/block/" + name);
    }
    return {};
}

bool IsUnder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// Whether a device path below the sysfs root passes a USB or FireWire bus: such a disk can be
// unplugged whatever its removable flag says (USB hard disks report 0).
bool OnHotplugBus(const std::string& below_root) {
    size_t i = 0;
    while (i < below_root.size()) {
        size_t next = below_root.find('/', i);
        if (next == std::string::npos) next = below_root.size();
        const std::string part = below_root.substr(i, next - i);
        if (part.rfind("usb", 0) == 0) return true;
        if (part.size() > 2 && part.rfind("fw", 0) == 0 && std::isdigit(static_cast<unsigned char>(part[2])))
            return true;
        i = next + 1;
    }
    return false;
}

// Lexically tidied absolute path: no "." or empty parts, ".." taken back, no trailing "/".
std::string NormalizeAbsolute(const std::string& path) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size()) {
        size_t next = path.find('/', i);
        if (next == std::string::npos) next = path.size();
        std::string part = path.substr(i, next - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = next + 1;
    }
    std::string out;
    for (const auto& part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
}

// udev writes unsafe bytes of a label link's name as "\xHH".
std::string UnescapeUdev(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            out.push_back(static_cast<char>(std::strtol(name.substr(i + 2, 2).c_str(), nullptr, 16)));
            i += 3;
        } else {
            out.push_back(name[i]);
        }
    }
    return out;
}

std::string LabelFromDiskByLabel(const std::string& device) {
    if (device.rfind("/dev/", 0) != 0) return {};
    std::string target = RealPath(device);
    if (target.empty()) return {};
    const std::string folder = "/dev/disk/by-label";
    // The entries are udev's links to the devices: only their targets are looked at.
    TFolderReader reader(folder);
    TFolderEntry entry{};
    while (reader.Next(entry)) {
        const std::string name(entry.Name);
        if (RealPath(folder + "/" + name) == target) return UnescapeUdev(name);
    }
    return {};
}

std::vector<TMountedVolume> ReadMountTable() { return ParseMountInfo(ReadSmallFile("/proc/self/mountinfo")); }

}  // namespace

bool ParseMountInfoLine(std::string_view line, TMountedVolume& volume) {
    // id parent major:minor root mount-point options [optional fields...] - fstype source super-options
    std::vector<std::string_view> fields = SplitBlanks(line);
    if (fields.size() < 7) return false;
    size_t dash = 0;
    for (size_t i = 6; i < fields.size(); ++i) {
        if (fields[i] == "-") {
            dash = i;
            break;
        }
    }
    if (dash == 0 || dash + 1 >= fields.size()) return false;
    std::string root = UnescapeMountField(fields[4]);
    if (root.empty() || root[0] != '/') return false;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    volume = TMountedVolume{};
    volume.Root = root;
    volume.FsType = UnescapeMountField(fields[dash + 1]);
    if (dash + 2 < fields.size()) volume.Device = UnescapeMountField(fields[dash + 2]);
    if (IsDeviceNumber(fields[2])) volume.DeviceNumber = std::string(fields[2]);
    return true;
}

std::vector<TMountedVolume> ParseMountInfo(std::string_view text) {
    std::vector<TMountedVolume> volumes;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find('\n', i);
        if (end == std::string_view::npos) end = text.size();
        TMountedVolume volume;
        if (ParseMountInfoLine(text.substr(i, end - i), volume)) {
            volume.DriveTypeName = DriveKindOfVolume(volume);
            volumes.push_back(std::move(volume));
        }
        i = end + 1;
    }
    return volumes;
}

std::string DriveKindOfVolume(const TMountedVolume& volume) {
    static const char* const kNetwork[] = {"nfs",   "nfs4",       "cifs",  "smb3",      "smbfs",
                                           "sshfs", "fuse.sshfs", "davfs", "fuse.davfs"};
    for (const char* type : kNetwork)
        if (volume.FsType == type) return "Network";
    if (volume.FsType == "iso9660" || volume.FsType == "udf") return "CD/DVD";
    if (volume.FsType == "tmpfs" || volume.FsType == "ramfs") return "RAMDisk";
    if (IsUnder(volume.Root, "/media") || IsUnder(volume.Root, "/run/media")) return "Removable";
    const TBlockDisk disk = BlockDiskOfVolume(volume);
    if (disk.Hotplug) return "Removable";
    if (!disk.Folder.empty() || volume.Device.rfind("/dev/", 0) == 0) return "HardDisk";
    // Kernel and overlay file systems are no drive of any known kind.
    return "Unknown";
}

std::vector<TMountedVolume> GetMountedVolumes() {
    std::function<std::vector<TMountedVolume>()> source;
    {
        std::lock_guard<std::mutex> lock(g_source_mutex);
        source = g_source;
    }
    if (!source) return ReadMountTable();
    std::vector<TMountedVolume> volumes = source();
    for (auto& volume : volumes)
        if (volume.DriveTypeName.empty()) volume.DriveTypeName = DriveKindOfVolume(volume);
    return volumes;
}

void SetMountedVolumesSource(std::function<std::vector<TMountedVolume>()> source) {
    std::lock_guard<std::mutex> lock(g_source_mutex);
    g_source = std::move(source);
}

void SetSysfsRoot(const std::string& root) {
    std::lock_guard<std::mutex> lock(g_source_mutex);
    g_sysfs_root = root.empty() ? "/sys" : root;
}

TBlockDisk BlockDiskOfVolume(const TMountedVolume& volume) {
    const std::string root_given = SysfsRoot();
    TBlockDisk disk;
    const std::string folder = SysfsBlockFolder(volume, root_given);
    if (folder.empty()) return disk;
    disk.Device = "/dev/" + LastName(folder);
    // A partition's flag stands on its whole disk, one folder up.
    disk.Folder = folder;
    struct stat st {};
    if (stat((folder + "/partition").c_str(), &st) == 0) {
        size_t slash = disk.Folder.find_last_of('/');
        if (slash != std::string::npos && slash > 0) disk.Folder.resize(slash);
    }
    std::string root = RealPath(root_given);
    if (root.empty()) root = root_given;
    const std::string below = IsUnder(disk.Folder, root) ? disk.Folder.substr(root.size()) : disk.Folder;
    const std::string flag = ReadSmallFile(disk.Folder + "/removable");
    disk.Hotplug = (!flag.empty() && flag[0] == '1') || OnHotplugBus(below);
    return disk;
}

bool IsBlockDeviceVolume(const TMountedVolume& volume) {
    // Memory and kernel file systems name no device node; these few do yet are no volume the
    // user keeps files on (squashfs: the read-only images of packaged programs).
    static const char* const kNotVolumes[] = {"tmpfs",   "ramfs", "devtmpfs", "squashfs",
                                              "overlay", "proc",  "sysfs",    "devpts"};
    for (const char* type : kNotVolumes)
        if (volume.FsType == type) return false;
    return volume.Device.size() > 5 && volume.Device.rfind("/dev/", 0) == 0;
}

std::vector<std::string> DriveRootList(const std::vector<TMountedVolume>& volumes) {
    std::vector<std::string> roots;
    for (const TMountedVolume& volume : volumes) {
        if (volume.Root.empty() || !IsBlockDeviceVolume(volume)) continue;
        bool listed = false;
        for (const std::string& root : roots) listed = listed || root == volume.Root;
        if (!listed) roots.push_back(volume.Root);
    }
    return roots;
}

TMountedVolume VolumeOfPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return {};
    // An existing path is followed through its links to where it really lies.
    std::string real = RealPath(path);
    const std::string target = NormalizeAbsolute(real.empty() ? path : real);
    TMountedVolume best;
    bool found = false;
    // Later entries of the table stand over earlier ones on the same mount point.
    for (auto& volume : GetMountedVolumes()) {
        const std::string root = volume.Root.empty() ? std::string() : NormalizeAbsolute(volume.Root);
        if (root.empty()) continue;
        bool holds = root == "/" || target == root || IsUnder(target, root);
        if (!holds) continue;
        if (!found || root.size() >= NormalizeAbsolute(best.Root).size()) {
            best = volume;
            found = true;
        }
    }
    return found ? best : TMountedVolume{};
}

void GetDiskSpace(const std::string& path, int64_t& FreeBytes, int64_t& UsedBytes, int64_t& TotalBytes) {
    FreeBytes = UsedBytes = TotalBytes = 0;
    struct statvfs info {};
    if (path.empty() || statvfs(path.c_str(), &info) != 0) return;
    const uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    TotalBytes = static_cast<int64_t>(static_cast<uint64_t>(info.f_blocks) * unit);
    FreeBytes = static_cast<int64_t>(static_cast<uint64_t>(info.f_bavail) * unit);
    UsedBytes = TotalBytes - FreeBytes;
}

std::string GetVolumeLabel(const std::string& path) {
    TMountedVolume volume = VolumeOfPath(path);
    if (volume.Root.empty()) return "NotFound";
    std::string label = LabelFromDiskByLabel(volume.Device);
    if (!label.empty()) return label;
    return LastName(volume.Root);
}

std::string GetDriveTypeName(const std::string& path) {
    // A relative path has no drive part: nothing is asked.
    if (path.empty() || path[0] != '/') return "Unknown";
    TMountedVolume volume = VolumeOfPath(path);
    if (volume.Root.empty()) return "Error";
    return volume.DriveTypeName.empty() ? DriveKindOfVolume(volume) : volume.DriveTypeName;
}

TDriveDataInfo GetDriveDataInfo(const std::string& path) {
    TDriveDataInfo info;
    info.Path = path;
    GetDiskSpace(path, info.FreeBytes, info.UsedBytes, info.TotalBytes);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        info.FreeBytes = info.UsedBytes = info.TotalBytes = 0;
    }
    info.VolumeLabel = GetVolumeLabel(path);
    info.DriveTypeName = GetDriveTypeName(path);
    return info;
}
