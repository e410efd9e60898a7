// The single-instance rule of Harrowin over an advisory file lock (flock) on
// $XDG_RUNTIME_DIR/HARROWINMUTEXDATA (else /tmp/HARROWINMUTEXDATA-<uid>). The kernel drops the
// lock when the process ends, so a crashed copy never blocks the next start.
#pragma once

#include <string>

// Takes the lock when nobody holds it and keeps it: true means this is the first instance.
// Testing and taking are one step, so two starts at the same moment cannot both pass.
bool IsFirstInstance();
// Takes the lock when IsFirstInstance has not already; a failure is not reported (the program
// then runs without the guard).
void CreateInstanceMutex();
// Gives the lock up (also done by the kernel at exit).
void ReleaseInstanceMutex();

// The lock file's path; HarrowinCast (one copy per program folder) and tests point it
// elsewhere (an empty text restores the default).
std::string InstanceLockPath();
void SetInstanceLockPath(const std::string& path);
