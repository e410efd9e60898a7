#include "platform/removal.h"

#include <climits>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

#include "foundation/console_runner.h"
#include "foundation/drives.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"

namespace {

// What of a command's message the window shows at most.
constexpr size_t kMaxReasonBytes = 2000;

// The path with "." and ".." parts and trailing "/" taken away, through its links when it exists.
std::string ComparablePath(const std::string& path) {
    char buffer[PATH_MAX];
    std::string real = realpath(path.c_str(), buffer) ? std::string(buffer) : path;
    while (real.size() > 1 && real.back() == '/') real.pop_back();
    return real;
}

// A word travels inside double quotes on the command line, which then cannot hold a quote.
bool Quotable(const std::string& word) {
    for (char c : word)
        if (c == '"' || c == '\n' || c == '\r' || c == '\0') return false;
    return true;
}

std::string CommandLineOf(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty()) line += ' ';
        line += '"' + word + '"';
    }
    return line;
}

}  // namespace

TRemovalPlan PlanSafeRemoval(const std::string& driveRoot, bool haveUdisksctl) {
    TRemovalPlan plan;
    if (driveRoot.empty() || driveRoot[0] != '/') return plan;
    const TMountedVolume volume = VolumeOfPath(driveRoot);
    // The player must be the whole volume: a folder inside one shares its disk with other files.
    if (volume.Root.empty() || volume.Root == "/" || ComparablePath(driveRoot) != volume.Root) return plan;
    if (!IsBlockDeviceVolume(volume)) return plan;
    const TBlockDisk disk = BlockDiskOfVolume(volume);
    if (disk.Folder.empty() || !disk.Hotplug) return plan;
    // Powering off takes every partition of the disk with it: none other may be in use, and so
    // the disk of a system started from a stick is never touched.
    for (const TMountedVolume& other : GetMountedVolumes()) {
        if (other.Root == volume.Root || !IsBlockDeviceVolume(other)) continue;
        if (BlockDiskOfVolume(other).Folder == disk.Folder) plan.OtherMountPoints.push_back(other.Root);
    }
    if (!plan.OtherMountPoints.empty()) {
        plan.Refusal = TRemovalRefusal::OtherVolumes;
        return plan;
    }
    if (!Quotable(disk.Device) || !Quotable(volume.Root)) return plan;
    plan.Device = disk.Device;
    plan.MountPoint = volume.Root;
    plan.Refusal = TRemovalRefusal::None;
    if (haveUdisksctl) {
        plan.Commands = {{"udisksctl", "unmount", "-b", disk.Device}, {"udisksctl", "power-off", "-b", disk.Device}};
    } else {
        plan.Commands = {{"eject", volume.Root}};
    }
    return plan;
}

TRemovalOutcome RunRemovalPlan(const TRemovalPlan& plan) {
    TRemovalOutcome outcome;
    for (size_t i = 0; i < plan.Commands.size(); ++i) {
        std::istringstream input;
        std::ostringstream output, errors;
        try {
            outcome.ExitCode = RunConsole(CommandLineOf(plan.Commands[i]), input, output, errors);
        } catch (const ETolvError&) {
            outcome.ExitCode = 0xFFFFFFFF;
            outcome.Reason = "「" + plan.Commands[i][0] + "」を起動できませんでした";
            return outcome;
        }
        if (outcome.ExitCode != 0) {
            // udisks says why on its error stream; some tools use the output instead.
            std::string said = encoding::Trim(errors.str());
            if (said.empty()) said = encoding::Trim(output.str());
            outcome.Reason = encoding::Text8ToUtf8(said);
            if (outcome.Reason.size() > kMaxReasonBytes)
                outcome.Reason = std::string(encoding::Utf8TruncateBytes(outcome.Reason, kMaxReasonBytes)) + "…";
            return outcome;
        }
        // The first step lets the file system go (udisks' unmount, or eject's whole run).
        outcome.Unmounted = true;
    }
    outcome.Succeeded = !plan.Commands.empty();
    return outcome;
}

std::string NotRemovableText(const std::string& driveRoot) {
    return "[ " + driveRoot +
           " ] は取り外し可能なデバイスのドライブではないため、ここから安全に取り外すことはできません。";
}

std::string RefusalText(const TRemovalPlan& plan, const std::string& driveRoot) {
    if (plan.Refusal != TRemovalRefusal::OtherVolumes) return NotRemovableText(driveRoot);
    std::string others;
    for (const std::string& root : plan.OtherMountPoints) others += "\n" + root;
    return "[ " + driveRoot +
           " ] は取り外し可能なデバイスのドライブですが、同じデバイスのほかのドライブもマウントされています。"
           "電源を切るとそれらも切り離されるため、ここから安全に取り外すことはできません。"
           "先に次のドライブを取り外してください:" +
           others;
}

std::string RemovalFailureText(const TRemovalOutcome& outcome) {
    std::string text = outcome.Unmounted ? "iPodのドライブは取り外されましたが、電源を切ることができませんでした。"
                                         : "iPodを取り外すことができませんでした。";
    if (!outcome.Reason.empty()) {
        text += "\n\n理由: " + outcome.Reason;
    } else {
        text += "\n\n終了コード: " + std::to_string(outcome.ExitCode);
    }
    return text;
}

bool ProgramOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string all = path;
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(':', start);
        if (end == std::string::npos) end = all.size();
        std::string dir = all.substr(start, end - start);
        if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

TRemovalJob::TRemovalJob(TRemovalPlan plan, std::function<void(const TRemovalOutcome&)> done)
    : FThread([plan = std::move(plan), done = std::move(done)] {
          TRemovalOutcome outcome;
          try {
              outcome = RunRemovalPlan(plan);
          } catch (const std::exception& e) {
              outcome.ExitCode = 0xFFFFFFFF;
              outcome.Reason = e.what();
          }
          done(outcome);
      }) {}

TRemovalJob::~TRemovalJob() {
    if (FThread.joinable()) FThread.join();
}
