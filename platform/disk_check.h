// The read-only check of the player's file system that stands in for the disk checker: FAT
// volumes are checked with "fsck.vfat -n <device>" (never a repairing run on a mounted volume);
// for other file systems the output says that no checker is available. The check runs only on
// the volume the player was recognised on; when that volume has gone, nothing runs.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/drives.h"

struct TDiskCheckPlan {
    std::string CommandLine;  // empty when there is nothing to run
    std::string Note;         // the text shown instead when nothing runs
    std::string Device;       // the device checked ("" when nothing runs)
};

// The player's volume as it was when the player was recognised.
struct TDiskCheckTarget {
    std::string DriveRoot;
    TMountedVolume Volume;  // Root empty when the drive root lay on no mounted volume
};

// The checker to start: "fsck.vfat" when it is on PATH, else its full path in an sbin folder.
std::string DiskCheckerProgram();

// The target of a check of the player at driveRoot, taken while the player is there.
TDiskCheckTarget DiskCheckTargetOf(const std::string& driveRoot);

// What checking the target's volume takes now: nothing (with a note saying why) when the
// player's folder or its volume is gone, or another volume now stands at its place.
TDiskCheckPlan PlanDiskCheck(const TDiskCheckTarget& target);
// The same for the volume that holds driveRoot now.
TDiskCheckPlan PlanDiskCheck(const std::string& driveRoot);

struct TDiskCheckResult {
    std::string Output;   // the checker's own text (its output, then its error stream), UTF-8
    std::string Meaning;  // one Japanese line saying what the check found, or why it could not run
};

// What a run of the checker means for the user: no fault found, faults found (nothing was
// repaired: the check only reads), or the check could not run and why (a device the user may
// not read above all, with what to do). exitCode, output and errors as the checker left them.
std::string DiskCheckMeaning(uint32_t exitCode, const std::string& output, const std::string& errors,
                             const std::string& device);

// Runs the plan through RunConsole: the checker's text and its meaning; for a plan without a
// command, the note as the meaning and no output. ELaunchFailed when the checker cannot be
// started.
TDiskCheckResult RunDiskCheck(const TDiskCheckTarget& target);
