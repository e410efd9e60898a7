#include "foundation/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "foundation/errors.h"
#include "foundation/names.h"
#include "foundation/paths.h"

namespace fs = std::filesystem;

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string ProgramFolder(TProgramKind kind) {
    const bool cast = kind == TProgramKind::HarrowinCast;
    std::string folder;
    if (const char* home = std::getenv(cast ? "HARROWINCAST_HOME" : "HARROWIN_HOME"); home && *home) {
        folder = home;
    } else {
        std::string data;
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
            data = xdg;
        } else if (const char* user = std::getenv("HOME"); user && *user) {
            data = std::string(user) + "/.local/share";
        } else {
            throw EFileError(std::string("ホームフォルダ (HOME) も XDG_DATA_HOME も設定されていないため、") +
                             (cast ? "HarrowinCast" : "Harrowin") + " の設定を置くフォルダが決められません。");
        }
        folder = WithoutTrailingSlash(data) + (cast ? "/HarrowinCast" : "/Harrowin");
    }
    return WithoutTrailingSlash(folder);
}

std::string CreateProgramFolder(TProgramKind kind) {
    const std::string folder = ProgramFolder(kind);
    std::error_code ec;
    fs::create_directories(folder, ec);
    // A file of that name is no folder, whatever create_directories made of it.
    if (!ec && !fs::is_directory(folder, ec)) ec = std::make_error_code(std::errc::not_a_directory);
    if (ec) throw EFileError("フォルダ " + folder + " を作成できません。" + SysErrorText(ec.value()));
    return folder;
}

std::string ExecutableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

std::string FindShippedFile(const std::string& relative, TProgramKind kind) {
    const std::string inProgram = ProgramFolder(kind) + "/" + relative;
    if (TargetExists(inProgram)) return inProgram;
    const std::string exeDir = ExecutableFolder();
    if (!exeDir.empty()) {
        const std::string beside = exeDir + "/" + relative;
        if (TargetExists(beside)) return beside;
        const std::string installed = exeDir + "/../share/harrowin/" + relative;
        if (TargetExists(installed)) return fs::path(installed).lexically_normal().string();
    }
    return inProgram;
}
