// Safe removal of the player: unmount and power off through udisks ("udisksctl unmount -b
// <device>", then "udisksctl power-off -b <device>"), or "eject <mount point>" when udisksctl
// is missing. Only the player's own removable device is ever touched: its root must be the
// mount point of a removable or hot-pluggable disk that holds no other mounted volume.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Why a place cannot be removed from here.
enum class TRemovalRefusal {
    None,          // it can: the plan holds its commands
    NotRemovable,  // no whole volume of a disk that can be unplugged (a folder, the system disk, a share)
    OtherVolumes,  // a disk that can be unplugged, but another of its volumes is mounted too
};

// What removing the player at one root takes.
struct TRemovalPlan {
    std::string Device;      // the player's block device, e.g. "/dev/sdb1"
    std::string MountPoint;  // its mount point as the mount table writes it
    // The commands (each as its words), in order; empty when this place cannot be removed.
    std::vector<std::vector<std::string>> Commands;
    TRemovalRefusal Refusal = TRemovalRefusal::NotRemovable;
    std::vector<std::string> OtherMountPoints;  // the volumes in the way (OtherVolumes)
};

// The plan for the player whose root is driveRoot, decided over the mount table and the sysfs
// flags alone. Nothing is planned for a folder inside a volume, the system root, a disk that
// cannot be unplugged or a disk with further mounted volumes (powering it off would cut them).
TRemovalPlan PlanSafeRemoval(const std::string& driveRoot, bool haveUdisksctl);

// How a removal ended.
struct TRemovalOutcome {
    bool Succeeded = false;
    bool Unmounted = false;  // the file system was let go before a later step failed
    uint32_t ExitCode = 0;   // of the failing command (0xFFFFFFFF when it could not start)
    std::string Reason;      // what the failing command said (udisks' message), trimmed
};

// Runs the plan's commands one after the other and stops at the first that fails. Blocks for
// as long as udisks takes (seconds, or while it asks for a password).
TRemovalOutcome RunRemovalPlan(const TRemovalPlan& plan);

// The texts the user reads: the place is no removable device; why the plan refuses the place;
// the removal failed.
std::string NotRemovableText(const std::string& driveRoot);
std::string RefusalText(const TRemovalPlan& plan, const std::string& driveRoot);
std::string RemovalFailureText(const TRemovalOutcome& outcome);

// True when the program is found on PATH.
bool ProgramOnPath(const std::string& name);

// One removal run on a thread of its own, so that the window stays responsive while udisks
// works. done is called once, on that thread, with the outcome; the destructor waits for it.
class TRemovalJob {
public:
    TRemovalJob(TRemovalPlan plan, std::function<void(const TRemovalOutcome&)> done);
    ~TRemovalJob();
    TRemovalJob(const TRemovalJob&) = delete;
    TRemovalJob& operator=(const TRemovalJob&) = delete;

private:
    std::thread FThread;
};
