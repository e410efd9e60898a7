// Where "beside the executable" is on Linux: the program folder holds the settings, lists and
// caches ($HARROWIN_HOME, else $XDG_DATA_HOME/Harrowin or ~/.local/share/Harrowin), created
// once at start. Shipped read-only files are looked up in the program folder, then beside the
// executable, then in ../share/harrowin relative to it.
#pragma once

#include <string>

// "Harrowin" or "HarrowinCast": picks the environment variable and the folder name.
enum class TProgramKind { Harrowin, HarrowinCast };

// The program folder, without a trailing "/"; only looked up, nothing is created. Throws
// EFileError when there is no place for it (none of the variables above and no $HOME): the
// files are never put in a folder that other users share.
std::string ProgramFolder(TProgramKind kind = TProgramKind::Harrowin);
// The program folder, created with its parents when missing; throws EFileError naming it when
// it cannot be looked up or created.
std::string CreateProgramFolder(TProgramKind kind = TProgramKind::Harrowin);

// The folder of the running executable, without a trailing "/" (empty when unknown).
std::string ExecutableFolder();

// The first existing path of a shipped file or folder (relative name such as "Tessmar.MCD" or
// "manual/index.html"); when none exists, the path in the program folder. The files are the
// program's own, so one installed as a link is taken; a dangling link, a pipe or a device is
// no such file. Both programs and the player's model table look up their files here.
std::string FindShippedFile(const std::string& relative, TProgramKind kind = TProgramKind::Harrowin);
