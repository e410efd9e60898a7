#include "platform/removal.h"

#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "foundation/drives.h"

extern char** environ;

namespace {

// Quotes a word for sh: inside single quotes nothing is special but the quote itself.
std::string ShellWord(const std::string& word) {
    std::string out = "'";
    for (char c : word) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

}  // namespace

std::vector<std::vector<std::string>> RemovalCommands(const std::string& driveRoot, bool haveUdisksctl) {
    const TMountedVolume volume = VolumeOfPath(driveRoot);
    if (volume.Root.empty()) return {};
    if (haveUdisksctl && volume.Device.rfind("/dev/", 0) == 0) {
        return {{"udisksctl", "unmount", "-b", volume.Device}, {"udisksctl", "power-off", "-b", volume.Device}};
    }
    return {{"eject", volume.Root}};
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

void StartSafeRemoval(const std::string& driveRoot) {
    const auto commands = RemovalCommands(driveRoot, ProgramOnPath("udisksctl"));
    if (commands.empty()) return;
    // One background shell runs the commands in order; the shell we wait for exits at once.
    std::string script = "(";
    for (size_t i = 0; i < commands.size(); ++i) {
        if (i > 0) script += " && ";
        for (size_t w = 0; w < commands[i].size(); ++w) {
            if (w > 0) script += ' ';
            script += ShellWord(commands[i][w]);
        }
    }
    script += ") >/dev/null 2>&1 &";
    char sh[] = "/bin/sh";
    char dashC[] = "-c";
    std::vector<char> body(script.begin(), script.end());
    body.push_back('\0');
    char* argv[] = {sh, dashC, body.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
}
