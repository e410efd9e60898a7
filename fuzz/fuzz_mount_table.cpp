// Arbitrary bytes as the mount table (/proc/self/mountinfo) over a small sysfs of our own: every
// volume read has an absolute mount point and a known drive kind; written back with the
// kernel's escapes, each line reads as the same volume; the drive list names each root once,
// and the volume found for a path is one of the table's.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "foundation/drives.h"
#include "fuzz/fuzz_files.h"

namespace {

// A USB disk (8:16, partition 8:17) and an internal one (8:0, partition 8:1).
void MakeSysfs() {
    const std::string sys = fuzz::WorkFolder() + "/sys";
    fuzz::WriteFile("sys/devices/pci0/usb1/sdb/removable", "0\n");
    fuzz::WriteFile("sys/devices/pci0/usb1/sdb/sdb1/partition", "1\n");
    fuzz::WriteFile("sys/devices/pci0/ata1/sda/removable", "0\n");
    fuzz::WriteFile("sys/devices/pci0/ata1/sda/sda1/partition", "1\n");
    std::filesystem::create_directories(sys + "/class/block");
    std::filesystem::create_directories(sys + "/dev/block");
    bool made = true;
    for (const auto& [name, number, folder] : {std::tuple{"sdb", "8:16", "usb1/sdb"},
                                               {"sdb1", "8:17", "usb1/sdb/sdb1"},
                                               {"sda", "8:0", "ata1/sda"},
                                               {"sda1", "8:1", "ata1/sda/sda1"}}) {
        const std::string target = sys + "/devices/pci0/" + folder;
        made = made && ::symlink(target.c_str(), (sys + "/class/block/" + name).c_str()) == 0 &&
               ::symlink(target.c_str(), (sys + "/dev/block/" + number).c_str()) == 0;
    }
    if (!made) __builtin_trap();
    SetSysfsRoot(sys);
}

// The kernel's escapes of a mount field: blank, tab, line feed and backslash as "\ooo".
std::string Escaped(const std::string& field) {
    std::string out;
    for (char c : field) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            char code[5];
            std::snprintf(code, sizeof code, "\\%03o", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

bool SameVolume(const TMountedVolume& a, const TMountedVolume& b) {
    return a.Root == b.Root && a.Device == b.Device && a.FsType == b.FsType && a.DeviceNumber == b.DeviceNumber;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    [[maybe_unused]] static const bool sysfs = (MakeSysfs(), true);
    const std::string_view text = fuzz::AsText(data, size);
    const std::vector<TMountedVolume> volumes = ParseMountInfo(text);
    if (volumes.size() > static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1) __builtin_trap();

    bool hasTopRoot = false;
    for (const TMountedVolume& volume : volumes) {
        const std::string& root = volume.Root;
        if (root.empty() || root[0] != '/' || (root.size() > 1 && root.back() == '/')) __builtin_trap();
        hasTopRoot = hasTopRoot || root == "/";
        bool known = false;
        for (const char* kind : {"Removable", "HardDisk", "Network", "CD/DVD", "RAMDisk", "Unknown"}) {
            known = known || volume.DriveTypeName == kind;
        }
        if (!known) __builtin_trap();

        const std::string line = "36 35 " + (volume.DeviceNumber.empty() ? std::string("none") : volume.DeviceNumber) +
                                 " / " + Escaped(root) + " rw,relatime shared:1 - " + Escaped(volume.FsType) +
                                 (volume.Device.empty() ? std::string() : " " + Escaped(volume.Device) + " rw");
        TMountedVolume again;
        if (!ParseMountInfoLine(line, again) || !SameVolume(volume, again)) __builtin_trap();
    }

    const std::vector<std::string> roots = DriveRootList(volumes);
    for (size_t i = 0; i < roots.size(); ++i) {
        for (size_t j = i + 1; j < roots.size(); ++j) {
            if (roots[i] == roots[j]) __builtin_trap();
        }
    }

    SetMountedVolumesSource([&volumes] { return volumes; });
    const TMountedVolume found = VolumeOfPath("/media/user/IPOD/iPod_Control/iTunes/iTunesDB");
    SetMountedVolumesSource({});
    if (hasTopRoot && found.Root.empty()) __builtin_trap();
    bool listed = found.Root.empty();
    for (const TMountedVolume& volume : volumes) listed = listed || SameVolume(volume, found);
    if (!listed) __builtin_trap();
    return 0;
}
