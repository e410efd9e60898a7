#include "platform/disk_check.h"

#include <sstream>

#include "foundation/console_runner.h"
#include "foundation/drives.h"
#include "foundation/encoding.h"

TDiskCheckPlan PlanDiskCheck(const std::string& driveRoot) {
    const TMountedVolume volume = VolumeOfPath(driveRoot);
    if (volume.Root.empty()) {
        return {{}, "[ " + driveRoot + " ] はマウントされたボリュームではないため、検査できません。"};
    }
    const std::string fs = encoding::AsciiLower(volume.FsType);
    if (fs == "vfat" || fs == "msdos" || fs == "fat" || fs == "fat32") {
        // The device name goes in quotes: the command line is split into words at blanks.
        return {"fsck.vfat -n \"" + volume.Device + "\"", {}};
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
    return encoding::Text8ToUtf8(output.str());
}
