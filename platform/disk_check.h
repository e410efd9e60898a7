// The read-only check of the player's file system that stands in for the disk checker: FAT
// volumes are checked with "fsck.vfat -n <device>" (never a repairing run on a mounted volume);
// for other file systems the output says that no checker is available.
#pragma once

#include <string>

struct TDiskCheckPlan {
    std::string CommandLine;  // empty when there is nothing to run
    std::string Note;         // the text shown instead when nothing runs
};

// The checker to start: "fsck.vfat" when it is on PATH, else its full path in an sbin folder.
std::string DiskCheckerProgram();

// What checking the volume that holds driveRoot takes.
TDiskCheckPlan PlanDiskCheck(const std::string& driveRoot);

// Runs the plan through RunConsole and returns the checker's standard output followed by its
// error stream (UTF-8); the plan's note when nothing runs. ELaunchFailed when the
// checker cannot be started.
std::string RunDiskCheck(const std::string& driveRoot);
