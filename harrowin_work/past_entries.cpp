#include "harrowin_work/past_entries.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/errors.h"
#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/paths.h"
#include "organiser/organiser_files.h"

namespace harrowin {

namespace fs = std::filesystem;

namespace {

std::string Hex(unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", value);
    return buffer;
}

// The numbered names run from 0 to hexadecimal 10000, both ends included.
constexpr unsigned kLastNumber = 0x10000;

}  // namespace

bool CollectPastEntries(std::vector<std::string>& Names, const std::vector<TPastEntryRow>& Rows, TDateTime Base) {
    bool found = false;
    for (const TPastEntryRow& row : Rows) {
        if (row.RawStart.empty()) break;
        const TDateTime start = VCalToDateTime(row.RawStart);
        if (start < Base) {
            found = true;
            Names.push_back(row.FileName);
        }
    }
    return found;
}

std::string FileInFolder(const std::string& Folder, const std::string& Name) {
    if (Name.empty() || Name.front() == '/') return {};
    const std::string folder = WithTrailingSlash(Folder);
    const std::string path = folder + Name;
    // With no folder (no player) a name would be taken from the current folder: refused too.
    if (folder.empty() || !PathInside(folder, path)) return {};
    // A sub-folder that is a link would lead outside the folder (the file itself may be one:
    // deleting a link removes only the link, and reading or writing refuses it).
    if (!LinkFreeBelow(folder, FolderPartOf(path))) return {};
    return path;
}

void DeleteListedFiles(const std::string& Folder, const std::vector<std::string>& Names,
                       const std::function<void(const std::string& Path)>& OnFailure) {
    for (const std::string& name : Names) {
        const std::string path = FileInFolder(Folder, name);
        if (path.empty() || !DeleteFileForced(path)) {
            if (OnFailure) OnFailure(path.empty() ? WithTrailingSlash(Folder) + name : path);
        }
    }
}

std::string RelativeToFolder(const std::string& Folder, const std::string& Path) {
    const std::string folder = WithTrailingSlash(Folder);
    if (!folder.empty() && Path.size() > folder.size() && Path.compare(0, folder.size(), folder) == 0) {
        return Path.substr(folder.size());
    }
    return Path;
}

std::string MakeEventFileName(const std::string& Folder, const std::string& Base, const TFileExists& Exists) {
    const TFileExists& exists = Exists ? Exists : TFileExists(NameTaken);
    for (unsigned i = 0; i <= kLastNumber; ++i) {
        std::string name = Folder + Base + "_" + Hex(i) + ".ics";
        if (!exists(name)) return name;
    }
    // Kept inside the folder: a bare name would land in whatever folder the program runs in.
    return Folder + Base + "_Error";
}

std::string MakeTaskFileName(const std::string& Folder, const std::string& Base, const TFileExists& Exists) {
    const TFileExists& exists = Exists ? Exists : TFileExists(NameTaken);
    for (unsigned i = 0; i <= kLastNumber; ++i) {
        std::string name = Folder + "t" + Base + "_" + Hex(i);
        if (!exists(name + ".ics")) return name;
    }
    return Folder + Base + "_Error";
}

std::string NewContactFileName(const std::string& Folder, const std::string& FullName) {
    const std::string path = Folder + FullName + ".vcf";
    bool allowed = true;
    for (unsigned char c : FullName) {
        if (c < 32 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|') {
            allowed = false;
        }
    }
    if (!allowed || Folder.empty() || !PathInside(WithTrailingSlash(Folder), path)) {
        throw EFileError("ファイル " + path + " を作成できません。Invalid argument");
    }
    return path;
}

bool CopyIntoFolder(const std::string& Source, const std::string& Folder) {
    const std::string name = fs::path(Source).filename().string();
    if (name.empty() || Folder.empty()) return false;
    const std::string target = WithTrailingSlash(Folder) + name;
    std::error_code ec;
    if (!fs::is_regular_file(Source, ec)) return false;
    try {
        // Written whole under a temporary name and never over anything of that name: a link
        // planted in the player is not written through, and a failed copy leaves nothing.
        const FileBytes bytes = ReadWholeFile(Source, kOrganiserFileLimit);
        WriteNewFile(target, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const EFileError&) {
        return false;
    }
    return true;
}

}  // namespace harrowin
