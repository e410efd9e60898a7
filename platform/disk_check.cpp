#include "platform/disk_check.h"

#include <sstream>
#include <unistd.h>

#include "foundation/console_runner.h"
#include "foundation/drives.h"
#include "foundation/encoding.h"
#include "platform/removal.h"

std::string DiskCheckerProgram() {
    if (ProgramOnPath("fsck.vfat")) return "fsck.vfat";
    // A desktop user's PATH on Debian leaves out the sbin folders where dosfstools puts it.
    for (const char* full : {"/usr/sbin/fsck.vfat", "/sbin/fsck.vfat"}) {
        if (::access(full, X_OK) == 0) return full;
    }
    return "fsck.vfat";  // not installed: starting it fails and the window says so
}

TDiskCheckPlan PlanDiskCheck(const std::string& driveRoot) {
    const TMountedVolume volume = VolumeOfPath(driveRoot);
    if (volume.Root.empty()) {
        return {{}, "[ " + driveRoot + " ] はマウントされたボリュームではないため、検査できません。"};
    }
    const std::string fs = encoding::AsciiLower(volume.FsType);
    if (fs == "vfat" || fs == "msdos" || fs == "fat" || fs == "fat32") {
        // The device name goes in quotes: the command line is split into words at blanks.
        return {DiskCheckerProgram() + " -n \"" + volume.Device + "\"", {}};
    }
    return {{}, "このファイルシステム (" + volume.FsType + ") を検査するプログラムはありません。[ " + volume.Root +
                    " ] は検査されませんでした。"};
}

std::string RunDiskCheck(const std::string& driveRoot) {
    const TDiskCheckPlan plan = PlanDiskCheck(driveRoot);
    if (plan.CommandLine.empty()) return plan.Note;
    std::istringstream input;
    std::ostringstream output, errors;
    RunConsole(plan.CommandLine, input, output, errors);
    // fsck.fat says why it could not check (a device the user may not read, above all) only on
    // its error stream; without it the window would show a check that seemed to pass.
    std::string text = output.str();
    if (!errors.str().empty()) {
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += errors.str();
    }
    return encoding::Text8ToUtf8(text);
}
