// Safe removal of the player: unmount and power off through udisks ("udisksctl unmount -b
// <device>", then "udisksctl power-off -b <device>"), or "eject <mount point>" when udisksctl
// is missing. The commands run detached; their outcome is not reported.
#pragma once

#include <string>
#include <vector>

// The commands (each as its words) for the volume that holds driveRoot; empty when the path
// is on no mounted volume.
std::vector<std::vector<std::string>> RemovalCommands(const std::string& driveRoot, bool haveUdisksctl);

// True when the program is found on PATH.
bool ProgramOnPath(const std::string& name);

// Starts the commands one after the other in the background and returns at once.
void StartSafeRemoval(const std::string& driveRoot);
