#include "foundation/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "foundation/encoding.h"

namespace {

// Owner write permission is the read-only attribute of this platform.
void ClearReadOnlyAt(int dirfd, const char* name) {
    struct stat st {};
    if (fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
    if (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        fchmodat(dirfd, name, (st.st_mode & 07777) | S_IWUSR, 0);
}

// A folder must be readable, writable and searchable before its entries can be removed.
void OpenUpFolder(int fd) {
    struct stat st {};
    if (fstat(fd, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU) fchmod(fd, (st.st_mode & 07777) | S_IRWXU);
}

// Deletes the entries of the open folder fd (which it takes over). Returns false at the first
// entry that cannot be removed.
bool DeleteFolderContents(int fd) {
    OpenUpFolder(fd);
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return false;
    }
    bool ok = true;
    while (dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (std::string_view(name) == "." || std::string_view(name) == "..") continue;
        struct stat st {};
        if (fstatat(dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = false;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            if (!ok) continue;
            int sub = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            ok = sub >= 0 && DeleteFolderContents(sub) && unlinkat(dirfd(dir), name, AT_REMOVEDIR) == 0;
        } else {
            ClearReadOnlyAt(dirfd(dir), name);
            if (ok) ok = unlinkat(dirfd(dir), name, 0) == 0;
        }
    }
    closedir(dir);
    return ok;
}

std::string ExtractFileExt(const std::string& fileName) {
    size_t dot = fileName.find_last_of("./");
    if (dot == std::string::npos || fileName[dot] != '.') return {};
    return fileName.substr(dot);
}

}  // namespace

bool DeleteFileForced(const std::string& fileName) {
    if (fileName.empty()) return false;
    ClearReadOnlyAt(AT_FDCWD, fileName.c_str());
    return unlink(fileName.c_str()) == 0;
}

std::string TrimIncludeBackslash(const std::string& path) {
    std::string trimmed = encoding::Trim(path);
    if (trimmed.empty()) return {};
    if (trimmed.back() != '/') trimmed += '/';
    return trimmed;
}

std::string IncludeBackslash(const std::string& path) {
    if (path.empty()) return {};
    return path.back() == '/' ? path : path + "/";
}

std::string ExcludeBackslash(const std::string& path) {
    std::string trimmed = encoding::Trim(path);
    if (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
    return trimmed;
}

bool MatchesExtension(const std::string& fileName, const std::string& masks) {
    const std::string key = encoding::Trim("*" + encoding::AsciiLower(ExtractFileExt(fileName)));
    if (key == "*" || key == "*.") return false;
    const std::string list = encoding::AsciiLower(masks);
    size_t start = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] != ';') continue;
        if (list.compare(start, i - start, key) == 0) return true;
        start = i + 1;
    }
    return false;
}

bool DeleteFolderTree(const std::string& folder) {
    if (folder.empty()) return false;
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) return unlink(path.c_str()) == 0;
    if (!S_ISDIR(st.st_mode)) return false;
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    if (!DeleteFolderContents(fd)) return false;
    return rmdir(path.c_str()) == 0;
}

TPathKind PathKindOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || lstat(path.c_str(), &st) != 0) return TPathKind::None;
    if (S_ISREG(st.st_mode)) return TPathKind::File;
    if (S_ISDIR(st.st_mode)) return TPathKind::Folder;
    if (S_ISLNK(st.st_mode)) return TPathKind::Link;
    return TPathKind::Other;
}

bool EntryExists(const std::string& path) {
    const TPathKind kind = PathKindOf(path);
    return kind == TPathKind::File || kind == TPathKind::Folder;
}

bool LinkFreeBelow(const std::string& root, const std::string& path) {
    if (root.empty()) return false;
    const std::string base = IncludeBackslash(root);
    // The path itself is the root (with or without its "/").
    if (path + "/" == base || path == base) return true;
    if (path.compare(0, base.size(), base) != 0) return false;
    std::string walked = base;
    size_t start = base.size();
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view part(path.data() + start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return false;
        walked.append(part);
        struct stat st {};
        if (lstat(walked.c_str(), &st) != 0) return true;  // nothing from here on: no link either
        if (S_ISLNK(st.st_mode)) return false;
        walked += '/';
    }
    return true;
}

int64_t GetFileSize64(const std::string& fileName) {
    struct stat st {};
    if (fileName.empty() || stat(fileName.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return 0;
    return static_cast<int64_t>(st.st_size);
}

void ListFiles(const std::string& folder, std::vector<std::string>& files) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        struct stat st {};
        // A link to a folder counts as a folder; a broken link as a file.
        if (fstatat(dirfd(dir), entry->d_name, &st, 0) != 0 &&
            fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISDIR(st.st_mode)) names.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const auto& name : names) files.push_back(folder + "/" + name);
}

bool IsOnline() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool online = false;
    for (ifaddrs* a = list; a != nullptr && !online; a = a->ifa_next)
        online = (a->ifa_flags & IFF_UP) != 0 && (a->ifa_flags & IFF_LOOPBACK) == 0;
    freeifaddrs(list);
    return online;
}
