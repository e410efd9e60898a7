#include "platform/disk_check.h"

#include <sstream>
#include <unistd.h>

#include "foundation/console_runner.h"
#include "foundation/drives.h"
#include "foundation/encoding.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"
#include "platform/removal.h"

namespace {

bool SameVolume(const TMountedVolume& a, const TMountedVolume& b) {
    return a.Root == b.Root && a.Device == b.Device && a.FsType == b.FsType && a.DeviceNumber == b.DeviceNumber;
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// True when every line of the checker's report is one that a sound volume gives while it is
// mounted: the version, the dirty bit that the system sets on a mounted FAT volume, the note
// that nothing was changed, and the summary of files and clusters.
bool OnlyTheMountedVolumesMarks(const std::string& output) {
    bool dirty = false;
    for (const std::string& raw : SplitLines(output)) {
        const std::string line = encoding::Trim(raw);
        if (line.empty() || line.starts_with("fsck.fat ") || line.starts_with("fsck.vfat ") ||
            line == "Leaving filesystem unchanged." || line == "Automatically removing dirty bit.") {
            continue;
        }
        if (line.starts_with("Dirty bit is set.")) {
            dirty = true;
            continue;
        }
        // "<device>: 12 files, 345/6789 clusters"
        if (Contains(line, " files, ") && line.ends_with(" clusters")) continue;
        return false;
    }
    return dirty;
}

}  // namespace

std::string DiskCheckerProgram() {
    if (ProgramOnPath("fsck.vfat")) return "fsck.vfat";
    // A desktop user's PATH on Debian leaves out the sbin folders where dosfstools puts it.
    for (const char* full : {"/usr/sbin/fsck.vfat", "/sbin/fsck.vfat"}) {
        if (::access(full, X_OK) == 0) return full;
    }
    return "fsck.vfat";  // not installed: starting it fails and the window says so
}

TDiskCheckTarget DiskCheckTargetOf(const std::string& driveRoot) { return {driveRoot, VolumeOfPath(driveRoot)}; }

TDiskCheckPlan PlanDiskCheck(const TDiskCheckTarget& target) {
    const std::string& root = target.DriveRoot;
    if (target.Volume.Root.empty()) {
        return {{}, "[ " + root + " ] はマウントされたボリュームではないため、検査できません。", {}};
    }
    // The player's volume may have gone while the window stayed open: its mount point then lies
    // on the volume above it, which is never checked in its place.
    const TMountedVolume now = VolumeOfPath(root);
    if (root.empty() || PathKindOf(FindPlayerPath(root, "iPod_Control")) != TPathKind::Folder ||
        !SameVolume(now, target.Volume)) {
        return {{}, "iPodのボリューム [ " + root + " ] が見つかりません。iPodが取り外されたため、検査できません。", {}};
    }
    const std::string fs = encoding::AsciiLower(now.FsType);
    if (fs == "vfat" || fs == "msdos" || fs == "fat" || fs == "fat32") {
        // The device name goes in quotes: the command line is split into words at blanks.
        return {DiskCheckerProgram() + " -n \"" + now.Device + "\"", {}, now.Device};
    }
    return {{},
            "このファイルシステム (" + now.FsType + ") を検査するプログラムはありません。[ " + now.Root +
                " ] は検査されませんでした。",
            {}};
}

TDiskCheckPlan PlanDiskCheck(const std::string& driveRoot) { return PlanDiskCheck(DiskCheckTargetOf(driveRoot)); }

std::string DiskCheckMeaning(uint32_t exitCode, const std::string& output, const std::string& errors,
                             const std::string& device) {
    // The checker says why it could not open the device only on its error stream.
    if (Contains(errors, "open:") || Contains(errors, "Permission denied")) {
        if (Contains(errors, "Permission denied")) {
            return Format(
                "検査できませんでした: デバイス %s を読む権限がありません。管理者として端末で「sudo fsck.vfat -n %s」"
                "を実行すると検査できます。",
                {device, device});
        }
        if (Contains(errors, "No such file") || Contains(errors, "No such device")) {
            return Format(
                "検査できませんでした: デバイス %s が見つかりません。iPodが接続されているか確かめてください。",
                {device});
        }
        return Format("検査できませんでした: デバイス %s を開けませんでした。", {device});
    }
    if (exitCode == 0) return "検査の結果: 異常は見つかりませんでした。";
    if (exitCode == 1) {
        if (OnlyTheMountedVolumesMarks(output)) {
            return "検査の結果: 異常は見つかりませんでした（「Dirty bit is "
                   "set」は使用中のボリュームに付く印で、損傷ではありません）。";
        }
        return "検査の結果: 異常が見つかりました。この検査は読み取りだけを行うため、何も修復していません。";
    }
    return Format("検査できませんでした（検査プログラムの終了コード %d）。", {static_cast<int64_t>(exitCode)});
}

TDiskCheckResult RunDiskCheck(const TDiskCheckTarget& target) {
    const TDiskCheckPlan plan = PlanDiskCheck(target);
    if (plan.CommandLine.empty()) return {{}, plan.Note};
    std::istringstream input;
    std::ostringstream output, errors;
    const uint32_t code = RunConsole(plan.CommandLine, input, output, errors);
    // fsck.fat says why it could not check (a device the user may not read, above all) only on
    // its error stream; without it the window would show a check that seemed to pass.
    std::string text = output.str();
    if (!errors.str().empty()) {
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += errors.str();
    }
    return {encoding::Text8ToUtf8(text), DiskCheckMeaning(code, output.str(), errors.str(), plan.Device)};
}
