#include "tests/support/fat_volume.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace {

// The exit code of the program, -1 when it could not run; fusefat talks about the volume it
// mounted, so nothing it prints is shown.
int RunQuietly(std::vector<std::string> args) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TFatVolume::TFatVolume(const TempDir& dir) : root_(dir / "fat") {
    const std::string image = dir / "fat.img";
    std::error_code ec;
    std::filesystem::create_directories(root_, ec);
    std::filesystem::resize_file(dir.Write("fat.img", ""), 16 << 20, ec);
    mounted_ = !ec && RunQuietly({"mkfs.vfat", "-n", "CARD", image}) == 0 &&
               RunQuietly({"fusefat", "-o", "rw+", image, root_}) == 0;
}

TFatVolume::~TFatVolume() {
    if (mounted_) RunQuietly({"fusermount", "-u", "-z", root_});
}
